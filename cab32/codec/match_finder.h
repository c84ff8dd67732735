// Match finding over a sliding window with bucketed hash tables. Each hash
// value keeps the newest few positions that had it, side by side, so a
// search loads its candidates together instead of following a chain
// through memory, and entering a position costs one store per table. Three
// tables: the newest position per three-byte prefix (short matches close
// by), a bucket per five-byte prefix and a bucket per eight-byte prefix
// (long matches anywhere in the window). Positions count from the first
// byte since the finder was reset.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace cab32 {

struct MatchCandidate {
    std::uint32_t length = 0;
    std::uint32_t offset = 0;
};

// Matches found at one position, each longer than the one before; a
// longer match further back can cost more than a shorter one close by.
struct MatchList {
    static constexpr int kCapacity = 16;
    MatchCandidate items[kCapacity];
    int count = 0;
};

// How hard the finder looks: positions kept per bucket of the five-byte and
// eight-byte tables (powers of two up to 128), and the length at which a
// match is taken without looking further.
struct SearchEffort {
    int shortWays;
    int longWays;
    std::uint32_t niceLength;
};

// The newest positions per hash value, `ways` of them per bucket, kept as
// position + 1 (0: empty) in a ring. Positions enter in increasing order,
// so going back from the newest slot the offsets only grow.
class PositionTable {
public:
    PositionTable(int hashBits, int ways);

    void Clear();

    // Enters positions; its copies of the table's fields stay in registers.
    class Inserter {
    public:
        explicit Inserter(PositionTable& table)
            : slots_(table.slots_.data()), next_(table.next_.data()), hashBits_(table.hashBits_),
              waysBits_(table.waysBits_) {}
        void Insert(std::uint64_t hash64, std::uint32_t position) const {
            const auto hash = static_cast<std::uint32_t>(hash64 >> (64 - hashBits_));
            const std::uint32_t slot = next_[hash];
            slots_[(std::size_t{hash} << waysBits_) + slot] = position + 1;
            next_[hash] = static_cast<std::uint8_t>((slot + 1) & ((1u << waysBits_) - 1));
        }

    private:
        std::uint32_t* slots_;
        std::uint8_t* next_;
        int hashBits_;
        int waysBits_;
    };

    const std::uint32_t* Bucket(std::uint32_t hash) const { return slots_.data() + (std::size_t{hash} << waysBits_); }
    // Slot of the bucket's newest entry.
    std::uint32_t Newest(std::uint32_t hash) const { return (next_[hash] + WayMask()) & WayMask(); }
    std::uint32_t WayMask() const { return (1u << waysBits_) - 1; }
    int HashBits() const { return hashBits_; }

private:
    int hashBits_;
    int waysBits_;
    std::vector<std::uint32_t> slots_;
    std::vector<std::uint8_t> next_;  // slot the next insert takes, per bucket
};

class MatchFinder {
public:
    MatchFinder(int windowBits, const SearchEffort& effort);

    // Forgets every position: the finder starts again at position 0.
    void Reset();

    // Takes `history`, the bytes before the data to compress (at most one
    // window), with every position entered in the tables; returns the
    // position after it.
    std::uint32_t Prime(std::span<const std::uint8_t> history);

    // Appends the next frame of data and returns the position of its first byte.
    std::uint32_t Append(std::span<const std::uint8_t> data);

    const std::uint8_t* At(std::uint32_t position) const { return buffer_.data() + (position - base_); }

    // Earlier matches at `position` of at least three bytes, at most
    // `maxLength` long and at most `maxOffset` back, shortest first.
    // Positions passed over since the last call enter the tables first,
    // `position` itself after the search.
    void FindMatches(std::uint32_t position, std::uint32_t maxLength, std::uint32_t maxOffset, MatchList& found);

    // Leaves the positions before `position` that have not been searched
    // out of the tables: data that has not matched for a long stretch is
    // not worth indexing.
    void Leap(std::uint32_t position);

    // Length of the match at `position` with `offset`, at most `maxLength`.
    std::uint32_t MatchLength(std::uint32_t position, std::uint32_t offset, std::uint32_t maxLength) const;

private:
    void InsertUpTo(std::uint32_t position);
    void SlideIfFull(std::size_t incoming);
    void Record(std::uint32_t length, std::uint32_t offset, std::uint32_t& best, MatchList& found) const;
    void SearchBucket(const PositionTable& table, std::uint32_t hash, std::uint32_t position, std::uint32_t limit,
                      std::uint32_t maxOffset, std::uint32_t& best, MatchList& found) const;

    std::uint32_t windowSize_;
    std::uint32_t niceLength_;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t base_ = 0;        // position of buffer_[0]
    std::uint32_t end_ = 0;         // position after the last byte held
    std::uint32_t nextInsert_ = 0;  // first position not yet in the tables
    std::vector<std::uint32_t> nearest_;  // position + 1 of the newest entry per three-byte hash
    int nearestBits_;
    PositionTable short_;
    PositionTable long_;
};

}  // namespace cab32
