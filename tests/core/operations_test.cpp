#include "operations.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "operation_states.h"

using namespace testing_support;

namespace {

// The field of OperationControls that stands for a control of the rows.
bool StateOf(const tarvik::OperationControls& controls, const std::string& control) {
    if (control == "Panel1") return controls.panel1Visible;
    if (control == "cobType") return controls.cobTypeEnabled;
    if (control == "edtMelt") return controls.edtMeltEnabled;
    if (control == "cmdDirec") return controls.cmdDirecEnabled;
    if (control == "CheckBox1") return controls.checkBox1Enabled;
    if (control == "CheckBox2") return controls.checkBox2Enabled;
    if (control == "CheckBox3") return controls.checkBox3Enabled;
    if (control == "CheckBox4") return controls.checkBox4Enabled;
    ADD_FAILURE() << "no field for " << control;
    return false;
}

}  // namespace

TEST(Operations, EachOperationSetsItsControlsAsDocumented) {
    ASSERT_EQ(std::size(tarvik::kJobKinds), kOperationCount);
    for (std::size_t column = 0; column < kOperationCount; ++column) {
        const OperationColumn& operation = kOperationColumns[column];
        SCOPED_TRACE(operation.operationSwitch);
        const std::optional<tarvik::JobKind> kind = tarvik::JobKindFromItem(operation.item);
        ASSERT_TRUE(kind);
        EXPECT_EQ(tarvik::JobKindFromSwitch(operation.operationSwitch), kind);
        EXPECT_EQ(std::string(tarvik::kJobKinds[column].item), operation.item);  // the box's order
        for (const ControlRow& row : kControlRows) {
            EXPECT_EQ(StateOf(tarvik::OperationControlsFor(*kind), row.control),
                      StateIsOn(row.states[column]))
                << row.control;
        }
    }
}

TEST(Operations, CompressionSwitchesComeFromTheItems) {
    EXPECT_EQ(tarvik::CompressionSwitchOf("LZX 19"), "-ml19");
    EXPECT_EQ(tarvik::CompressionSwitchOf("lzx 15"), "-ml15");
    EXPECT_EQ(tarvik::CompressionSwitchOf("mszip"), "-mz");
    EXPECT_EQ(tarvik::CompressionSwitchOf("無圧縮"), "-ms");
    EXPECT_EQ(tarvik::CompressionSwitchOf("LZX 22"), std::nullopt);
    EXPECT_EQ(tarvik::CompressionSwitchOf(""), std::nullopt);
}
