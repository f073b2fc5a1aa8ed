// The character table read from the X server's keymap, under two real layouts set with
// setxkbmap on the test's Xvfb.

#include "platform/core/process.h"
#include "platform/testing/wait.h"
#include "platform/testing/x11_input_recorder.h"
#include "platform/x11/xkb_keyboard_layout.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using x11::XkbKeyboardLayout;

// Virtual key codes by their place on the keyboard.
constexpr int kA = 0x00, kZ = 0x06, kQ = 0x0C, kY = 0x10, k1 = 0x12, k2 = 0x13, kMinus = 0x1B,
              kQuote = 0x27, kSpace = 0x31;

bool setLayout(const char* layout) {
    const auto result = runProgram(QStringLiteral("setxkbmap"), {QString::fromLatin1(layout)});
    return result && result->exitStatus == 0;
}

class XkbKeyboardLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(connection.get(), nullptr) << "no X display";
        ASSERT_TRUE(setLayout("us"));
    }
    void TearDown() override { setLayout("us"); }

    doubles::DisplayConnection connection;
};

TEST_F(XkbKeyboardLayoutTest, UsLayoutGivesEachCharacterItsFirstKey) {
    XkbKeyboardLayout layout(connection.get());
    EXPECT_EQ(layout.keyCodeForCharacter(U'a'), kA);
    // Shifted characters share their key: the table has no modifiers.
    EXPECT_EQ(layout.keyCodeForCharacter(U'A'), kA);
    EXPECT_EQ(layout.keyCodeForCharacter(U'1'), k1);
    EXPECT_EQ(layout.keyCodeForCharacter(U'@'), k2);
    EXPECT_EQ(layout.keyCodeForCharacter(U'z'), kZ);
    EXPECT_EQ(layout.keyCodeForCharacter(U' '), kSpace);
    EXPECT_EQ(layout.keyCodeForCharacter(U'\u00e4'), std::nullopt);
    // Beyond the table, whatever the layout types.
    EXPECT_EQ(layout.keyCodeForCharacter(U'\u20ac'), std::nullopt);
    EXPECT_EQ(layout.keyCodeForCharacter(U'\U0001F600'), std::nullopt);
}

TEST_F(XkbKeyboardLayoutTest, FollowsTheLayoutWhenItChanges) {
    XkbKeyboardLayout layout(connection.get());
    ASSERT_EQ(layout.keyCodeForCharacter(U'z'), kZ);
    ASSERT_TRUE(setLayout("de"));
    // The German keyboard swaps Y and Z and has its own letters.
    EXPECT_TRUE(doubles::waitUntil([&] { return layout.keyCodeForCharacter(U'z') == kY; }));
    EXPECT_EQ(layout.keyCodeForCharacter(U'y'), kZ);
    EXPECT_EQ(layout.keyCodeForCharacter(U'\u00e4'), kQuote);
    EXPECT_EQ(layout.keyCodeForCharacter(U'\u00df'), kMinus);
    // '@' is on the third level of Q.
    EXPECT_EQ(layout.keyCodeForCharacter(U'@'), kQ);
    EXPECT_EQ(layout.keyCodeForCharacter(U'\u20ac'), std::nullopt);
}

TEST(XkbKeyboardLayoutWithoutDisplay, TypesNothing) {
    XkbKeyboardLayout layout(nullptr);
    EXPECT_EQ(layout.keyCodeForCharacter(U'a'), std::nullopt);
}

} // namespace
} // namespace platform
