#include "match_finder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace cab32 {
namespace {

// Bytes each table hashes, and the bytes read at a position to hash it.
constexpr int kNearestKey = 3;
constexpr int kShortKey = 5;
constexpr int kLongKey = 8;
constexpr std::uint32_t kHashedBytes = 8;
// Windows up to this size stay in the processor's caches: no prefetching.
constexpr std::uint32_t kCachedWindow = 1u << 17;

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t value;
    std::memcpy(&value, p, 8);
    return value;
}

// Bytes a and b have in common, at most `maxLength`.
std::uint32_t CommonLength(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t maxLength) {
    std::uint32_t length = 0;
    while (length + 8 <= maxLength) {
        const std::uint64_t difference = Load64(a + length) ^ Load64(b + length);
        if (difference != 0) return length + static_cast<std::uint32_t>(std::countr_zero(difference) >> 3);
        length += 8;
    }
    while (length < maxLength && a[length] == b[length]) ++length;
    return length;
}

// Hash of the first `bytes` bytes of `word` (the little-endian load of a
// position), all 64 bits: a table takes as many of the top ones as it needs.
template <int bytes>
std::uint64_t HashPrefix(std::uint64_t word) {
    return (word << (64 - 8 * bytes)) * 0x9E3779B97F4A7C15ull;
}

std::uint32_t TopBits(std::uint64_t hash, int bits) { return static_cast<std::uint32_t>(hash >> (64 - bits)); }

// Buckets in proportion to the window: a small window needs few, and every
// folder clears them.
int BucketBits(int windowBits) { return std::clamp(windowBits - 4, 11, 16); }

}  // namespace

PositionTable::PositionTable(int hashBits, int ways)
    : hashBits_(hashBits),
      waysBits_(std::bit_width(static_cast<unsigned>(ways)) - 1),
      slots_(std::size_t{1} << (hashBits + waysBits_), 0),
      next_(std::size_t{1} << hashBits, 0) {}

void PositionTable::Clear() {
    std::fill(slots_.begin(), slots_.end(), 0u);
    std::fill(next_.begin(), next_.end(), std::uint8_t{0});
}

MatchFinder::MatchFinder(int windowBits, const SearchEffort& effort)
    : windowSize_(1u << windowBits),
      niceLength_(effort.niceLength),
      buffer_(2 * std::size_t{windowSize_} + 65536),
      nearest_(std::size_t{1} << std::min(windowBits + 1, 16), 0),
      nearestBits_(std::min(windowBits + 1, 16)),
      short_(BucketBits(windowBits), effort.shortWays),
      long_(BucketBits(windowBits), effort.longWays) {}

void MatchFinder::SlideIfFull(std::size_t incoming) {
    if ((end_ - base_) + incoming <= buffer_.size()) return;
    // Keep one window of history; older data can no longer be matched.
    const std::uint32_t keep = windowSize_ < end_ - base_ ? windowSize_ : end_ - base_;
    std::memmove(buffer_.data(), buffer_.data() + (end_ - keep - base_), keep);
    base_ = end_ - keep;
}

void MatchFinder::Reset() {
    base_ = end_ = nextInsert_ = 0;
    std::fill(nearest_.begin(), nearest_.end(), 0u);
    short_.Clear();
    long_.Clear();
}

std::uint32_t MatchFinder::Prime(std::span<const std::uint8_t> history) {
    if (history.size() > windowSize_) history = history.last(windowSize_);
    Append(history);
    InsertUpTo(end_);
    return end_;
}

std::uint32_t MatchFinder::Append(std::span<const std::uint8_t> data) {
    SlideIfFull(data.size());
    std::memcpy(buffer_.data() + (end_ - base_), data.data(), data.size());
    const std::uint32_t start = end_;
    end_ += static_cast<std::uint32_t>(data.size());
    return start;
}

void MatchFinder::Leap(std::uint32_t position) {
    if (position > nextInsert_) nextInsert_ = position;
}

