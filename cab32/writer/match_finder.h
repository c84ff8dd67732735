// Match finding over a sliding window with hash chains on three-byte
// prefixes. Positions count from the start of the folder's data.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarvik::cabwriter {

struct MatchCandidate {
    std::uint32_t length = 0;  // 0 when nothing was found
    std::uint32_t offset = 0;
};

// Matches found at one position, each longer than the one before; a
// longer match further back can cost more than a shorter one close by.
struct MatchList {
    static constexpr int kCapacity = 8;
    MatchCandidate items[kCapacity];
    int count = 0;
};

class MatchFinder {
public:
    // windowBits: history the finder keeps; maxChain: candidates tried per
    // position; niceLength: a match this long ends the search.
    MatchFinder(int windowBits, int maxChain, std::uint32_t niceLength);

    // Appends the next frame of data and returns the position of its first byte.
    std::uint32_t Append(std::span<const std::uint8_t> data);

    const std::uint8_t* At(std::uint32_t position) const { return buffer_.data() + (position - base_); }

    // Earlier matches at `position` of at least three bytes, at most
    // `maxLength` long and at most `maxOffset` back, shortest first.
    // Positions before it enter the chains first, `position` itself afterwards.
    void FindMatches(std::uint32_t position, std::uint32_t maxLength, std::uint32_t maxOffset, MatchList& found);

    // Enters every position before `position` into the chains.
    void InsertUpTo(std::uint32_t position);

    // Length of the match at `position` with `offset`, at most `maxLength`.
    std::uint32_t MatchLength(std::uint32_t position, std::uint32_t offset, std::uint32_t maxLength) const;

private:
    std::uint32_t HashAt(std::uint32_t position) const;
    void InsertOne(std::uint32_t position);
    void SlideIfFull(std::size_t incoming);

    std::uint32_t windowSize_;
    std::uint32_t maxChain_;
    std::uint32_t niceLength_;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t base_ = 0;        // position of buffer_[0]
    std::uint32_t end_ = 0;         // position after the last byte held
    std::uint32_t nextInsert_ = 0;  // first position not yet in the chains
    std::vector<std::uint32_t> head_;   // position + 1 of the newest entry per hash
    std::vector<std::uint32_t> chain_;  // position + 1 of the previous entry, per position
};

}  // namespace tarvik::cabwriter
