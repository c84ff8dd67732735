#include "archiver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fake_cab32_control.h"

using testing_support::FakeCab32;
using testing_support::FakeVariant;

namespace {

bool LibraryStillLoaded() { return GetModuleHandleA("cab32.dll") != nullptr; }

// What the DLL search finds, and what each question of the binding must
// answer then. The double answers version 120 and, where a row says so,
// that it is busy.
struct LibraryCase {
    const char* name;
    bool present;           // false: no "cab32.dll" anywhere in the search
    FakeVariant variant;    // the double without one entry point, or whole
    enum class Offers { All, Nothing, AllButCab } offers;  // what CabQueryFunctionList answers
    bool busy;              // what CabGetRunning answers
    // Expected:
    bool offersCab;         // ArchiverHasFunction(0)
    bool offersOthers;      // ArchiverHasFunction(1), (8) and (16)
    std::uint16_t version;  // ArchiverVersion
    bool running;           // ArchiverIsRunning
    bool checks;            // ArchiverCheckArchive reaches CabCheckArchive
    bool runsCommands;      // RunArchiverCommand reaches Cab
    bool listsMembers;      // ArchiveMembers enumerates
};

void PrintTo(const LibraryCase& library, std::ostream* out) { *out << library.name; }

using Offers = LibraryCase::Offers;

class ArchiverAnswers : public ::testing::TestWithParam<LibraryCase> {};

}  // namespace

// Each question asks the library for its own function number first; what
// needs a missing entry point answers "not available", and the rest works
// as with the whole library. The member listing asks no function number,
// so only a missing find or open entry point stops it.
TEST_P(ArchiverAnswers, EachQuestionAnswersWhatTheLibraryOffers) {
    const LibraryCase& expected = GetParam();
    FakeCab32 fake(expected.variant);
    fake->version = 120;
    fake->running = expected.busy ? 1 : 0;
    fake.SetMembers({"a.txt"});
    if (expected.offers != Offers::All) fake.OfferNothing();
    if (expected.offers == Offers::AllButCab) {
        for (const int number : {1, 8, 16}) fake.Offer(number);
    }
    if (!expected.present) testing_support::UseNoLibrary();

    EXPECT_EQ(tarvik::ArchiverHasFunction(0), expected.offersCab);
    for (const int number : {1, 8, 16}) EXPECT_EQ(tarvik::ArchiverHasFunction(number), expected.offersOthers) << number;
    EXPECT_EQ(tarvik::ArchiverVersion(), expected.version);
    EXPECT_EQ(tarvik::ArchiverIsRunning(), expected.running);

    EXPECT_EQ(tarvik::ArchiverCheckArchive("D:\\in\\a.cab", 2), expected.checks);
    if (expected.checks) {
        EXPECT_STREQ(fake->lastCheckPath, "D:\\in\\a.cab");
        EXPECT_EQ(fake->lastCheckMode, 2);
    } else {
        EXPECT_EQ(fake->checkCalls, 0);
    }

    char output[16] = "untouched";
    EXPECT_EQ(tarvik::RunArchiverCommand(nullptr, "-t a.cab", output, sizeof output) != -1, expected.runsCommands);
    if (!expected.runsCommands) {
        EXPECT_EQ(fake->cabCalls, 0);
        EXPECT_STREQ(output, "untouched");
    }

    EXPECT_EQ(tarvik::ArchiveMembers(nullptr, "a.cab"),
              expected.listsMembers ? std::vector<std::string>{"a.txt"} : std::vector<std::string>{});
    if (!expected.listsMembers) {
        EXPECT_EQ(fake->openCalls, 0);
    }

    const std::optional<std::string> path = tarvik::ArchiverPath();
    ASSERT_EQ(path.has_value(), expected.present);
    if (path) {
        EXPECT_EQ(path->rfind(testing_support::TestProgramFolder() + "\\fake_cab32\\", 0), 0u) << *path;
        EXPECT_TRUE(path->ends_with("\\cab32.dll")) << *path;
    }

    EXPECT_FALSE(LibraryStillLoaded());
}

