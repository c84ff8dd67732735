#include "settings.h"

#include <gtest/gtest.h>
#include <sddl.h>
#include <windows.h>

#include <string>

using namespace tarvik;
using Kind = CompressionDefaults::Kind;

namespace {

// Gives a key full access back (a test may have taken it away) and deletes it
// with everything below it.
void RemoveKey(const char* subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        PSECURITY_DESCRIPTOR everyone = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                 &everyone, nullptr)) {
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, everyone);
            LocalFree(everyone);
        }
        RegCloseKey(key);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, subKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, subKey);
}

void PutValue(const char* subKey, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void PutDword(const char* subKey, const char* name, DWORD value) {
    PutValue(subKey, name, REG_DWORD, &value, sizeof value);
}

std::optional<DWORD> StoredDword(const char* subKey, const char* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, subKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// Leaves the key readable (and deletable) but refuses every write to it.
bool MakeKeyReadOnly(const char* subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    bool done = ConvertStringSecurityDescriptorToSecurityDescriptorA(
                    "D:P(A;;KRSDWD;;;WD)", SDDL_REVISION_1, &readOnly, nullptr) &&
                RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
    LocalFree(readOnly);
    RegCloseKey(key);
    return done;
}

// The exact bytes of the error text: "'<name>' の設定に失敗しました" in code page 932.
std::string FailureText(const std::string& valueName) {
    return "'" + valueName + "' \x82\xcc\x90\xdd\x92\xe8\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
}

// Every test starts and ends without the program's and the library's keys.
class Settings : public testing::Test {
protected:
    void SetUp() override { RemoveBoth(); }
    void TearDown() override { RemoveBoth(); }
    static void RemoveBoth() {
        RemoveKey(kProgramKey);
        RemoveKey(kLibraryKey);
    }
};

}  // namespace

TEST_F(Settings, NoKeysLeaveEverythingAsItIs) {
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::KeyMissing);
    const DirOptions options = ReadDirOptions();
    EXPECT_EQ(options.noDirsWhenCompressing, std::nullopt);
    EXPECT_EQ(options.noDirsWhenExtracting, std::nullopt);
}

TEST_F(Settings, ModeOneIsLzxWithTheStoredLevelAnyOtherModeIsMszip) {
    PutDword(kLibraryKey, "CompressionMode", 1);
    PutDword(kLibraryKey, "LzxCompressLevel", 19);
    CompressionDefaults read = ReadCompressionDefaults();
    EXPECT_EQ(read.kind, Kind::Lzx);
    EXPECT_EQ(read.level, 19);

    PutDword(kLibraryKey, "LzxCompressLevel", 22);  // no such item; the window still shows -ml22
    read = ReadCompressionDefaults();
    EXPECT_EQ(read.kind, Kind::Lzx);
    EXPECT_EQ(read.level, 22);

    for (const DWORD mode : {0u, 2u, 0xFFFFFFFFu}) {
        PutDword(kLibraryKey, "CompressionMode", mode);
        EXPECT_EQ(ReadCompressionDefaults().kind, Kind::Mszip) << mode;
    }
}

TEST_F(Settings, LibraryKeyWithoutItsValuesStillLetsTheOwnKeyBeRead) {
    // A job of any kind creates the library's key empty.
    { RegistryKey created = OpenLibraryKeyForJob(); ASSERT_TRUE(created); }
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::Unreadable);

    PutDword(kLibraryKey, "CompressionMode", 1);
    PutDword(kProgramKey, "CommpressDir", 1);
    PutDword(kProgramKey, "ExtractDir", 0);
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::Unreadable);
    const DirOptions options = ReadDirOptions();
    EXPECT_EQ(options.noDirsWhenCompressing, true);
    EXPECT_EQ(options.noDirsWhenExtracting, false);
}

TEST_F(Settings, ValuesOfAnotherTypeCountAsUnreadable) {
    PutValue(kLibraryKey, "CompressionMode", REG_SZ, "1", 2);
    PutDword(kLibraryKey, "LzxCompressLevel", 19);
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::Unreadable);

    PutDword(kLibraryKey, "CompressionMode", 1);
    const unsigned long long wide = 19;
    PutValue(kLibraryKey, "LzxCompressLevel", REG_QWORD, &wide, sizeof wide);
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::Unreadable);
}

