// The folder reader over whole cabinets: decoding ahead on another thread,
// a folder carried into the next volume through a cut block, and damaged
// blocks that end the folder instead of producing wrong bytes. (Every
// method read back through the tables: WriterRoundTrip in codec_test.cpp.)
#include <gtest/gtest.h>

#include "data_block.h"
#include "decode_ahead.h"
#include "folder_reader.h"
#include "test_streams.h"

namespace tarvik::testing {
namespace {

using cab32::Compression;

void PutBlock(Bytes& out, const Bytes& payload, std::uint16_t size) {
    cab32::AppendDataBlockHeader(out, payload, size);
    out.insert(out.end(), payload.begin(), payload.end());
}

// One cabinet's part of a folder: its data blocks alone, from offset 0.
struct Part {
    Bytes bytes;
    std::uint16_t blocks = 0;
};

// Reads the parts one after another, on this thread and decoded ahead on
// another, which must agree; false when the reader calls the data bad.
bool ReadParts(std::uint16_t type, const std::vector<Part>& parts, Bytes& out) {
    bool good[2] = {true, true};
    Bytes got[2];
    for (int onThread : {0, 1}) {
        cab32::FolderReader reader(type);
        for (const Part& part : parts) {
            const MemoryCabSource source(part.bytes);
            cab32::CabDirectory directory;
            directory.cabinetSize = static_cast<std::uint32_t>(part.bytes.size());
            reader.StartPart(source, directory, cab32::CabFolder{0, part.blocks, type});
            cab32::DecodeAhead ahead(reader, onThread == 1);
            cab32::FolderReader::Step step;
            std::span<const std::uint8_t> frame;
            std::uint64_t start = 0;
            while ((step = ahead.Next(frame, start)) == cab32::FolderReader::Step::Frame) {
                EXPECT_EQ(start, got[onThread].size());
                got[onThread].insert(got[onThread].end(), frame.begin(), frame.end());
            }
            good[onThread] = step != cab32::FolderReader::Step::Bad;
            if (!good[onThread]) break;
        }
    }
    EXPECT_EQ(good[0], good[1]);
    EXPECT_EQ(got[0], got[1]);
    out = got[0];
    return good[0];
}

// A caller that stops early (its members are out) ends the decoding
// thread, waiting with its frames full or still decoding.
TEST(DecodeAhead, StopsWhenTheCallerDoes) {
    const Bytes data = SampleData(Sample::Text, 3000000, 4);
    const Bytes cab = BuildCabinet(EncodeWithWriter(Compression::Mszip, 0, data));
    const MemoryCabSource source(cab);
    cab32::CabDirectory directory;
    ASSERT_EQ(cab32::ReadCabDirectory(source, directory, true), cab32::CabFault::None);
    for (int taken : {0, 1, 40}) {
        cab32::FolderReader reader(directory.folders[0].compression);
        reader.StartPart(source, directory, directory.folders[0]);
        cab32::DecodeAhead ahead(reader, true);
        std::span<const std::uint8_t> frame;
        std::uint64_t start = 0;
        for (int i = 0; i < taken; ++i) {
            ASSERT_EQ(ahead.Next(frame, start), cab32::FolderReader::Step::Frame);
            EXPECT_TRUE(std::equal(frame.begin(), frame.end(), data.begin() + static_cast<std::ptrdiff_t>(start)));
        }
    }
}

// A volume that fills up inside a block ends with the block's first piece
// (uncompressed size 0); the next volume's first block carries the rest.
TEST(FolderAcrossVolumes, ACutBlockIsJoinedWithItsRest) {
    const Bytes data = SampleData(Sample::Text, 120000, 3);
    const Folder folder = EncodeWithWriter(Compression::Lzx, 17, data);
    ASSERT_GE(folder.blocks.size(), 3u);
    const Block& cut = folder.blocks[1];
    const std::size_t half = cut.payload.size() / 2;
    Part first;
    Part second;
    PutBlock(first.bytes, folder.blocks[0].payload, folder.blocks[0].size);
    PutBlock(first.bytes, Bytes(cut.payload.begin(), cut.payload.begin() + half), 0);
    first.blocks = 2;
    PutBlock(second.bytes, Bytes(cut.payload.begin() + half, cut.payload.end()), cut.size);
    for (std::size_t i = 2; i < folder.blocks.size(); ++i) {
        PutBlock(second.bytes, folder.blocks[i].payload, folder.blocks[i].size);
        ++second.blocks;
    }
    ++second.blocks;
    Bytes out;
    ASSERT_TRUE(ReadParts(folder.type, {first, second}, out));
    EXPECT_EQ(out, data);

    // The next volume's folder must carry on with the same method.
    cab32::FolderReader reader(folder.type);
    const MemoryCabSource source(second.bytes);
    cab32::CabDirectory directory;
    directory.cabinetSize = static_cast<std::uint32_t>(second.bytes.size());
    reader.StartPart(source, directory, cab32::CabFolder{0, second.blocks, 0x0001});
    std::span<const std::uint8_t> frame;
    EXPECT_EQ(reader.Next(frame), cab32::FolderReader::Step::Bad);
}

enum class Damage { PayloadByte, CutBlockInTheMiddle, MoreBlocksThanBytes };

class DamagedFolder : public ::testing::TestWithParam<Damage> {};

// Whatever the damage, the reader stops with Bad and never hands out the
// damaged frame's bytes.
TEST_P(DamagedFolder, EndsTheFolder) {
    const Bytes data = SampleData(Sample::Text, 70000, 5);
    const Folder folder = EncodeWithWriter(Compression::Mszip, 0, data);
    Part part;
    for (std::size_t i = 0; i < folder.blocks.size(); ++i) {
        const bool cut = GetParam() == Damage::CutBlockInTheMiddle && i == 0;
        PutBlock(part.bytes, folder.blocks[i].payload, cut ? 0 : folder.blocks[i].size);
        ++part.blocks;
    }
    if (GetParam() == Damage::PayloadByte) part.bytes[8 + 20] ^= 0x40;  // the checksum no longer fits
    if (GetParam() == Damage::MoreBlocksThanBytes) part.blocks += 100;
    Bytes out;
    EXPECT_FALSE(ReadParts(folder.type, {part}, out));
    EXPECT_LE(out.size(), data.size());
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedFolder,
                         ::testing::Values(Damage::PayloadByte, Damage::CutBlockInTheMiddle,
                                           Damage::MoreBlocksThanBytes));

}  // namespace
}  // namespace tarvik::testing
