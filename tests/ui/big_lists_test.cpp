// A cabinet with tens of thousands of members, through the real stand-in
// library: every member reaches the file list and the check list, in order,
// with both lists scrolled to the top.
#include <gtest/gtest.h>

#include <cstdio>

#include "stored_cabinet.h"
#include "window_test_support.h"

using namespace testing_support;

TEST(BigLists, TwentyThousandMembersArriveWholeAndInOrderInBothLists) {
    MainWindowFixture f(FakeVariant::Full, /*withLibrary=*/false);
    UseRealLibrary();
    TempFolder folder;
    std::vector<std::string> names;
    std::vector<StoredMember> members;
    for (int i = 0; i < 20000; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "dir%03d\\file%05d.txt", i / 100, i);
        names.push_back(name);
        members.push_back({name, "x"});
    }
    const std::string cabinet = folder.path() + "\\many.cab";
    ASSERT_TRUE(WriteBytes(cabinet, BuildStoredCabinet(members)));

    f.Start();
    f.SelectOperation("解凍");
    f.SetArchivePath(cabinet);
    EXPECT_EQ(ListItems(f.window->ListBox1), names);
    EXPECT_EQ(SendMessageA(f.window->ListBox1, LB_GETTOPINDEX, 0, 0), 0);
    EXPECT_TRUE(GetWindowLongPtrA(f.window->ListBox1, GWL_STYLE) & WS_VSCROLL) << "the scroll bar shows";

    f.SetCheck(f.window->CheckBox3, true);
    EXPECT_EQ(ListItems(f.window->CheckListBox1), names);
    EXPECT_EQ(SendMessageA(f.window->CheckListBox1, LB_GETTOPINDEX, 0, 0), 0);
    EXPECT_TRUE(GetWindowLongPtrA(f.window->CheckListBox1, GWL_STYLE) & WS_VSCROLL) << "the scroll bar shows";
    ResetLibrarySearch();
}
