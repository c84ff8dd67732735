// Cabinets the real stand-in library makes from the same files with the
// same settings come out byte for byte the same, volume sets included; the
// set ID in their headers still tells sets of different content apart.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "archiver.h"
#include "fake_cab32_control.h"
#include "temp_folder.h"

using namespace testing_support;

namespace {

class ReproducibleCabinet : public ::testing::Test {
protected:
    ReproducibleCabinet() {
        UseRealLibrary();
        std::string text;
        for (int i = 0; text.size() < 200000; ++i) text += "line " + std::to_string(i * 7 % 1000) + " of some text\r\n";
        std::string noise(150000, '\0');
        unsigned state = 12345;
        for (char& c : noise) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
        work.File("text.txt", text);
        work.File("noise.bin", noise);
        work.File("empty.txt", "");
    }
    ~ReproducibleCabinet() override { ResetLibrarySearch(); }

    static std::string Folder(const char* run, int setting) {
        std::string name = run;
        return name += std::to_string(setting);
    }

    // Makes "set.cab" (or its volumes) in the folder `into` from the sources.
    int Create(const std::string& switches, const std::string& into) {
        CreateDirectoryA(work.Child(into).c_str(), nullptr);
        std::string command = "-a ";
        command += switches + " " + work.Child(into) + "\\set.cab";
        for (const char* name : {"text.txt", "noise.bin", "empty.txt"}) (command += ' ') += work.Child(name);
        char output[4000];
        return tarvik::RunArchiverCommand(nullptr, command.c_str(), output, sizeof output);
    }

    TempFolder work;
};

TEST_F(ReproducibleCabinet, TheSameFilesGiveTheSameBytesAndOtherContentAnotherSetId) {
    const char* const settings[] = {"-ms", "-mz", "-ml21", "-ms -v:100"};
    // Every setting once, then every setting again.
    for (const char* run : {"first", "second"}) {
        for (int i = 0; i < 4; ++i) ASSERT_EQ(Create(settings[i], Folder(run, i)), 0) << settings[i];
    }
    for (int i = 0; i < 4; ++i) {
        const std::vector<std::string> cabinets = FilesUnder(work.Child(Folder("first", i)));
        EXPECT_EQ(FilesUnder(work.Child(Folder("second", i))), cabinets) << settings[i];
        for (const std::string& name : cabinets) {
            const bool same = ReadFile(work.Child(Folder("first", i)) + "\\" + name) ==
                              ReadFile(work.Child(Folder("second", i)) + "\\" + name);
            EXPECT_TRUE(same) << settings[i] << " " << name;
        }
    }
    EXPECT_GT(FilesUnder(work.Child("first3")).size(), 2u);

    // One byte changed; name, size, date and attributes as before.
    HANDLE file = CreateFileA(work.Child("noise.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME written{};
    DWORD put = 0;
    GetFileTime(file, nullptr, nullptr, &written);
    WriteFile(file, "?", 1, &put, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    ASSERT_EQ(Create("-ms -v:100", "changed"), 0);
    for (const char* volume : {"\\set01.cab", "\\set02.cab"}) {
        EXPECT_NE(ReadFile(work.Child("changed") + volume).substr(32, 2), ReadFile(work.Child("first3") + volume).substr(32, 2))
            << volume;
    }
}

}  // namespace