void MatchFinder::InsertUpTo(std::uint32_t position) {
    // A position needs its hashed bytes present; the rest wait for more data.
    const std::uint32_t limit = end_ >= kHashedBytes ? end_ - kHashedBytes + 1 : 0;
    const std::uint32_t stop = position < limit ? position : limit;
    if (nextInsert_ >= stop) return;
    const std::uint8_t* data = At(nextInsert_);
    std::uint32_t* nearest = nearest_.data();
    const int nearestBits = nearestBits_;
    const PositionTable::Inserter shortTable(short_), longTable(long_);
    for (std::uint32_t entering = nextInsert_; entering < stop; ++entering, ++data) {
        const std::uint64_t word = Load64(data);
        nearest[TopBits(HashPrefix<kNearestKey>(word), nearestBits)] = entering + 1;
        shortTable.Insert(HashPrefix<kShortKey>(word), entering);
        longTable.Insert(HashPrefix<kLongKey>(word), entering);
    }
    nextInsert_ = stop;
}

std::uint32_t MatchFinder::MatchLength(std::uint32_t position, std::uint32_t offset,
                                       std::uint32_t maxLength) const {
    return CommonLength(At(position), At(position) - offset, maxLength);
}

void MatchFinder::Record(std::uint32_t length, std::uint32_t offset, std::uint32_t& best, MatchList& found) const {
    best = length;
    if (found.count == MatchList::kCapacity) {
        std::copy(found.items + 1, found.items + found.count, found.items);
        --found.count;
    }
    found.items[found.count++] = {length, offset};
}

// Tries the bucket's positions, newest first, until one is too far back.
// For large windows their bytes are fetched before any is compared, so the
// cache misses overlap.
void MatchFinder::SearchBucket(const PositionTable& table, std::uint32_t hash, std::uint32_t position,
                               std::uint32_t limit, std::uint32_t maxOffset, std::uint32_t& best,
                               MatchList& found) const {
    const std::uint32_t* bucket = table.Bucket(hash);
    const std::uint32_t mask = table.WayMask();
    const std::uint8_t* here = At(position);
    if (windowSize_ > kCachedWindow) {
        for (std::uint32_t i = 0; i <= mask; ++i) {
            const std::uint32_t offset = position + 1 - bucket[i];
            if (bucket[i] != 0 && offset <= maxOffset) __builtin_prefetch(here - offset);
        }
    }
    const std::uint32_t newest = table.Newest(hash);
    for (std::uint32_t i = 0; i <= mask && best < limit; ++i) {
        const std::uint32_t entry = bucket[(newest - i) & mask];
        const std::uint32_t offset = position + 1 - entry;
        if (entry == 0 || offset > maxOffset) break;
        if (offset == 0) continue;  // the position itself, searched before
        const std::uint8_t* there = here - offset;
        // Cheap reject: a longer match must agree at the byte that would extend it.
        if (there[best] != here[best]) continue;
        const std::uint32_t length = CommonLength(here, there, limit);
        if (length > best) Record(length, offset, best, found);
    }
}

void MatchFinder::FindMatches(std::uint32_t position, std::uint32_t maxLength, std::uint32_t maxOffset,
                              MatchList& found) {
    InsertUpTo(position);
    found.count = 0;
    if (maxLength < 3 || position + kHashedBytes > end_) return;
    const std::uint64_t word = Load64(At(position));
    const std::uint32_t limit = std::min(niceLength_, maxLength);
    std::uint32_t best = 2;
    const std::uint32_t near = nearest_[TopBits(HashPrefix<kNearestKey>(word), nearestBits_)];
    if (near != 0 && near <= position && position + 1 - near <= maxOffset) {
        const std::uint32_t length = MatchLength(position, position + 1 - near, limit);
        if (length > best) Record(length, position + 1 - near, best, found);
    }
    SearchBucket(short_, TopBits(HashPrefix<kShortKey>(word), short_.HashBits()), position, limit, maxOffset, best,
                 found);
    SearchBucket(long_, TopBits(HashPrefix<kLongKey>(word), long_.HashBits()), position, limit, maxOffset, best,
                 found);
    // A match as long as the search looks may go on further.
    if (best == niceLength_ && maxLength > niceLength_) {
        MatchCandidate& last = found.items[found.count - 1];
        last.length = MatchLength(position, last.offset, maxLength);
    }
    // Entered even when the positions around it are leapt over: a search
    // in a stretch that does not compress must still find a repeat.
    InsertUpTo(position + 1);
}

}  // namespace cab32
