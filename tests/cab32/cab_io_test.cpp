#include <gtest/gtest.h>

#include "cab_io.h"

namespace cab32::io {
namespace {

// FDI closes an output file itself when it gives up on a member, and the
// reader may close the same handle afterwards: the second close must find
// nothing, and must not touch a file opened in between.
TEST(CabIoHandles, ASecondCloseFindsNothingAndSparesTheNextFile) {
    const INT_PTR first = OpenSink();
    ASSERT_EQ(CloseFile(first), 0);
    const INT_PTR second = OpenSink();
    EXPECT_NE(second, first);
    EXPECT_EQ(CloseFile(first), -1);
    EXPECT_EQ(FromHandle(first), nullptr);
    ASSERT_NE(FromHandle(second), nullptr);
    EXPECT_EQ(CloseFile(second), 0);
}

}  // namespace
}  // namespace cab32::io
