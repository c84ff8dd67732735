// Whole jobs through the window with the real stand-in library: files are
// gathered, compressed, listed, tested and extracted again, byte for byte;
// the result window shown for real.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "archiver.h"
#include "sjis_path.h"
#include "wide_names.h"
#include "window_test_support.h"

using namespace testing_support;

namespace {

void PressExecute(MainWindowFixture& f) { SendMessageA(f.window->cmdExec, BM_CLICK, 0, 0); }

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() % 7 == 0 ? random() : 'a' + random() % 4);
    return bytes;
}

std::string MemberName(int number) {
    std::string name = "m";
    name += std::to_string(number);
    name += ".txt";
    return name;
}

// A fixture whose library is the real stand-in built beside the program.
class RealLibraryTest : public ::testing::Test {
protected:
    RealLibraryTest() : f(FakeVariant::Full, /*withLibrary=*/false) { UseRealLibrary(); }

    // Makes the sample files: names with blanks and the 0x5C trail byte.
    std::vector<std::string> MakeSamples() {
        CreateDirectoryA((source.path() + "\\ソフト").c_str(), nullptr);
        return {source.File("a b.txt", "テキスト\r\n" + RandomBytes(5000, 1)),
                source.File("ソフト\\表.bin", RandomBytes(70000, 2)),
                source.File("empty.dat", ""),
                source.File("能.txt", RandomBytes(1, 3)),
                source.File("last.txt", RandomBytes(40000, 4))};
    }

    void Extract(const std::string& archive, const std::string& into) {
        f.SelectOperation("解凍");
        f.SetArchivePath(archive);
        ExtractInto(into);
    }
    // Chooses the folder and runs the extraction already set up.
    void ExtractInto(const std::string& into) {
        CreateDirectoryA(into.c_str(), nullptr);
        f.steps.chosenFolder = into + "\\";
        SendMessageA(f.window->cmdDirec, BM_CLICK, 0, 0);
        PressExecute(f);
    }

    MainWindowFixture f;
    TempFolder source;
    TempFolder target;
};

}  // namespace

TEST_F(RealLibraryTest, EveryCompressionTypeRoundTripsThroughTheWindow) {
    const std::vector<std::string> samples = MakeSamples();
    f.Start();
    ASSERT_NE(TextOf(f.window->Label5), "CAB32.DLLは見つかりません");
    int round = 0;
    for (const char* type : {"LZX 15", "LZX 21", "MSZIP", "無圧縮"}) {
        SCOPED_TRACE(type);
        const std::string archive = target.path() + "\\out" + std::to_string(++round) + ".cab";
        const std::string folder = target.path() + "\\x" + std::to_string(round);
        f.SelectOperation("圧縮");
        f.SelectCompression(type);
        f.window->SetFileList(samples);
        f.SetArchivePath(archive);
        PressExecute(f);
        ASSERT_TRUE(f.steps.messages.empty()) << f.steps.messages.front().text;

        f.SelectOperation("内容一覧");
        f.SetArchivePath(archive);
        PressExecute(f);
        EXPECT_NE(f.outbuffer->Text().find("last.txt"), std::string::npos);
        f.SelectOperation("検査");
        f.SetArchivePath(archive);
        PressExecute(f);
        EXPECT_TRUE(f.steps.messages.empty());

        f.SetCheck(f.window->CheckBox2, true);  // without the stored folders
        Extract(archive, folder);
        for (const std::string& sample : samples) {
            const std::string name(tarvik::FileNamePart(sample));
            EXPECT_EQ(ReadFile(folder + "\\" + name), ReadFile(sample)) << name;
        }
        f.SetCheck(f.window->CheckBox2, false);
    }
}

TEST_F(RealLibraryTest, MultiVolumeArchiveIsFollowedWhenExtracting) {
    const std::string big = source.File("big.bin", RandomBytes(3 * 1024 * 1024, 9));
    const std::string small = source.File("small.txt", "small");
    f.Start();
    f.SelectCompression("無圧縮");
    f.SetCheck(f.window->CheckBox4, true);
    f.SetCheck(f.window->CheckBox1, true);  // bare names: no folders stored
    f.window->SetFileList({big, small});
    f.SetArchivePath(target.path() + "\\set.cab");
    PressExecute(f);
    ASSERT_TRUE(f.steps.messages.empty());
    EXPECT_EQ(TextOf(f.window->edtCab), target.path() + "\\set01.cab");
    EXPECT_NE(GetFileAttributesA((target.path() + "\\set02.cab").c_str()), INVALID_FILE_ATTRIBUTES);

    const std::string folder = target.path() + "\\out";
    Extract(target.path() + "\\set01.cab", folder);
    EXPECT_EQ(ReadFile(folder + "\\big.bin"), ReadFile(big));
    EXPECT_EQ(ReadFile(folder + "\\small.txt"), "small");
}

