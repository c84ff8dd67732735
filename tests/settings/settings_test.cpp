#include "settings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "compression_items.h"
#include "key_access.h"

using namespace tarvik;
using testing_support::SetKeyAccess;
using Kind = CompressionDefaults::Kind;

namespace {

void PutValue(const char* subKey, const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, subKey, name, type, data, size), ERROR_SUCCESS);
}

void PutDword(const char* subKey, const char* name, DWORD value) {
    PutValue(subKey, name, REG_DWORD, &value, sizeof value);
}

// "'<name>' の設定に失敗しました", spelt out in code page 932 bytes.
std::string FailureText(const std::string& valueName) {
    return "'" + valueName + "' \x82\xcc\x90\xdd\x92\xe8\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
}

// Every test starts and ends without the program's and the library's keys.
class Settings : public testing::Test {
protected:
    void SetUp() override { RemoveKeys(); }
    void TearDown() override { RemoveKeys(); }
    static void RemoveKeys() {
        for (const char* subKey : {kProgramKey, kLibraryKey}) {
            SetKeyAccess(subKey, "D:(A;;KA;;;WD)");  // a test may have made it read-only
            RegDeleteTreeA(HKEY_CURRENT_USER, subKey);
            RegDeleteKeyA(HKEY_CURRENT_USER, subKey);
        }
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
    PutDword(kLibraryKey, kCompressionModeValue, 1);
    for (const DWORD level : {19u, 22u}) {
        PutDword(kLibraryKey, kLzxLevelValue, level);
        const CompressionDefaults read = ReadCompressionDefaults();
        EXPECT_EQ(read.kind, Kind::Lzx);
        EXPECT_EQ(read.level, static_cast<int>(level));
    }
    for (const DWORD mode : {0u, 2u}) {
        PutDword(kLibraryKey, kCompressionModeValue, mode);
        EXPECT_EQ(ReadCompressionDefaults().kind, Kind::Mszip) << mode;
    }
}

TEST_F(Settings, IncompleteLibraryKeyIsUnreadableAndTheOwnKeyStillReads) {
    { const RegistryKey created = OpenLibraryKeyForJob(); ASSERT_TRUE(created); }
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::Unreadable) << "an empty key is not a missing key";
    PutValue(kLibraryKey, kCompressionModeValue, REG_SZ, "1", 2);
    PutDword(kLibraryKey, kLzxLevelValue, 19);
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::Unreadable) << "a text value is no DWORD";

    RegDeleteKeyValueA(HKEY_CURRENT_USER, kLibraryKey, kLzxLevelValue);
    PutDword(kLibraryKey, kCompressionModeValue, 1);
    PutDword(kProgramKey, kNoDirsWhenCompressingValue, 1);
    PutDword(kProgramKey, kNoDirsWhenExtractingValue, 0);
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::Unreadable);
    const DirOptions options = ReadDirOptions();
    EXPECT_EQ(options.noDirsWhenCompressing, true);
    EXPECT_EQ(options.noDirsWhenExtracting, false);
}

TEST_F(Settings, DirOptionsRoundTripAndReadingStopsAtTheFirstFailure) {
    WriteDirOptions(false, true);
    DirOptions options = ReadDirOptions();
    EXPECT_EQ(options.noDirsWhenCompressing, false);
    EXPECT_EQ(options.noDirsWhenExtracting, true);

    PutDword(kProgramKey, kNoDirsWhenCompressingValue, 5);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kProgramKey, kNoDirsWhenExtractingValue);
    options = ReadDirOptions();
    EXPECT_EQ(options.noDirsWhenCompressing, true) << "any non-zero value means checked";
    EXPECT_EQ(options.noDirsWhenExtracting, std::nullopt);

    RegDeleteKeyValueA(HKEY_CURRENT_USER, kProgramKey, kNoDirsWhenCompressingValue);
    PutDword(kProgramKey, kNoDirsWhenExtractingValue, 1);
    EXPECT_EQ(ReadDirOptions().noDirsWhenExtracting, std::nullopt);
}

// Every item of the compression box, and the texts a job may carry besides:
// the item in another letter case, no type at all, a switch whose level is
// no number.
TEST_F(Settings, CompressJobValuesReadBackAtTheNextStart) {
    std::vector<testing_support::CompressionItem> cases(std::begin(testing_support::kCompressionItems),
                                                        std::end(testing_support::kCompressionItems));
    cases.push_back({"mszip", "-mz", 0, 0});
    cases.push_back({"", "", 1, 15});
    cases.push_back({"LZX 15", "-ml1x", 1, 15});
    for (const testing_support::CompressionItem& c : cases) {
        SCOPED_TRACE(std::string(c.item) + " " + c.compressionSwitch);
        const CompressionDefaultsToWrite values = CompressionDefaultsForJob(c.item, c.compressionSwitch);
        EXPECT_EQ(values.mode, c.mode);
        EXPECT_EQ(values.level, c.level);
        RegistryKey key = OpenLibraryKeyForJob();
        WriteCompressionDefaults(key, values);
        const CompressionDefaults read = ReadCompressionDefaults();
        EXPECT_EQ(read.kind, c.mode == 1 ? Kind::Lzx : Kind::Mszip);
        if (c.mode == 1) {
            EXPECT_EQ(read.level, static_cast<int>(c.level));
        }
    }
}

TEST_F(Settings, FailedWritesNameTheValueInTheErrorText) {
    RegistryKey notOpen;
    try {
        WriteCompressionDefaults(notOpen, {1, 18});
        ADD_FAILURE() << "no error raised";
    } catch (const SettingsError& error) {
        EXPECT_EQ(std::string(error.what()), FailureText("CompressionMode"));
    }

    // A key the user may read but not write counts as absent and fails the save.
    PutDword(kProgramKey, kNoDirsWhenCompressingValue, 1);
    PutDword(kLibraryKey, kCompressionModeValue, 1);
    PutDword(kLibraryKey, kLzxLevelValue, 19);
    ASSERT_TRUE(SetKeyAccess(kProgramKey, "D:P(A;;KRSDWD;;;WD)"));
    ASSERT_TRUE(SetKeyAccess(kLibraryKey, "D:P(A;;KRSDWD;;;WD)"));
    EXPECT_EQ(ReadCompressionDefaults().kind, Kind::KeyMissing);
    EXPECT_EQ(ReadDirOptions().noDirsWhenCompressing, std::nullopt);
    try {
        WriteDirOptions(true, true);
        ADD_FAILURE() << "no error raised";
    } catch (const SettingsError& error) {
        EXPECT_EQ(std::string(error.what()), FailureText("CommpressDir"));
    }
}
