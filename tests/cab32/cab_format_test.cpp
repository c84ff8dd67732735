#include <gtest/gtest.h>

#include <cstring>

#include "cab_format.h"
#include "data_block.h"
#include "listing.h"
#include "member_record.h"
#include "stored_cabinet.h"

namespace cab32 {
namespace {

class MemorySource final : public CabSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    bool Read(std::int64_t offset, void* buffer, std::uint32_t count) const override {
        if (offset < 0 || static_cast<std::uint64_t>(offset) + count > bytes_.size()) return false;
        std::memcpy(buffer, bytes_.data() + offset, count);
        return true;
    }

private:
    std::string bytes_;
};

using Member = testing_support::StoredMember;

std::string BuildCabinet(const std::vector<Member>& members, std::int32_t folderIndex = -1) {
    testing_support::StoredCabinetOptions options;
    options.folderIndex = folderIndex;
    return testing_support::BuildStoredCabinet(members, options);
}

const std::vector<Member> kMembers = {{"a.txt", "hello"}, {"sub dir\\\x83\x5C.bin", std::string(300, '\x5C')},
                                      {"empty", ""}};

TEST(ReadCabDirectory, ReadsTablesOfASoundCabinetWhoseChecksumsFindADamagedByte) {
    MemorySource source(BuildCabinet(kMembers));
    CabDirectory dir;
    ASSERT_EQ(ReadCabDirectory(source, dir, true), CabFault::None);
    ASSERT_EQ(dir.members.size(), 3u);
    EXPECT_EQ(dir.members[1].name, "sub dir\\\x83\x5C.bin");
    EXPECT_EQ(dir.members[1].size, 300u);
    EXPECT_EQ(dir.members[1].folderOffset, 5u);
    EXPECT_EQ(dir.folders.size(), 1u);
    EXPECT_EQ(dir.setId, 7u);
    EXPECT_EQ(VerifyDataChecksums(source, dir), CabFault::None);

    // A damaged byte that the tables do not show: only the checksums find it.
    std::string cab = BuildCabinet(kMembers);
    cab[cab.size() - 10] ^= 0x01;
    MemorySource damaged(cab);
    ASSERT_EQ(ReadCabDirectory(damaged, dir, true), CabFault::None);
    EXPECT_EQ(VerifyDataChecksums(damaged, dir), CabFault::BadChecksum);
}

TEST(ReadCabDirectory, EveryTruncationIsRefused) {
    const std::string cab = BuildCabinet(kMembers);
    for (std::size_t length = 0; length < cab.size(); ++length) {
        MemorySource source(cab.substr(0, length));
        CabDirectory dir;
        EXPECT_NE(ReadCabDirectory(source, dir, true), CabFault::None) << "cut at " << length;
    }
}

TEST(ReadCabDirectory, RefusesNonCabinetsAndInconsistentTables) {
    CabDirectory dir;
    EXPECT_EQ(ReadCabDirectory(MemorySource("MZ\x90\x00 not a cabinet at all, but long enough......"), dir, true),
              CabFault::NotCabinet);
    // A member that names a folder the cabinet does not have.
    EXPECT_EQ(ReadCabDirectory(MemorySource(BuildCabinet(kMembers, 3)), dir, true), CabFault::BadTables);
    // A member that claims more bytes than its folder holds.
    std::string cab = BuildCabinet({{"a.txt", "hello"}});
    cab[44] = 50;  // size of the first member
    EXPECT_EQ(ReadCabDirectory(MemorySource(cab), dir, true), CabFault::BadTables);
    EXPECT_EQ(ReadCabDirectory(MemorySource(cab), dir, false), CabFault::None);  // tables alone look fine
    // A folder whose data starts on the file table.
    cab = BuildCabinet(kMembers);
    const std::uint32_t onTheFileTable = 44;
    std::memcpy(cab.data() + testing_support::FolderEntryOffset(cab, 0), &onTheFileTable, 4);
    EXPECT_NE(ReadCabDirectory(MemorySource(cab), dir, true), CabFault::None);
}

// A folder table entry claiming `compression` (its data stays stored).
struct CompressionCase {
    std::uint16_t compression;
    CabFault expected;
};

class FolderCompression : public ::testing::TestWithParam<CompressionCase> {};

TEST_P(FolderCompression, OnlyWhatCanBeDecodedPasses) {
    std::string cab = BuildCabinet(kMembers);
    const std::size_t entry = testing_support::FolderEntryOffset(cab, 0);
    cab[entry + 6] = static_cast<char>(GetParam().compression & 0xFF);
    cab[entry + 7] = static_cast<char>(GetParam().compression >> 8);
    CabDirectory dir;
    EXPECT_EQ(ReadCabDirectory(MemorySource(cab), dir, true), GetParam().expected);
    EXPECT_EQ(dir.members.size(), kMembers.size());  // the tables are read either way
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FolderCompression,
    ::testing::Values(CompressionCase{0x0000, CabFault::None}, CompressionCase{0x0001, CabFault::None},
                      CompressionCase{0x0F03, CabFault::None},                // LZX 15
                      CompressionCase{0x1503, CabFault::None},                // LZX 21
                      CompressionCase{0x0E03, CabFault::UnknownCompression},  // LZX 14
                      CompressionCase{0x1603, CabFault::UnknownCompression},  // LZX 22
                      CompressionCase{0x0A12, CabFault::None},                // Quantum level 1, 2^10
                      CompressionCase{0x1572, CabFault::None},                // Quantum level 7, 2^21
                      CompressionCase{0x1502, CabFault::UnknownCompression},  // Quantum level 0
                      CompressionCase{0x1582, CabFault::UnknownCompression},  // Quantum level 8
                      CompressionCase{0x0912, CabFault::UnknownCompression},  // Quantum window 2^9
                      CompressionCase{0x1612, CabFault::UnknownCompression},  // Quantum window 2^22
                      CompressionCase{0x0004, CabFault::UnknownCompression},
                      CompressionCase{0x000F, CabFault::UnknownCompression}));

// Folders whose data blocks all lie on the same bytes: the tables are small,
// the walk they ask for is not.
std::string FoldersSharingTheirData(std::uint16_t folders, std::uint16_t blocksEach) {
    std::string cab = BuildCabinet({{"a.txt", ""}});
    const std::size_t entry = testing_support::FolderEntryOffset(cab, 0);
    std::string table = cab.substr(entry, 8);
    table[4] = static_cast<char>(blocksEach & 0xFF);
    table[5] = static_cast<char>(blocksEach >> 8);
    std::string extra;
    for (std::uint16_t i = 1; i < folders; ++i) extra += table;
    cab = cab.substr(0, entry) + table + extra + cab.substr(entry + 8);
    // Shift every offset past the added entries and append the empty blocks.
    auto shift32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        std::memcpy(&v, cab.data() + at, 4);
        v += static_cast<std::uint32_t>(extra.size());
        std::memcpy(cab.data() + at, &v, 4);
    };
    shift32(16);  // the file table
    for (std::uint16_t i = 0; i < folders; ++i) shift32(entry + 8u * i);
    cab[26] = static_cast<char>(folders & 0xFF);
    cab[27] = static_cast<char>(folders >> 8);
    cab.resize(cab.size() - 8);  // the one empty block, written anew below
    for (std::uint16_t i = 0; i < blocksEach; ++i) cab += std::string(8, '\0');
    const std::uint32_t total = static_cast<std::uint32_t>(cab.size());
    std::memcpy(cab.data() + 8, &total, 4);
    return cab;
}

