#include "match_finder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tarvik::cabwriter {
namespace {

constexpr int kHashBits = 17;

}  // namespace

MatchFinder::MatchFinder(int windowBits, int maxChain, std::uint32_t niceLength)
    : windowSize_(1u << windowBits),
      maxChain_(static_cast<std::uint32_t>(maxChain)),
      niceLength_(niceLength),
      buffer_(2 * static_cast<std::size_t>(windowSize_) + 65536),
      head_(std::size_t{1} << kHashBits, 0),
      chain_(windowSize_, 0) {}

void MatchFinder::SlideIfFull(std::size_t incoming) {
    if ((end_ - base_) + incoming <= buffer_.size()) return;
    // Keep one window of history; older data can no longer be matched.
    const std::uint32_t keep = windowSize_ < end_ - base_ ? windowSize_ : end_ - base_;
    std::memmove(buffer_.data(), buffer_.data() + (end_ - keep - base_), keep);
    base_ = end_ - keep;
}

std::uint32_t MatchFinder::Append(std::span<const std::uint8_t> data) {
    SlideIfFull(data.size());
    std::memcpy(buffer_.data() + (end_ - base_), data.data(), data.size());
    const std::uint32_t start = end_;
    end_ += static_cast<std::uint32_t>(data.size());
    return start;
}

std::uint32_t MatchFinder::HashAt(std::uint32_t position) const {
    const std::uint8_t* p = At(position);
    const std::uint32_t key = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
    return (key * 2654435761u) >> (32 - kHashBits);
}

void MatchFinder::InsertOne(std::uint32_t position) {
    const std::uint32_t hash = HashAt(position);
    chain_[position & (windowSize_ - 1)] = head_[hash];
    head_[hash] = position + 1;
}

void MatchFinder::InsertUpTo(std::uint32_t position) {
    // A position needs its three bytes present; the rest wait for more data.
    const std::uint32_t limit = end_ >= 2 ? end_ - 2 : 0;
    const std::uint32_t stop = position < limit ? position : limit;
    for (; nextInsert_ < stop; ++nextInsert_) InsertOne(nextInsert_);
}

std::uint32_t MatchFinder::MatchLength(std::uint32_t position, std::uint32_t offset,
                                       std::uint32_t maxLength) const {
    const std::uint8_t* a = At(position);
    const std::uint8_t* b = a - offset;
    std::uint32_t length = 0;
    while (length + 8 <= maxLength) {
        std::uint64_t x, y;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (x != y) return length + static_cast<std::uint32_t>(std::countr_zero(x ^ y) >> 3);
        length += 8;
    }
    while (length < maxLength && a[length] == b[length]) ++length;
    return length;
}

void MatchFinder::FindMatches(std::uint32_t position, std::uint32_t maxLength, std::uint32_t maxOffset,
                              MatchList& found) {
    InsertUpTo(position);
    found.count = 0;
    if (maxLength < 3 || position + 3 > end_) return;
    const std::uint8_t* here = At(position);
    std::uint32_t candidate = head_[HashAt(position)];
    const std::uint32_t nice = niceLength_ < maxLength ? niceLength_ : maxLength;
    std::uint32_t best = 2;
    std::uint32_t tries = maxChain_;
    while (candidate != 0 && tries-- > 0) {
        const std::uint32_t earlier = candidate - 1;
        if (earlier >= position || position - earlier > maxOffset) break;
        const std::uint32_t offset = position - earlier;
        // Cheap reject: a longer match must agree at the byte that would extend it.
        if (here[best] == *(here + best - offset)) {
            const std::uint32_t length = MatchLength(position, offset, maxLength);
            if (length > best) {
                best = length;
                if (found.count == MatchList::kCapacity) {
                    std::copy(found.items + 1, found.items + found.count, found.items);
                    --found.count;
                }
                found.items[found.count++] = {length, offset};
                if (length >= nice) break;
                // A good match already: look less hard for a better one.
                if (length >= 32 && tries > maxChain_ / 4) tries = maxChain_ / 4;
            }
        }
        const std::uint32_t previous = chain_[earlier & (windowSize_ - 1)];
        if (previous >= candidate) break;  // slot reused by a newer position
        candidate = previous;
    }
    if (nextInsert_ == position) {
        InsertOne(position);
        ++nextInsert_;
    }
}

}  // namespace tarvik::cabwriter
