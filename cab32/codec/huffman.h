// Huffman code lengths limited to a maximum length, and the canonical codes
// that LZX and deflate readers build from those lengths.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace cab32 {

// Code lengths for symbols with the given frequencies, none above `maxLength`.
// Unused symbols get 0. The code is always complete: when fewer than two
// symbols are used, a second one gets a code too, because LZX readers refuse
// trees that leave codes unassigned.
std::vector<std::uint8_t> BuildCodeLengths(std::span<const std::uint32_t> frequencies, int maxLength);

// Canonical codes: shorter codes first, equal lengths in symbol order.
std::vector<std::uint16_t> CanonicalCodes(std::span<const std::uint8_t> lengths);

}  // namespace cab32