TEST(ReadCabDirectory, RefusesFoldersThatShareTheirDataAndWalksNoMoreThanTheFileHolds) {
    CabDirectory dir;
    // One folder of 65,535 empty blocks is sound; fifty on the same bytes are not.
    EXPECT_EQ(ReadCabDirectory(MemorySource(FoldersSharingTheirData(1, 65535)), dir, true), CabFault::None);
    EXPECT_EQ(ReadCabDirectory(MemorySource(FoldersSharingTheirData(50, 65535)), dir, true), CabFault::BadTables);
    EXPECT_EQ(ReadCabDirectory(MemorySource(FoldersSharingTheirData(2, 3)), dir, true), CabFault::BadTables);
}

TEST(CabChecksum, TailBytesTakenInTheFormatsOrder) {
    const unsigned char bytes[] = {1, 2, 3, 4, 5, 6, 7};
    // One whole word 0x04030201, then the tail 5, 6, 7 as 0x050607.
    EXPECT_EQ(CabChecksum(bytes, 0), 0x04030201u ^ 0x00050607u);
    EXPECT_EQ(CabChecksum(std::span<const std::uint8_t>(), 0x1234u), 0x1234u);
}

TEST(MemberRecords, PathAtByte26AndDocumentedFields) {
    MemorySource source(BuildCabinet(kMembers));
    CabDirectory dir;
    ASSERT_EQ(ReadCabDirectory(source, dir, true), CabFault::None);
    unsigned char record[tarvik::cab32::kMemberRecordSize];
    std::memset(record, 0xEE, sizeof record);
    MemberRecords(dir).Fill(1, record);
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 26), "sub dir\\\x83\x5C.bin");
    std::uint32_t size = 0;
    std::memcpy(&size, record, 4);
    EXPECT_EQ(size, 300u);
    std::uint16_t date = 0;
    std::memcpy(&date, record + 8, 2);
    EXPECT_EQ(FormatDosDate(date), "2026/12/08");
    EXPECT_STREQ(reinterpret_cast<const char*>(record + tarvik::cab32::kRecordMethod.offset), "\x96\xB3\x88\xB3\x8F\x6B");
    EXPECT_EQ(record[tarvik::cab32::kMemberRecordSize - 1], 0);  // the whole record is written
}

TEST(FormatDosDateTime, ReadsTheBitFields) {
    EXPECT_EQ(FormatDosDate((46u << 9) | (12u << 5) | 8u), "2026/12/08");
    EXPECT_EQ(FormatDosTime((21u << 11) | (5u << 5) | 15u), "21:05:30");
    EXPECT_EQ(FormatDosDate(0x21), "1980/01/01");
}

}  // namespace
}  // namespace cab32
