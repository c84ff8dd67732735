#include "operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "compression_items.h"

using testing_support::CompressionItem;
using testing_support::kCompressionItems;

namespace {

// The text with its ASCII capitals in lower case; texts with double-byte
// characters are left as they are (a trail byte may look like a capital).
std::string AsciiLowerCase(std::string text) {
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        return text;
    }
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

TEST(Operations, CompressionSwitchesComeFromTheItemsInAnyLetterCase) {
    for (const CompressionItem& row : kCompressionItems) {
        EXPECT_EQ(tarvik::CompressionSwitchOf(row.item), row.compressionSwitch) << row.item;
        EXPECT_EQ(tarvik::CompressionSwitchOf(AsciiLowerCase(row.item)), row.compressionSwitch) << row.item;
    }
    EXPECT_EQ(tarvik::CompressionSwitchOf("LZX 22"), std::nullopt);
    EXPECT_EQ(tarvik::CompressionSwitchOf(""), std::nullopt);
}
