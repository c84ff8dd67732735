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

// How often `part` occurs in `text`.
int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// Runs a program to its end and answers its exit code (-1 when it has not
// ended after a minute: it is ended then).
int RunProgram(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -2;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

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

// Cabinets whose next volumes lead back to one already read: 1 names itself,
// 2 are two cabinets naming each other.
class VolumeLoop : public HostileCabinet, public ::testing::WithParamInterface<int> {
protected:
    static std::string Member(int k) {
        std::string name = "m";
        name += std::to_string(k);
        return name + ".txt";
    }
    // Cabinet `k` of the loop, holding Member(k) (its name as its content),
    // whose next volume is `next`.
    static std::string Cabinet(int k, const std::string& next) {
        StoredCabinetOptions options;
        options.nextCabinet = next;
        options.cabinetIndex = static_cast<std::uint16_t>(k);
        return BuildStoredCabinet({{Member(k), Member(k)}}, options);
    }
    // Writes the loop starting at `first` and answers that file's path;
    // `stub` goes before the first cabinet (a self-extractor).
    std::string WriteLoop(const std::string& first, const std::string& stub = {}) {
        const int length = GetParam();
        std::vector<std::string> names{first};
        for (int k = 1; k < length; ++k) names.push_back("loop" + std::to_string(k) + ".cab");
        for (int k = length - 1; k >= 0; --k) Write(names[k], (k == 0 ? stub : "") + Cabinet(k, names[(k + 1) % length]));
        return work.path() + "\\" + first;
    }
};

TEST_P(VolumeLoop, EndsAtTheCabinetReadAgainWithEveryMemberTakenOnce) {
    const std::string path = WriteLoop("loop.cab");
    for (const std::string& command : {"-t " + path, "-x -k " + path + " " + Out()}) {
        const CabResult result = Run(command);
        EXPECT_EQ(result.code, 5) << result.output;
        EXPECT_NE(result.output.find("既に読んだボリュームです: " + path), std::string::npos) << result.output;
        for (int k = 0; k < GetParam(); ++k) EXPECT_EQ(Occurrences(result.output, Member(k)), 1) << result.output;
    }
    for (int k = 0; k < GetParam(); ++k) EXPECT_EQ(ReadFile(Out() + Member(k)), Member(k));

    // A self-extractor follows its cabinet's next volumes the same way.
    const std::string plain = Write("plain.cab", BuildStoredCabinet({{"p.txt", "p"}}));
    ASSERT_EQ(Run("-f " + plain + " " + work.path()).code, 0);
    const std::string program = ReadFile(work.path() + "\\plain.exe");
    const std::string exe = WriteLoop("loop.exe", program.substr(0, program.size() - ReadFile(plain).size()));
    EXPECT_EQ(RunProgram("\"" + exe + "\" -d \"" + work.path() + "\\sfx\""), 5);
    for (int k = 0; k < GetParam(); ++k) EXPECT_EQ(ReadFile(work.path() + "\\sfx\\" + Member(k)), Member(k));
}

INSTANTIATE_TEST_SUITE_P(Loops, VolumeLoop, ::testing::Values(1, 2));

TEST_F(HostileCabinet, ANextVolumeOutsideTheSetOrOutOfOrderIsRefused) {
    struct Case {
        std::uint16_t firstIndex;
        std::uint16_t nextSetId;
        std::uint16_t nextIndex;
        const char* refusal;  // null: the set is sound
        const char* named;    // the cabinet the refusal names
    };
    int n = 0;
    for (const Case& c : std::initializer_list<Case>{{0, 7, 1, nullptr, nullptr},
                                                     {0, 8, 1, "別の分割書庫のボリュームです", "second.cab"},
                                                     {0, 7, 2, "ボリュームの順番が正しくありません", "second.cab"},
                                                     {3, 7, 3, "ボリュームの順番が正しくありません", "second.cab"},
                                                     {0xFFFF, 7, 0, "ボリュームが多すぎます", "first.cab"}}) {
        StoredCabinetOptions options;
        options.nextCabinet = "second.cab";
        options.cabinetIndex = c.firstIndex;
        const std::string first = Write("first.cab", BuildStoredCabinet({{"a.txt", "a"}}, options));
        options = {};
        options.setId = c.nextSetId;
        options.cabinetIndex = c.nextIndex;
        Write("second.cab", BuildStoredCabinet({{"b.txt", "b"}}, options));
        const std::string out = work.path() + "\\out" + std::to_string(++n) + "\\";

        const CabResult result = Run("-x -k " + first + " " + out);
        EXPECT_EQ(ReadFile(out + "a.txt"), "a");
        if (!c.refusal) {
            EXPECT_EQ(result.code, 0) << result.output;
            EXPECT_EQ(ReadFile(out + "b.txt"), "b");
            continue;
        }
        EXPECT_EQ(result.code, 5) << result.output;
        EXPECT_NE(result.output.find(std::string(c.refusal)), std::string::npos) << result.output;
        EXPECT_NE(result.output.find(c.named), std::string::npos) << result.output;
        EXPECT_EQ(GetFileAttributesA((out + "b.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    }
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