INSTANTIATE_TEST_SUITE_P(
    , ArchiverAnswers,
    ::testing::Values(
        //          name                           present variant                    offers             busy    Cab    others version running checks runs   lists
        LibraryCase{"NoLibrary",                   false, FakeVariant::Full,          Offers::All,       false,  false, false, 0,      false,  false, false, false},
        LibraryCase{"OffersNothing",               true,  FakeVariant::Full,          Offers::Nothing,   true,   false, false, 0,      false,  false, false, true},
        LibraryCase{"OffersAllButCab",             true,  FakeVariant::Full,          Offers::AllButCab, false,  false, true,  120,    false,  true,  false, true},
        LibraryCase{"Busy",                        true,  FakeVariant::Full,          Offers::All,       true,   true,  true,  120,    true,   true,  false, true},
        LibraryCase{"WithoutCabQueryFunctionList", true,  FakeVariant::NoQuery,       Offers::All,       false,  false, false, 0,      false,  false, false, true},
        LibraryCase{"WithoutCab",                  true,  FakeVariant::NoCab,         Offers::All,       false,  true,  true,  120,    false,  true,  false, true},
        LibraryCase{"WithoutCabSetOwnerWindow",    true,  FakeVariant::NoOwnerWindow, Offers::All,       false,  true,  true,  120,    false,  true,  false, true},
        LibraryCase{"WithoutCabGetVersion",        true,  FakeVariant::NoVersion,     Offers::All,       false,  true,  true,  0,      false,  true,  true,  true},
        LibraryCase{"WithoutCabFindNext",          true,  FakeVariant::NoFindNext,    Offers::All,       false,  true,  true,  120,    false,  true,  true,  false}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ArchiverVersion, KeepsOnlyTheLowSixteenBits) {
    FakeCab32 fake;
    fake->version = 65536 + 90;
    EXPECT_EQ(tarvik::ArchiverVersion(), 90);
    fake->version = -1;
    EXPECT_EQ(tarvik::ArchiverVersion(), 0xFFFF);
}

TEST(RunArchiverCommand, CallsCabWithOwnerCommandAndSizeAndReturnsItsResult) {
    FakeCab32 fake;
    fake->cabResult = 0x8012;
    fake.SetOutput("一覧\r\n");
    const HWND owner = GetDesktopWindow();
    std::vector<char> output(64000, 'q');
    EXPECT_EQ(tarvik::RunArchiverCommand(owner, "-l \"D:\\in dir\\a.cab\"", output.data(), 64000), 0x8012);

    EXPECT_EQ(fake->cabCalls, 1);
    EXPECT_STREQ(fake->lastCommand, "-l \"D:\\in dir\\a.cab\"");
    EXPECT_EQ(fake->lastBufferSize, 64000u);
    EXPECT_EQ(fake->lastCabOwner, reinterpret_cast<UINT_PTR>(owner));
    EXPECT_EQ(fake->ownerDuringCab, reinterpret_cast<UINT_PTR>(owner));
    EXPECT_EQ(fake->setOwnerCalls, 1);
    EXPECT_EQ(fake->clearOwnerCalls, 1);
    EXPECT_STREQ(output.data(), "一覧\r\n");
}

TEST(RunArchiverCommand, LoadsAndUnloadsTheLibraryForEveryQuestion) {
    FakeCab32 fake;
    char output[8];
    tarvik::RunArchiverCommand(nullptr, "-t a.cab", output, sizeof output);
    // Function 0, function 8, the busy query and the command itself.
    EXPECT_EQ(fake->loads, 4);
    EXPECT_EQ(fake->unloads, 4);
    EXPECT_FALSE(LibraryStillLoaded());
}

TEST(RunArchiverCommand, EmptyCommandReachesCabAsEmptyText) {
    FakeCab32 fake;
    char output[8];
    tarvik::RunArchiverCommand(nullptr, "", output, sizeof output);
    tarvik::RunArchiverCommand(nullptr, nullptr, output, sizeof output);
    EXPECT_EQ(fake->cabCalls, 2);
    EXPECT_EQ(fake->cabCommandWasNull, 0);
    EXPECT_STREQ(fake->lastCommand, "");
}

TEST(RunArchiverCommand, CopiesOutputWithinTheGivenSizeOnly) {
    FakeCab32 fake;
    constexpr int kSize = 16;
    std::array<char, kSize + 8> buffer{};

    // One byte shorter than the buffer: copied whole with its NUL.
    buffer.fill('#');
    fake.SetOutput("123456789012345");
    tarvik::RunArchiverCommand(nullptr, "-l a.cab", buffer.data(), kSize);
    EXPECT_STREQ(buffer.data(), "123456789012345");
    EXPECT_EQ(std::string(buffer.data() + kSize, 8), "########");

    // Longer than the buffer: cut and still terminated inside it.
    buffer.fill('#');
    fake.SetOutput("this text is longer than sixteen bytes");
    tarvik::RunArchiverCommand(nullptr, "-l a.cab", buffer.data(), kSize);
    EXPECT_EQ(std::strlen(buffer.data()), kSize - 1u);
    EXPECT_EQ(std::string(buffer.data() + kSize, 8), "########");

    // A library that writes no NUL at all.
    buffer.fill('#');
    fake->outputWithoutNul = 1;
    tarvik::RunArchiverCommand(nullptr, "-l a.cab", buffer.data(), kSize);
    EXPECT_EQ(std::string(buffer.data()), std::string(kSize - 1, 'Z'));
    EXPECT_EQ(std::string(buffer.data() + kSize, 8), "########");
}

TEST(ArchiveMembers, ReturnsEveryMemberInLibraryOrder) {
    FakeCab32 fake;
    fake.SetMembers({"zeta.txt", "sub dir\\ソ表.txt", "alpha.txt"});
    EXPECT_EQ(tarvik::ArchiveMembers(nullptr, "D:\\in\\a.cab"),
              (std::vector<std::string>{"zeta.txt", "sub dir\\ソ表.txt", "alpha.txt"}));
    EXPECT_STREQ(fake->lastFindWildcard, "*.*");
    EXPECT_EQ(fake->lastOpenMode, 0u);
    EXPECT_EQ(fake->closeCalls, 1);
}

TEST(ArchiveMembers, NoneFromAnArchiveWithoutMembersOrOneThatDoesNotOpen) {
    for (const bool opens : {true, false}) {
        SCOPED_TRACE(opens ? "without members" : "does not open");
        FakeCab32 fake;
        if (!opens) {
            fake.SetMembers({"a.txt"});
            fake->openHandle = 0;
        }
        EXPECT_TRUE(tarvik::ArchiveMembers(nullptr, "a.cab").empty());
        EXPECT_EQ(fake->closeCalls, opens ? 1 : 0);  // nothing opened, nothing to close
    }
}

TEST(ArchiveMembers, ReadsThePathOnlyWithinTheRecord) {
    FakeCab32 fake;
    fake.SetMembers({"a.txt"});
    fake->membersFillRecord = 1;
    EXPECT_EQ(tarvik::ArchiveMembers(nullptr, "a.cab"),
              std::vector<std::string>{"a.txt" + std::string(560 - 26 - 5, 'X')});
}
