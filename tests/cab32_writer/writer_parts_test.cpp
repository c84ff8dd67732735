// Unit tests of the cabinet writer's pure parts: Huffman code lengths, the
// LZX bit order and position slots, the data block checksum and the header.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bit_writer.h"
#include "data_block.h"
#include "cabinet_content.h"
#include "huffman.h"
#include "lzx_tables.h"

namespace {

using namespace cab32;

double KraftSum(const std::vector<std::uint8_t>& lengths) {
    double sum = 0;
    for (std::uint8_t len : lengths)
        if (len != 0) sum += 1.0 / static_cast<double>(1u << len);
    return sum;
}

// Every code is complete (Kraft sum 1) and within its length limit; every
// used symbol has a code, and a more frequent one never a longer code.
TEST(CabWriterHuffman, CodesAreCompleteWithinTheLimitAndOrderedByFrequency) {
    // Fibonacci frequencies give an unlimited tree as deep as the alphabet.
    std::vector<std::uint32_t> fibonacci(40);
    fibonacci[0] = fibonacci[1] = 1;
    for (std::size_t i = 2; i < fibonacci.size(); ++i)
        fibonacci[i] = (fibonacci[i - 1] + fibonacci[i - 2]) % 100000000u + 1;
    struct Case {
        const char* label;
        std::vector<std::uint32_t> frequencies;
        int limit;
        int symbol = -1;  // a symbol whose code length is known...
        int length = 0;   // ...and that length
    };
    for (const Case& c : std::initializer_list<Case>{{"skewed, limit 7", fibonacci, 7},
                                                     {"skewed, limit 15", fibonacci, 15},
                                                     {"skewed, limit 16", fibonacci, 16},
                                                     {"no symbol used", std::vector<std::uint32_t>(8, 0), 16},
                                                     {"one symbol used", {50, 0, 0, 0, 0, 0, 0, 0}, 16, 0, 1},
                                                     {"mixed", {500, 3, 90, 0, 7, 7, 1200, 40}, 16, 3, 0}}) {
        SCOPED_TRACE(c.label);
        const std::vector<std::uint8_t> lengths = BuildCodeLengths(c.frequencies, c.limit);
        EXPECT_DOUBLE_EQ(KraftSum(lengths), 1.0);
        for (std::size_t a = 0; a < lengths.size(); ++a) {
            EXPECT_LE(lengths[a], c.limit) << a;
            if (c.frequencies[a] != 0) {
                EXPECT_GE(lengths[a], 1) << a;
            }
            for (std::size_t b = 0; b < lengths.size(); ++b)
                if (c.frequencies[a] > c.frequencies[b] && c.frequencies[b] != 0) {
                    EXPECT_LE(lengths[a], lengths[b]) << a << " " << b;
                }
        }
        if (c.symbol >= 0) {
            EXPECT_EQ(lengths[static_cast<std::size_t>(c.symbol)], c.length);
        }
    }
}

TEST(CabWriterCanonicalCodes, MatchTheDeflateExample) {
    // The example of RFC 1951, section 3.2.2: lengths (3,3,3,3,3,2,4,4).
    const std::vector<std::uint8_t> lengths = {3, 3, 3, 3, 3, 2, 4, 4};
    const std::vector<std::uint16_t> codes = CanonicalCodes(lengths);
    const std::vector<std::uint16_t> expected = {0b010, 0b011, 0b100, 0b101, 0b110, 0b00, 0b1110, 0b1111};
    EXPECT_EQ(codes, expected);
}

TEST(CabWriterBits, FillsSixteenBitWordsFromTheTopAndStoresThemLittleEndian) {
    std::vector<std::uint8_t> out;
    BitWriter bits(out);
    bits.Put(1, 1);       // 1
    bits.Put(0, 3);       // 000
    bits.Put(0xABC, 12);  // 1010 1011 1100 -> word 1000 1010 1011 1100 = 0x8ABC
    bits.AlignToWord();   // on a word boundary: adds nothing
    EXPECT_EQ(out.size(), 2u);
    bits.Put(0x1FFFF, 17);
    bits.AlignToWord();
    const std::vector<std::uint8_t> expected = {0xBC, 0x8A, 0xFF, 0xFF, 0x00, 0x80};
    EXPECT_EQ(out, expected);
}

TEST(CabWriterLzxSlots, EveryOffsetOfTheLargestWindowFallsInsideItsSlot) {
    using namespace cab32::lzx;
    const int slots = PositionSlotCount(21);
    for (std::uint32_t formatted = 3; formatted <= MaxOffset(21) + 2; ++formatted) {
        const int slot = PositionSlotOf(formatted);
        ASSERT_LT(slot, slots) << formatted;
        ASSERT_GE(formatted, PositionBase(slot)) << formatted;
        ASSERT_LT(formatted - PositionBase(slot), 1u << ExtraBits(slot)) << formatted;
    }
    // The slot counts reach exactly the window size.
    for (int bits = kMinWindowBits; bits <= kMaxWindowBits; ++bits)
        EXPECT_GE(PositionBase(PositionSlotCount(bits)), 1u << bits) << bits;
}

TEST(CabWriterChecksum, MatchesTheChecksumOfACabinetWrittenByGcab) {
    // gcab 1.5 stored "hello, cabinet\n" in one CFDATA block with this checksum.
    const std::string text = "hello, cabinet\n";
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::vector<std::uint8_t> header;
    AppendDataBlockHeader(header, data, 15);
    EXPECT_EQ(ReadDataBlockHeader(header.data()).checksum, 0x614F5F63u);
}

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

TEST(CabWriterHeader, CarriesNamesFolderOffsetsAndContinuationMarkers) {
    std::vector<FileRecord> records(2);
    records[0].name = "a.txt";
    records[0].size = 10;
    records[1].name = "b\\c.bin";
    records[1].size = 70000;
    records[1].folderOffset = 10;
    CabinetContent cabinet;
    cabinet.AddFolder(0x1503);
    cabinet.ListFile(0, kContinuedFromPrevious, records[0].name);
    cabinet.ListFile(1, 0, records[1].name);
    cabinet.AddPiece({0, 100, 0});
    cabinet.MarkContinuedToNext(0, 1);
    const CabinetNames names{"x01.cab", "x03.cab"};
    const std::vector<std::uint8_t> header = cabinet.BuildHeader(records, names, 0x4242, 1);

    ASSERT_EQ(header.size(), cabinet.HeaderSize(names));
    EXPECT_EQ(Le32(header, 8), header.size() + 8 + 100);  // cabinet size
    EXPECT_EQ(header[30], 0x03);                          // previous and next present
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&header[36])), "x01.cab");
    const std::size_t folder = 36 + 9 + 9;
    EXPECT_EQ(Le32(header, folder), header.size());        // data starts after the header
    EXPECT_EQ(Le32(header, 16), folder + 8);              // first file entry
    EXPECT_EQ(header[folder + 8 + 8], 0xFF);              // continued both ways
    const std::size_t second = folder + 8 + 16 + 6;
    EXPECT_EQ(header[second + 8], 0xFE);                  // continued to the next
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&header[second + 16])), "b\\c.bin");
}

}  // namespace