TEST_F(RealLibraryTest, OnlyTheTickedMembersAreExtracted) {
    std::vector<std::string> files;
    for (int i = 1; i <= 5; ++i) files.push_back(source.File(MemberName(i), RandomBytes(100, i)));
    f.Start();
    f.SelectCompression("MSZIP");
    f.SetCheck(f.window->CheckBox1, true);
    f.window->SetFileList(files);
    const std::string archive = target.path() + "\\five.cab";
    f.SetArchivePath(archive);
    PressExecute(f);
    ASSERT_TRUE(f.steps.messages.empty());

    f.SelectOperation("解凍");
    f.SetArchivePath(archive);
    ASSERT_EQ(ListItems(f.window->ListBox1).size(), 5u);
    f.SetCheck(f.window->CheckBox3, true);
    SendMessageA(f.window->CheckListBox1, LB_SETITEMDATA, 1, 1);
    SendMessageA(f.window->CheckListBox1, LB_SETITEMDATA, 3, 1);
    const std::string folder = target.path() + "\\picked";
    ExtractInto(folder);
    for (int i = 1; i <= 5; ++i) {
        const std::string out = folder + "\\" + MemberName(i);
        const bool wanted = i == 2 || i == 4;
        EXPECT_EQ(GetFileAttributesA(out.c_str()) != INVALID_FILE_ATTRIBUTES, wanted) << out;
        if (wanted) {
            EXPECT_EQ(ReadFile(out), ReadFile(files[static_cast<std::size_t>(i - 1)]));
        }
    }
}

TEST_F(RealLibraryTest, OneFileOnTheCommandLineIsReallyCompressed) {
    const std::string file = source.File("report.txt", RandomBytes(3000, 5));
    f.Start("Tarvik32.exe \"" + file + "\"");
    const std::string archive = source.path() + "\\report.cab";
    EXPECT_EQ(TextOf(f.window->edtCab), archive);
    ASSERT_TRUE(f.steps.messages.empty());
    EXPECT_EQ(f.steps.resultWindowShown, 1);
    // The cabinet now exists and lists the file.
    f.SelectOperation("内容一覧");
    f.SetArchivePath(archive);
    ASSERT_EQ(ListItems(f.window->ListBox1).size(), 1u);
    EXPECT_NE(ListItems(f.window->ListBox1)[0].find("report.txt"), std::string::npos);
}

// What a thread timer saw of the main window while the library worked.
struct DuringTheJob {
    MainWindowFixture* fixture = nullptr;
    bool asked = false;      // a repaint and a close request were made
    bool disabled = false;   // the main window was disabled then
    bool answered = false;   // a later tick found both dealt with
    bool painted = false;
    bool closeDispatched = false;
    bool stillOpen = false;
};
DuringTheJob* g_during = nullptr;

void CALLBACK WatchTheJob(HWND, UINT, UINT_PTR, DWORD) {
    DuringTheJob& during = *g_during;
    if (!during.fixture->window || during.answered || !tarvik::ArchiverIsRunning()) return;
    const HWND main = during.fixture->window->hwnd();
    if (!during.asked) {
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        PostMessageA(main, WM_CLOSE, 0, 0);
        during.disabled = !IsWindowEnabled(main);
        during.asked = true;
        return;
    }
    MSG waiting;
    during.painted = !GetUpdateRect(main, nullptr, FALSE) &&
                     !GetUpdateRect(during.fixture->window->cobPara1, nullptr, FALSE);
    during.closeDispatched = !PeekMessageA(&waiting, main, WM_CLOSE, WM_CLOSE, PM_NOREMOVE);
    during.stillOpen = IsWindow(main) != FALSE;
    during.answered = true;
}

