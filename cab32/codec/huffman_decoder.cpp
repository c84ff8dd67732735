#include "huffman_decoder.h"

#include <algorithm>

namespace cab32 {

bool HuffmanLongCodes::Build(std::span<const std::uint8_t> lengths, int tableBits, std::span<std::uint16_t> table) {
    if (lengths.size() > 1024 || tableBits < 1 || tableBits > kMaxCodeLength ||
        table.size() != std::size_t{1} << tableBits)
        return false;
    for (auto& count : countOfLength_) count = 0;
    for (std::uint8_t length : lengths) {
        if (length > kMaxCodeLength) return false;
        ++countOfLength_[length];
    }
    countOfLength_[0] = 0;
    // Kraft sum in units of 2^-16: a complete code fills exactly 2^16.
    std::uint32_t used = 0;
    for (int length = 1; length <= kMaxCodeLength; ++length)
        used += std::uint32_t{countOfLength_[length]} << (kMaxCodeLength - length);
    sortedSymbols_.clear();
    if (used == 0) {
        std::fill(table.begin(), table.end(), std::uint16_t{0});  // an empty code maps everything to "no code"
        return true;
    }
    if (used != (1u << kMaxCodeLength)) return false;
    // Canonical codes fill the table from its start in code order: the
    // short codes' entries end where the longer codes' prefixes begin,
    // whose entries are 0.
    std::uint32_t shortEnd = 0;
    for (int length = 1; length <= tableBits; ++length)
        shortEnd += std::uint32_t{countOfLength_[length]} << (tableBits - length);
    std::fill(table.begin() + shortEnd, table.end(), std::uint16_t{0});

    std::uint32_t code = 0;
    std::uint16_t index = 0;
    for (int length = 1; length <= kMaxCodeLength; ++length) {
        firstCode_[length] = code;
        firstIndex_[length] = index;
        code = (code + countOfLength_[length]) << 1;
        index = static_cast<std::uint16_t>(index + countOfLength_[length]);
    }
    sortedSymbols_.resize(index);
    std::uint32_t nextCode[kMaxCodeLength + 1];
    std::uint16_t nextIndex[kMaxCodeLength + 1];
    for (int length = 1; length <= kMaxCodeLength; ++length) {
        nextCode[length] = firstCode_[length];
        nextIndex[length] = firstIndex_[length];
    }
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        const int length = lengths[symbol];
        if (length == 0) continue;
        sortedSymbols_[nextIndex[length]++] = static_cast<std::uint16_t>(symbol);
        const std::uint32_t symbolCode = nextCode[length]++;
        if (length > tableBits) continue;  // found by Decode; its table slots stay 0
        const int spare = tableBits - length;
        const auto entry = static_cast<std::uint16_t>(kShortFlag | symbol << 5 | static_cast<unsigned>(length));
        const std::uint32_t first = symbolCode << spare;
        for (std::uint32_t fill = 0; fill < (1u << spare); ++fill) table[first + fill] = entry;
    }
    return true;
}

// Codes longer than the table: the canonical code of each longer length
// is a run of consecutive values starting at firstCode_.
int HuffmanLongCodes::Decode(std::uint32_t next16, int tableBits, int& length) const {
    if (sortedSymbols_.empty()) return -1;
    for (length = tableBits + 1; length <= kMaxCodeLength; ++length) {
        const std::uint32_t offset = (next16 >> (kMaxCodeLength - length)) - firstCode_[length];
        if (offset < countOfLength_[length]) return sortedSymbols_[firstIndex_[length] + offset];
    }
    return -1;
}

}  // namespace cab32
