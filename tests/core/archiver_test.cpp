#include "archiver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "fake_cab32_control.h"

using testing_support::FakeCab32;
using testing_support::FakeVariant;

namespace {

// A real, hidden list box to receive member names.
class HiddenListBox {
public:
    HiddenListBox() {
        window_ = CreateWindowA("LISTBOX", "", WS_POPUP | LBS_HASSTRINGS, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~HiddenListBox() { DestroyWindow(window_); }
    HWND get() const { return window_; }
    void Add(const char* text) { SendMessageA(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
    std::vector<std::string> Items() const {
        std::vector<std::string> items;
        const auto count = SendMessageA(window_, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::string text(static_cast<std::size_t>(SendMessageA(window_, LB_GETTEXTLEN, i, 0)), '\0');
            SendMessageA(window_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            items.push_back(text);
        }
        return items;
    }

private:
    HWND window_ = nullptr;
};

bool LibraryStillLoaded() { return GetModuleHandleA("cab32.dll") != nullptr; }

}  // namespace

TEST(ArchiverWithoutLibrary, EveryOperationAnswersNotAvailable) {
    testing_support::UseNoLibrary();
    char output[16] = "untouched";
    HiddenListBox list;
    list.Add("kept");

    EXPECT_FALSE(tarvik::ArchiverHasFunction(0));
    EXPECT_EQ(tarvik::ArchiverVersion(), 0);
    EXPECT_FALSE(tarvik::ArchiverIsRunning());
    EXPECT_FALSE(tarvik::ArchiverCheckArchive("C:\\a.cab", 2));
    EXPECT_EQ(tarvik::RunArchiverCommand(nullptr, "-l a.cab", output, sizeof output), -1);
    tarvik::ListArchiveMembers(nullptr, "C:\\a.cab", list.get());

    EXPECT_STREQ(output, "untouched");
    EXPECT_EQ(list.Items(), std::vector<std::string>{"kept"});
    testing_support::ResetLibrarySearch();
}

TEST(ArchiverFunctionGating, CabIsNotCalledWhenFunctionZeroIsNotOffered) {
    FakeCab32 fake;
    fake.Offer(0, false);
    char output[16] = "untouched";
    EXPECT_EQ(tarvik::RunArchiverCommand(nullptr, "-t a.cab", output, sizeof output), -1);
    EXPECT_EQ(fake->cabCalls, 0);
    EXPECT_STREQ(output, "untouched");
}

TEST(ArchiverFunctionGating, EachQuestionAsksItsOwnIndex) {
    FakeCab32 fake;
    fake.OfferNothing();
    fake->version = 120;
    fake->running = 1;
    EXPECT_EQ(tarvik::ArchiverVersion(), 0);
    EXPECT_FALSE(tarvik::ArchiverIsRunning());
    EXPECT_FALSE(tarvik::ArchiverCheckArchive("a.cab", 2));
    EXPECT_EQ(fake->checkCalls, 0);

    fake.Offer(1);
    fake.Offer(8);
    fake.Offer(16);
    EXPECT_EQ(tarvik::ArchiverVersion(), 120);
    EXPECT_TRUE(tarvik::ArchiverIsRunning());
    EXPECT_TRUE(tarvik::ArchiverCheckArchive("D:\\in\\a.cab", 2));
    EXPECT_STREQ(fake->lastCheckPath, "D:\\in\\a.cab");
    EXPECT_EQ(fake->lastCheckMode, 2);
}

// A library without one entry point: what needs it answers "not available",
// the rest works as with the whole library.
struct WithoutEntryPoint {
    const char* entryPoint;
    FakeVariant variant;
    bool offersFunctions;   // ArchiverHasFunction answers the library's true
    bool checksArchives;    // ArchiverCheckArchive answers the library's true
    std::uint16_t version;  // what ArchiverVersion reads (the double answers 90)
    bool runsCommands;      // RunArchiverCommand reaches Cab
    bool listsMembers;
};

void PrintTo(const WithoutEntryPoint& missing, std::ostream* out) { *out << "without " << missing.entryPoint; }

class ArchiverWithoutAnEntryPoint : public ::testing::TestWithParam<WithoutEntryPoint> {};

TEST_P(ArchiverWithoutAnEntryPoint, AnswersNotAvailableWhereItIsNeeded) {
    const WithoutEntryPoint& expected = GetParam();
    FakeCab32 fake(expected.variant);
    fake.SetMembers({"a.txt"});
    EXPECT_EQ(tarvik::ArchiverHasFunction(0), expected.offersFunctions);
    EXPECT_EQ(tarvik::ArchiverHasFunction(1), expected.offersFunctions);
    EXPECT_EQ(tarvik::ArchiverCheckArchive("a.cab", 2), expected.checksArchives);
    EXPECT_EQ(tarvik::ArchiverVersion(), expected.version);

    char output[8] = "x";
    EXPECT_EQ(tarvik::RunArchiverCommand(nullptr, "-t a.cab", output, sizeof output) != -1, expected.runsCommands);
    if (!expected.runsCommands) {
        EXPECT_EQ(fake->cabCalls, 0);
        EXPECT_STREQ(output, "x");
    }

    HiddenListBox list;
    tarvik::ListArchiveMembers(nullptr, "a.cab", list.get());
    EXPECT_EQ(list.Items().size(), expected.listsMembers ? 1u : 0u);
    if (!expected.listsMembers) {
        EXPECT_EQ(fake->openCalls, 0);
    }
    EXPECT_FALSE(LibraryStillLoaded());
}

// The member listing asks no function number, so only a missing find or
// open entry point stops it.
INSTANTIATE_TEST_SUITE_P(, ArchiverWithoutAnEntryPoint,
                         ::testing::Values(
                             WithoutEntryPoint{"CabQueryFunctionList", FakeVariant::NoQuery, false, false, 0, false, true},
                             WithoutEntryPoint{"Cab", FakeVariant::NoCab, true, true, 90, false, true},
                             WithoutEntryPoint{"CabSetOwnerWindow", FakeVariant::NoOwnerWindow, true, true, 90, false, true},
                             WithoutEntryPoint{"CabGetVersion", FakeVariant::NoVersion, true, true, 0, true, true},
                             WithoutEntryPoint{"CabFindNext", FakeVariant::NoFindNext, true, true, 90, true, false}),
                         [](const auto& test) { return std::string(test.param.entryPoint); });

TEST(ArchiverVersion, KeepsOnlyTheLowSixteenBits) {
    FakeCab32 fake;
    fake->version = 65536 + 90;
    EXPECT_EQ(tarvik::ArchiverVersion(), 90);
    fake->version = -1;
    EXPECT_EQ(tarvik::ArchiverVersion(), 0xFFFF);
}

TEST(RunArchiverCommand, RefusesWhileTheLibraryIsBusyAndLeavesTheOutput) {
    FakeCab32 fake;
    fake->running = 1;
    fake.SetOutput("should not appear");
    char output[32] = "earlier text";
    EXPECT_EQ(tarvik::RunArchiverCommand(nullptr, "-l a.cab", output, sizeof output), -1);
    EXPECT_EQ(fake->cabCalls, 0);
    EXPECT_STREQ(output, "earlier text");
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

TEST(ListArchiveMembers, AppendsMembersAfterExistingItemsInLibraryOrder) {
    FakeCab32 fake;
    fake.SetMembers({"zeta.txt", "sub dir\\ソ表.txt", "alpha.txt"});
    HiddenListBox list;
    list.Add("earlier");
    tarvik::ListArchiveMembers(nullptr, "D:\\in\\a.cab", list.get());
    EXPECT_EQ(list.Items(),
              (std::vector<std::string>{"earlier", "zeta.txt", "sub dir\\ソ表.txt", "alpha.txt"}));
    EXPECT_STREQ(fake->lastFindWildcard, "*.*");
    EXPECT_EQ(fake->lastOpenMode, 0u);
    EXPECT_EQ(fake->closeCalls, 1);
}

TEST(ListArchiveMembers, ArchiveWithoutMembersAddsNothing) {
    FakeCab32 fake;
    HiddenListBox list;
    list.Add("kept");
    tarvik::ListArchiveMembers(nullptr, "a.cab", list.get());
    EXPECT_EQ(list.Items(), std::vector<std::string>{"kept"});
}

TEST(ListArchiveMembers, ArchiveThatCannotBeOpenedAddsNothing) {
    FakeCab32 fake;
    fake.SetMembers({"a.txt"});
    fake->openHandle = 0;
    HiddenListBox list;
    tarvik::ListArchiveMembers(nullptr, "a.cab", list.get());
    EXPECT_TRUE(list.Items().empty());
}

TEST(ListArchiveMembers, ReadsThePathOnlyWithinTheRecord) {
    FakeCab32 fake;
    fake.SetMembers({"a.txt"});
    fake->membersFillRecord = 1;
    HiddenListBox list;
    tarvik::ListArchiveMembers(nullptr, "a.cab", list.get());
    ASSERT_EQ(list.Items().size(), 1u);
    EXPECT_EQ(list.Items()[0], "a.txt" + std::string(560 - 26 - 5, 'X'));
}

TEST(ListArchiveMembers, IgnoresATargetThatIsNotAListBox) {
    FakeCab32 fake;
    fake.SetMembers({"a.txt"});
    HWND edit = CreateWindowA("EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    tarvik::ListArchiveMembers(nullptr, "a.cab", edit);
    tarvik::ListArchiveMembers(nullptr, "a.cab", nullptr);
    EXPECT_EQ(fake->openCalls, 0);
    char text[16] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "");
    DestroyWindow(edit);
}