// Started with a large file, the program compresses it at once: meanwhile
// the library's message pump keeps the main window and its controls drawn,
// and a close request reaching the main window is refused then, as the
// library is busy, not after the job.
TEST_F(RealLibraryTest, TheMainWindowIsDrawnAndRefusesToCloseDuringALongJob) {
    const std::string file = source.File("large.bin", RandomBytes(32 * 1024 * 1024, 6));
    DuringTheJob during;
    during.fixture = &f;
    g_during = &during;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, WatchTheJob);
    f.Start("Tarvik32.exe \"" + file + "\"");
    KillTimer(nullptr, timer);
    g_during = nullptr;
    ASSERT_TRUE(f.steps.messages.empty());
    EXPECT_NE(GetFileAttributesA((source.path() + "\\large.cab").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(during.answered) << "no message of the thread was dispatched during the job";
    EXPECT_TRUE(during.disabled);
    EXPECT_TRUE(during.painted);
    EXPECT_TRUE(during.closeDispatched);
    EXPECT_TRUE(during.stillOpen);
    EXPECT_TRUE(IsWindow(f.window->hwnd()));
}

TEST_F(RealLibraryTest, ResultWindowShowsTheLibraryOutputModally) {
    const std::string longName = source.File(std::string(120, 'n') + ".txt", "long");
    const std::string archive = target.path() + "\\long.cab";
    f.Start();
    f.steps.realResultWindow = f.outbuffer.get();
    const HWND richEdit = f.outbuffer->RichEdit1();
    bool mainWindowDisabled = false;
    bool focusOnButton1 = false;
    std::string listed, afterTab, afterEmptyOutput;
    int lineCount = 0;
    BOOL scrollsSideways = FALSE;
    SCROLLINFO horizontal{};
    horizontal.cbSize = sizeof horizontal;
    horizontal.fMask = SIF_RANGE | SIF_PAGE;

    // First showing: Enter closes it, as the focus is on Button1.
    f.steps.insideResultWindow.push_back([&] {
        mainWindowDisabled = !IsWindowEnabled(f.window->hwnd());
        focusOnButton1 = GetFocus() == f.outbuffer->Button1();
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
    });
    // Second: the listing, unwrapped; Tab types a tab; the close box hides it.
    f.steps.insideResultWindow.push_back([&] {
        listed = f.outbuffer->Text();
        lineCount = static_cast<int>(SendMessageA(richEdit, EM_GETLINECOUNT, 0, 0));
        scrollsSideways = GetScrollInfo(richEdit, SB_HORZ, &horizontal);
        SetFocus(richEdit);
        PostMessageA(richEdit, WM_KEYDOWN, VK_TAB, 1);
        RunFromMessageLoop([&] {
            afterTab = f.outbuffer->Text();
            SendMessageA(f.outbuffer->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        });
    });
    // Third: a job without output leaves the text as it was.
    f.steps.insideResultWindow.push_back([&] {
        afterEmptyOutput = f.outbuffer->Text();
        SendMessageA(f.outbuffer->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });

    f.window->SetFileList({longName});
    f.SetArchivePath(archive);
    PressExecute(f);
    f.SelectOperation("内容一覧");
    f.SetArchivePath(archive);
    PressExecute(f);
    f.fake = std::make_unique<FakeCab32>();  // a library that says nothing
    f.fake->script().checkAnswer = fake_cab32::kCheckCabinetFile;
    PressExecute(f);

    EXPECT_EQ(f.steps.resultWindowShown, 3);
    EXPECT_EQ(f.steps.resultWindowLeftOpen, 0);
    EXPECT_TRUE(mainWindowDisabled);
    EXPECT_TRUE(focusOnButton1);
    EXPECT_TRUE(IsWindowEnabled(f.window->hwnd()));

    f.fake.reset();
    UseRealLibrary();
    std::vector<char> output(64000, '\0');
    tarvik::RunArchiverCommand(nullptr, ("-l " + archive).c_str(), output.data(), 64000);
    EXPECT_EQ(listed, output.data());
    EXPECT_NE(listed.find(std::string(120, 'n')), std::string::npos);
    EXPECT_EQ(lineCount, static_cast<int>(std::count(listed.begin(), listed.end(), '\n')) + 1);
    ASSERT_TRUE(scrollsSideways);
    EXPECT_GT(horizontal.nMax - horizontal.nMin + 1, static_cast<int>(horizontal.nPage));
    EXPECT_EQ(std::count(afterTab.begin(), afterTab.end(), '\t'), std::count(listed.begin(), listed.end(), '\t') + 1);
    EXPECT_EQ(afterEmptyOutput, afterTab);
}

// A folder dropped onto the list goes in with everything under it: by its
// full path, or with CheckBox1 from the folder's own name; a file reached
// twice is stored once.
TEST_F(RealLibraryTest, ADroppedFolderGoesInWithItsSubfolders) {
    for (const char* folder : {"\\dir1", "\\dir1\\sub", "\\dir1\\empty"}) CreateDirectoryA((source.path() + folder).c_str(), nullptr);
    const std::string a = source.File("dir1\\a.txt", RandomBytes(3000, 11));
    source.File("dir1\\sub\\b.bin", RandomBytes(50000, 12));
    const std::string withoutDrive = source.path().substr(3);
    f.Start();
    for (const bool bareNames : {false, true}) {
        SCOPED_TRACE(bareNames ? "CheckBox1" : "full paths");
        const std::string archive = target.path() + (bareNames ? "\\bare.cab" : "\\full.cab");
        f.SelectOperation("圧縮");
        f.SetCheck(f.window->CheckBox1, bareNames);
        f.window->SetFileList({});
        Drop(f.window->ListBox1, {source.path() + "\\dir1"});
        if (!bareNames) Drop(f.window->ListBox1, {a});
        f.SetArchivePath(archive);
        PressExecute(f);
        ASSERT_TRUE(f.steps.messages.empty()) << f.steps.messages.front().text;
        f.SelectOperation("解凍");
        f.SetArchivePath(archive);
        const std::string prefix = bareNames ? "" : withoutDrive + "\\";
        EXPECT_EQ(ListItems(f.window->ListBox1),
                  (std::vector<std::string>{prefix + "dir1\\a.txt", prefix + "dir1\\sub\\b.bin"}));
    }
}

// Files whose names code page 932 cannot spell (one beside its best-fit
// twin) are listed under paths that name them, stored under their exact
// names, and extracted back exactly: all of them, or one ticked.
TEST_F(RealLibraryTest, NamesOutsideShiftJisGoInAndComeBackExactly) {
    const std::vector<std::wstring> names = {L"Caf\u00E9.txt", L"Cafe.txt", L"\uD55C\uAE00.txt", L"\U0001F600.txt",
                                             L"\u00DCn\u00EF.txt"};
    const std::wstring from = tarvik::WideFromAnsi(source.path());
    std::vector<std::wstring> paths;
    for (std::size_t i = 0; i < names.size(); ++i) {
        paths.push_back(from + L"\\" + names[i]);
        ASSERT_TRUE(WriteWideFile(paths.back(), RandomBytes(1000 * (i + 1), static_cast<unsigned>(20 + i))));
    }
    f.Start();
    f.SelectCompression("LZX 21");
    f.SetCheck(f.window->CheckBox1, true);
    DropWide(f.window->ListBox1, paths);
    const std::vector<std::string> listed = ListItems(f.window->ListBox1);
    ASSERT_EQ(listed.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(ReadFile(listed[i]), ReadWideFile(paths[i])) << listed[i];
    const std::string archive = target.path() + "\\names.cab";
    f.SetArchivePath(archive);
    PressExecute(f);
    ASSERT_TRUE(f.steps.messages.empty()) << f.steps.messages.front().text;

    const std::string all = target.path() + "\\all";
    Extract(archive, all);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(ReadWideFile(tarvik::WideFromAnsi(all) + L"\\" + names[i]), ReadWideFile(paths[i])) << i;
    }

    const std::string picked = target.path() + "\\picked";
    f.SetCheck(f.window->CheckBox3, true);
    SendMessageA(f.window->CheckListBox1, LB_SETITEMDATA, 4, 1);  // "Ünï.txt", shown as its best-fit form
    ExtractInto(picked);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::wstring out = tarvik::WideFromAnsi(picked) + L"\\" + names[i];
        EXPECT_EQ(GetFileAttributesW(out.c_str()) != INVALID_FILE_ATTRIBUTES, i == 4) << i;
    }
}
