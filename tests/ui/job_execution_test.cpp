// The Execute button against the test double of the archiver library.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <fstream>

#include "compression_items.h"
#include "outbuffer.h"
#include "sjis_path.h"
#include "window_test_support.h"

using namespace testing_support;

namespace {

void PressExecute(MainWindowFixture& f) { SendMessageA(f.window->cmdExec, BM_CLICK, 0, 0); }

constexpr char kLibraryKey[] = "Software\\ArchiverDll\\Cab32";

const char kWarning[] = "CABファイルを検査しましたが破損の恐れがあります。\n又は未作成の可能性があります。";

// The colour of the whole text of a rich edit, as it is shown.
CHARFORMATA ShownFormat(HWND richEdit) {
    SendMessageA(richEdit, EM_SETSEL, 0, -1);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(richEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageA(richEdit, EM_SETSEL, 0, 0);
    return format;
}

}  // namespace

// A main window over the scriptable library and a temporary folder.
using JobDecision = WindowTest;
using CompressJob = WindowTest;
using ExtractJob = WindowTest;

// Which archive paths reach the library: Compress only a path that does
// not exist, every other operation only one that exists and passes the
// library's check. A job that does not run shows nothing. Every job with a
// path opens (and so creates) the library's key; an empty path does
// nothing at all.
TEST_F(JobDecision, OnlySuitablePathsReachTheLibrary) {
    const std::string existing = folder.File("in.cab", "MSCF");
    const std::string damaged = folder.File("bad.cab", "not a cabinet");
    const std::string missing = folder.path() + "\\new.cab";
    f.Start();

    struct Case {
        const char* operation;
        std::string path;
        bool runs;
    };
    const Case cases[] = {
        {"圧縮", "", false},        {"圧縮", existing, false},         {"圧縮", missing, true},
        {"解凍", existing, true},   {"解凍", missing, false},          {"自己解凍書庫", existing, true},
        {"内容一覧", missing, false}, {"内容一覧", existing, true},      {"検査", existing, true},
        {"検査", damaged, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.operation) + " " + c.path);
        ResetProgramState();
        f.SelectOperation(c.operation);
        f.SetArchivePath(c.path);
        const int calls = f.fake->script().cabCalls;
        const std::size_t messages = f.steps.messages.size();
        PressExecute(f);
        EXPECT_EQ(f.fake->script().cabCalls - calls, c.runs ? 1 : 0);
        if (!c.runs) {
            EXPECT_EQ(f.steps.messages.size(), messages);
        }
        EXPECT_EQ(KeyExists(kLibraryKey), !c.path.empty());
        if (c.path.empty()) {
            EXPECT_EQ(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
        }
        DeleteFileA(missing.c_str());
    }
}

TEST_F(CompressJob, WritesTheLibraryDefaultsForEachType) {
    const std::string file = folder.File("a.txt");
    f.Start();
    for (const CompressionItem& row : kCompressionItems) {
        SCOPED_TRACE(row.item);
        f.SelectCompression(row.item);
        f.window->SetFileList({file});
        f.SetArchivePath(folder.path() + "\\out.cab");
        PressExecute(f);
        EXPECT_EQ(ReadDword(kLibraryKey, "CompressionMode"), row.mode);
        EXPECT_EQ(ReadDword(kLibraryKey, "LzxCompressLevel"), row.level);
    }
}

TEST_F(CompressJob, CommandAndResponseFileCarryTheList) {
    const std::string first = folder.File("a b.txt");
    const std::string second = folder.File("c.txt");
    f.Start();
    f.SelectCompression("LZX 21");
    f.window->SetFileList({first, second});
    f.SetArchivePath(folder.path() + "\\out.cab");
    PressExecute(f);
    ASSERT_EQ(f.fake->script().cabCalls, 1);
    EXPECT_EQ(std::string(f.fake->script().lastCommand),
              "-a -ml21 " + tarvik::QuoteIfSpaced(folder.path() + "\\out.cab") + " @" + tarvik::ExeFolder() +
                  "\\Files.txt");
    EXPECT_EQ(ReadFile(ResponseFile()), "\"" + first + "\"\r\n" + second + "\r\n");
}

TEST_F(CompressJob, EmptyListDoesNotCompressAnEarlierResponseFile) {
    f.Start();
    std::ofstream(ResponseFile(), std::ios::binary) << "stale.txt\r\n";
    f.SetArchivePath(folder.path() + "\\out.cab");
    PressExecute(f);
    EXPECT_EQ(ReadFile(ResponseFile()), "");
    // The library made nothing, so the job ends in the usual warning.
    ASSERT_EQ(f.steps.messages.size(), 1u);
    EXPECT_EQ(f.steps.messages[0].text, kWarning);
    EXPECT_EQ(f.steps.messages[0].caption, "警告");
    EXPECT_EQ(f.steps.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_TRUE(IsWindowEnabled(f.window->hwnd()));
}

TEST_F(CompressJob, UnwritableResponseFileStopsTheJobWithAnError) {
    const std::string file = folder.File("a.txt");
    f.Start();
    CreateDirectoryA(ResponseFile().c_str(), nullptr);  // a folder where the file should be
    f.window->SetFileList({file});
    f.SetArchivePath(folder.path() + "\\out.cab");
    PressExecute(f);
    EXPECT_EQ(f.fake->script().cabCalls, 0);
    ASSERT_EQ(f.steps.messages.size(), 1u);
    std::string expected = "'";
    expected += ResponseFile();
    expected += "' を書き込めません.";
    EXPECT_EQ(f.steps.messages[0].text, expected);
    EXPECT_EQ(f.steps.messages[0].caption, "Tarvik32");
    EXPECT_EQ(f.steps.messages[0].type & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(IsWindowEnabled(f.window->hwnd()));
    RemoveDirectoryA(ResponseFile().c_str());
}

TEST_F(CompressJob, RefusedLibraryDefaultsStopTheJobBeforeTheLibrary) {
    const std::string file = folder.File("a.txt");
    f.Start();
    MakeKeyReadOnly("Software\\ArchiverDll\\Cab32");
    f.window->SetFileList({file});
    DeleteFileA(ResponseFile().c_str());
    f.SetArchivePath(folder.path() + "\\out.cab");
    PressExecute(f);
    EXPECT_EQ(f.fake->script().cabCalls, 0);
    EXPECT_EQ(GetFileAttributesA(ResponseFile().c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(f.steps.messages.size(), 1u);
    EXPECT_EQ(f.steps.messages[0].text, "'CompressionMode' の設定に失敗しました.");
    EXPECT_TRUE(f.steps.messages[0].type & MB_ICONERROR);
    EXPECT_TRUE(IsWindowEnabled(f.window->hwnd()));
}

TEST_F(CompressJob, MultiVolumeChecksTheFirstVolumeNamedBeforeTheExtension) {
    const std::string file = folder.File("a.txt");
    CreateDirectoryA((folder.path() + "\\my.dir").c_str(), nullptr);
    const std::string archive = folder.path() + "\\my.dir\\a.cab";
    const std::string firstVolume = folder.path() + "\\my.dir\\a01.cab";
    f.fake->script().checkAnswer = fake_cab32::kCheckCabinetFile;
    std::snprintf(f.fake->script().cabCreatesCabinet, sizeof f.fake->script().cabCreatesCabinet, "%s",
                  firstVolume.c_str());
    f.fake->SetOutput("作成しました");
    f.Start();
    f.SetCheck(f.window->CheckBox4, true);
    f.window->SetFileList({file});
    f.SetArchivePath(archive);
    PressExecute(f);
    EXPECT_NE(std::string(f.fake->script().lastCommand).find("-v:1400 "), std::string::npos);
    EXPECT_EQ(TextOf(f.window->edtCab), firstVolume);
    EXPECT_EQ(f.fake->script().lastCheckPath, firstVolume);
    EXPECT_TRUE(f.steps.messages.empty());
    EXPECT_EQ(f.steps.resultWindowShown, 1);
}

TEST_F(CompressJob, OlderLibraryNamesTheFirstVolumeWithOneDigit) {
    const std::string file = folder.File("a.txt");
    f.fake->script().version = 80;
    f.Start();
    f.SetCheck(f.window->CheckBox4, true);
    f.window->SetFileList({file});
    f.SetArchivePath(folder.path() + "\\archive");
    PressExecute(f);
    EXPECT_EQ(TextOf(f.window->edtCab), folder.path() + "\\archive1");
}

TEST_F(ExtractJob, ResponseFileHoldsTheTickedMembersOrNothing) {
    const std::string cabinet = folder.File("in.cab", "MSCF");
    f.fake->SetMembers({"readme.txt", "sub dir\\b.txt", "c.dat"});
    f.Start();
    f.SelectOperation("解凍");
    f.SetArchivePath(cabinet);
    PressExecute(f);
    EXPECT_EQ(ReadFile(ResponseFile()), "");
    EXPECT_EQ(std::string(f.fake->script().lastCommand), "-x " + cabinet + " ");

    f.SetCheck(f.window->CheckBox3, true);
    ASSERT_TRUE(IsShownControl(f.window->CheckListBox1));
    SendMessageA(f.window->CheckListBox1, LB_SETITEMDATA, 1, 1);
    PressExecute(f);
    EXPECT_EQ(ReadFile(ResponseFile()), "\"sub dir\\b.txt\"\r\n");
    EXPECT_EQ(std::string(f.fake->script().lastCommand),
              "-x " + cabinet + "  @" + tarvik::ExeFolder() + "\\Files.txt");
}

// The result text is replaced only by output there is, and is white
// whatever the text shown.
TEST(JobResult, OutputReplacesTheWhiteResultTextOnlyWhenThereIsSome) {
    MainWindowFixture f;
    TempFolder folder;
    const std::string cabinet = folder.File("in.cab", "MSCF");
    f.Start();
    f.SelectOperation("内容一覧");
    f.SetArchivePath(cabinet);
    const struct {
        const char* output;
        const char* shown;
    } jobs[] = {{"一覧 1\r\n", "一覧 1\r\n"},
                {"", "一覧 1\r\n"},
                {"second listing\r\n\r\n  with more lines\r\n", "second listing\r\n\r\n  with more lines\r\n"}};
    for (const auto& job : jobs) {
        SCOPED_TRACE(job.output);
        f.fake->SetOutput(job.output);
        PressExecute(f);
        EXPECT_EQ(f.outbuffer->Text(), job.shown);
        const CHARFORMATA format = ShownFormat(f.outbuffer->RichEdit1());
        EXPECT_TRUE(format.dwMask & CFM_COLOR);  // one colour over the whole text
        EXPECT_FALSE(format.dwEffects & CFE_AUTOCOLOR);
        EXPECT_EQ(format.crTextColor, RGB(255, 255, 255));
    }
    EXPECT_EQ(f.steps.resultWindowShown, 3);
}

TEST(JobResult, MainWindowIsDisabledOnlyWhileTheLibraryWorks) {
    for (const bool archiveMade : {true, false}) {
        SCOPED_TRACE(archiveMade);
        MainWindowFixture f;
        TempFolder folder;
        const std::string archive = folder.path() + "\\out.cab";
        if (archiveMade) {
            std::snprintf(f.fake->script().cabCreatesCabinet, sizeof f.fake->script().cabCreatesCabinet, "%s",
                          archive.c_str());
        }
        f.Start();
        f.window->SetFileList({folder.File("a.txt")});
        f.SetArchivePath(archive);
        PressExecute(f);
        ASSERT_EQ(f.fake->script().cabCalls, 1);
        EXPECT_EQ(f.fake->script().ownerEnabledDuringCab, FALSE);
        EXPECT_TRUE(IsWindowEnabled(f.window->hwnd()));
        EXPECT_EQ(f.steps.resultWindowShown, archiveMade ? 1 : 0);
        EXPECT_EQ(f.steps.messages.size(), archiveMade ? 0u : 1u);
    }
}

TEST(JobResult, ResultCodeDoesNotDecideSuccess) {
    MainWindowFixture f;
    TempFolder folder;
    const std::string file = folder.File("a.txt");
    f.fake->script().cabResult = 0x8001;  // reported as failed, but the archive passes its check
    const std::string archive = folder.path() + "\\out.cab";
    std::snprintf(f.fake->script().cabCreatesCabinet, sizeof f.fake->script().cabCreatesCabinet, "%s",
                  archive.c_str());
    f.Start();
    f.window->SetFileList({file});
    f.SetArchivePath(archive);
    PressExecute(f);
    EXPECT_TRUE(f.steps.messages.empty());
    EXPECT_EQ(f.steps.resultWindowShown, 1);
}

TEST(JobResult, MissingLibraryWarnsForCompressOnly) {
    MainWindowFixture f(FakeVariant::Full, /*withLibrary=*/false);
    TempFolder folder;
    const std::string file = folder.File("a.txt");
    const std::string cabinet = folder.File("in.cab", "MSCF");
    f.Start();
    f.window->SetFileList({file});
    f.SetArchivePath(folder.path() + "\\out.cab");
    PressExecute(f);
    ASSERT_EQ(f.steps.messages.size(), 1u);
    EXPECT_EQ(f.steps.messages[0].text, kWarning);
    f.SelectOperation("検査");
    f.SetArchivePath(cabinet);
    PressExecute(f);
    EXPECT_EQ(f.steps.messages.size(), 1u);
}
