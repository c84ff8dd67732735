// Damaged and hostile cabinets through the real stand-in library: whatever a
// cabinet holds, the sound members come out whole, a member that fails leaves
// nothing behind (no partial file, no temporary file), the result says so,
// and nothing is read or written outside the folders the command names.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "archiver.h"
#include "fake_cab32_control.h"
#include "stored_cabinet.h"
#include "temp_folder.h"

using namespace testing_support;

namespace {

const std::string kBig(40000, 'b');  // spans two stored blocks

struct CabResult {
    int code;
    std::string output;
};

class HostileCabinet : public ::testing::Test {
protected:
    HostileCabinet() { UseRealLibrary(); }
    ~HostileCabinet() override { ResetLibrarySearch(); }

    CabResult Run(const std::string& command, int bufferSize = 64000) {
        std::string output(static_cast<std::size_t>(bufferSize), '\0');
        const int code = tarvik::RunArchiverCommand(nullptr, command.c_str(), output.data(), bufferSize);
        output.resize(std::strlen(output.c_str()));
        return {code, output};
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = work.path() + "\\" + name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    std::string Out() const { return work.path() + "\\out\\"; }

    TempFolder work;
};

void SetCompression(std::string& cab, std::size_t folder, std::uint16_t compression) {
    const std::size_t entry = FolderEntryOffset(cab, folder);
    cab[entry + 6] = static_cast<char>(compression & 0xFF);
    cab[entry + 7] = static_cast<char>(compression >> 8);
}

}  // namespace

TEST_F(HostileCabinet, AFolderThatCannotBeDecodedFailsItsMembersOnly) {
    std::string cab = BuildStoredCabinet(std::vector<StoredFolder>{
        {{{"a.txt", "first"}}, 0}, {{{"lzx22.txt", kBig}}, 0}, {{{"c.txt", "third"}}, 0}});
    SetCompression(cab, 1, 0x1603);  // LZX with a window of 2^22
    const std::string path = Write("lzx22.cab", cab);
    EXPECT_FALSE(tarvik::ArchiverCheckArchive(path.c_str(), 2));

    const CabResult result = Run("-x " + path + " " + Out());
    EXPECT_EQ(result.code, 8) << result.output;
    EXPECT_NE(result.output.find("lzx22.txt"), std::string::npos) << result.output;
    EXPECT_EQ(ReadFile(Out() + "a.txt"), "first");
    EXPECT_EQ(ReadFile(Out() + "c.txt"), "third");
    EXPECT_EQ(work.Files(), (std::vector<std::string>{"lzx22.cab", "out\\a.txt", "out\\c.txt"}));
    EXPECT_EQ(Run("-t " + path).code, 8);
}

TEST_F(HostileCabinet, ADamagedMemberPickedFromAListLeavesNothing) {
    std::string cab = BuildStoredCabinet({{"one.txt", std::string(32768, '1')}, {"two.txt", kBig}});
    cab[cab.size() - 100] ^= 0x20;  // a byte of two.txt's last block: its checksum no longer fits
    const std::string path = Write("damaged.cab", cab);
    Write("pick.txt", "two.txt\r\n");

    CabResult result = Run("-x " + path + " " + Out() + " @" + work.path() + "\\pick.txt");
    EXPECT_NE(result.code, 0) << result.output;
    EXPECT_NE(result.output.find("two.txt"), std::string::npos) << result.output;
    EXPECT_EQ(work.Files(), (std::vector<std::string>{"damaged.cab", "pick.txt"}));

    // Extracting everything: the sound member whole, the damaged one not at all.
    result = Run("-x " + path + " " + Out());
    EXPECT_NE(result.code, 0) << result.output;
    EXPECT_EQ(ReadFile(Out() + "one.txt"), std::string(32768, '1'));
    EXPECT_EQ(work.Files(), (std::vector<std::string>{"damaged.cab", "out\\one.txt", "pick.txt"}));
}

TEST_F(HostileCabinet, AnUnsafeFirstMemberIsRefusedAndTheRestExtracted) {
    const std::string path =
        Write("evil.cab", BuildStoredCabinet({{"..\\escape.txt", "evil"}, {"ok.txt", "fine"}, {"sub\\b.txt", kBig}}));
    const CabResult result = Run("-x " + path + " " + Out());
    EXPECT_EQ(result.code, 9) << result.output;
    EXPECT_EQ(ReadFile(Out() + "ok.txt"), "fine");
    EXPECT_EQ(ReadFile(Out() + "sub\\b.txt"), kBig);
    EXPECT_EQ(work.Files(), (std::vector<std::string>{"evil.cab", "out\\ok.txt", "out\\sub\\b.txt"}));
}

TEST_F(HostileCabinet, OutputLongerThanTheBufferCountsWhatItLeavesOutAndEndsWithTheVerdict) {
    std::vector<StoredMember> members;
    for (int i = 0; i < 400; ++i) members.push_back({"member" + std::to_string(i) + ".txt", ""});
    members.push_back({"..\\escape.txt", "x"});
    const std::string path = Write("many.cab", BuildStoredCabinet(members));

    const CabResult result = Run("-t " + path, 2000);
    EXPECT_EQ(result.code, 9) << result.output;
    EXPECT_TRUE(result.output.ends_with("書庫に異常があります。\r\n")) << result.output;
    // The unsafe name's line and 401 tested members: each line shown or counted.
    const std::size_t cut = result.output.find("(出力が長すぎるため ");
    ASSERT_NE(cut, std::string::npos) << result.output;
    int shown = -2;  // that line and the verdict
    for (std::size_t at = result.output.find("\r\n"); at != std::string::npos; at = result.output.find("\r\n", at + 2))
        ++shown;
    EXPECT_EQ(shown + std::atoi(result.output.c_str() + cut + std::strlen("(出力が長すぎるため ")), 402) << result.output;
}

class NextVolumeName : public HostileCabinet, public ::testing::WithParamInterface<const char*> {};

TEST_P(NextVolumeName, MustBeABareFileName) {
    // A sound cabinet waits where the name points, inside and outside the folder.
    CreateDirectoryA((work.path() + "\\set").c_str(), nullptr);
    CreateDirectoryA((work.path() + "\\set\\sub").c_str(), nullptr);
    Write("x.cab", BuildStoredCabinet({{"decoy.txt", "decoy"}}));
    Write("set\\sub\\x.cab", BuildStoredCabinet({{"decoy.txt", "decoy"}}));
    StoredCabinetOptions options;
    options.nextCabinet = GetParam();
    const std::string path = Write("set\\first.cab", BuildStoredCabinet({{"first.txt", "1"}}, options));

    const CabResult result = Run("-x -k " + path + " " + Out());
    EXPECT_EQ(result.code, 9) << result.output;
    EXPECT_NE(result.output.find(GetParam()), std::string::npos) << result.output;
    EXPECT_EQ(GetFileAttributesA((Out() + "decoy.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

INSTANTIATE_TEST_SUITE_P(Escaping, NextVolumeName,
                         ::testing::Values("..\\x.cab", "sub\\x.cab", "\\x.cab", "Z:\\x.cab", "..", "sub/x.cab"));