TEST_F(Settings, DirOptionsStopAtTheFirstValueThatDoesNotRead) {
    PutDword(kProgramKey, "CommpressDir", 5);
    DirOptions options = ReadDirOptions();
    EXPECT_EQ(options.noDirsWhenCompressing, true) << "any non-zero value means checked";
    EXPECT_EQ(options.noDirsWhenExtracting, std::nullopt);

    RemoveKey(kProgramKey);
    PutDword(kProgramKey, "ExtractDir", 1);
    options = ReadDirOptions();
    EXPECT_EQ(options.noDirsWhenCompressing, std::nullopt);
    EXPECT_EQ(options.noDirsWhenExtracting, std::nullopt);
}

TEST_F(Settings, WrittenDirOptionsReadBack) {
    WriteDirOptions(false, true);
    EXPECT_EQ(StoredDword(kProgramKey, "CommpressDir"), 0u);
    EXPECT_EQ(StoredDword(kProgramKey, "ExtractDir"), 1u);

    WriteDirOptions(true, false);
    const DirOptions options = ReadDirOptions();
    EXPECT_EQ(options.noDirsWhenCompressing, true);
    EXPECT_EQ(options.noDirsWhenExtracting, false);
}

TEST_F(Settings, CompressionValuesOfAJob) {
    struct Case { const char* type; const char* compressionSwitch; DWORD mode; DWORD level; };
    const Case cases[] = {
        {"MSZIP", "-mz", 0, 0}, {"mszip", "-mz", 0, 0},      {"LZX 18", "-ml18", 1, 18},
        {"LZX 21", "-ml21", 1, 21}, {"無圧縮", "-ms", 1, 15}, {"", "", 1, 15},
        {"LZX 15", "-ml1x", 1, 15},
    };
    for (const Case& c : cases) {
        const CompressionDefaultsToWrite values = CompressionDefaultsForJob(c.type, c.compressionSwitch);
        EXPECT_EQ(values.mode, c.mode) << c.compressionSwitch;
        EXPECT_EQ(values.level, c.level) << c.compressionSwitch;
    }
}

TEST_F(Settings, NoCompressionJobMakesTheNextStartShowLzx15) {
    {
        RegistryKey key = OpenLibraryKeyForJob();
        ASSERT_TRUE(key);
        WriteCompressionDefaults(key, CompressionDefaultsForJob("無圧縮", "-ms"));
    }
    EXPECT_EQ(StoredDword(kLibraryKey, "CompressionMode"), 1u);
    EXPECT_EQ(StoredDword(kLibraryKey, "LzxCompressLevel"), 15u);
    const CompressionDefaults read = ReadCompressionDefaults();
    EXPECT_EQ(read.kind, Kind::Lzx);
    EXPECT_EQ(read.level, 15);
}

TEST_F(Settings, FailedLibraryWriteNamesTheFirstValue) {
    RegistryKey notOpen;
    try {
        WriteCompressionDefaults(notOpen, {1, 18});
        FAIL() << "no error raised";
    } catch (const SettingsError& error) {
        EXPECT_EQ(std::string(error.what()), FailureText("CompressionMode"));
    }
}

TEST_F(Settings, KeyThatRefusesWritesCountsAsAbsentAndFailsTheSave) {
    PutDword(kProgramKey, "CommpressDir", 1);
    PutDword(kProgramKey, "ExtractDir", 1);
    PutDword(kLibraryKey, "CompressionMode", 1);
    PutDword(kLibraryKey, "LzxCompressLevel", 19);
    if (!MakeKeyReadOnly(kProgramKey) || !MakeKeyReadOnly(kLibraryKey) ||
        RegistryKey::Open(HKEY_CURRENT_USER, kProgramKey)) {
        GTEST_SKIP() << "this registry does not refuse writes by access rights";
    }
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::KeyMissing);
    EXPECT_EQ(ReadDirOptions().noDirsWhenCompressing, std::nullopt);
    try {
        WriteDirOptions(true, true);
        FAIL() << "no error raised";
    } catch (const SettingsError& error) {
        EXPECT_EQ(std::string(error.what()), FailureText("CommpressDir"));
    }
}
