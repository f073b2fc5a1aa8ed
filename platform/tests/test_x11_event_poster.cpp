// The XTest poster against a real X server (the tests run under Xvfb), observed from a second
// connection the way any other program would see the input.

#include "platform/core/log.h"
#include "platform/core/virtual_key_codes.h"
#include "platform/testing/x11_input_recorder.h"
#include "platform/x11/x11_event_poster.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using doubles::buttonWord;
using doubles::virtualKeyWord;
using doubles::X11InputRecorder;
using x11::X11EventPoster;

class X11EventPosterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(display, nullptr) << "no X display";
        ASSERT_TRUE(recorder.isRecording()) << "no XInput 2";
        recorder.takeEvents(display);
    }
    QStringList posted() { return recorder.takeEvents(display); }

    doubles::DisplayConnection connection;
    Display* display = connection.get();
    X11InputRecorder recorder;
    X11EventPoster poster{display};
};

TEST_F(X11EventPosterTest, KeysArriveInTheOrderPosted) {
    EXPECT_TRUE(poster.postKey(vk::Shift, KeyState::Down));
    EXPECT_TRUE(poster.postKey(0x00, KeyState::Down)); // A
    EXPECT_TRUE(poster.postKey(0x00, KeyState::Up));
    EXPECT_TRUE(poster.postKey(vk::Shift, KeyState::Up));
    EXPECT_EQ(posted(),
              (QStringList{virtualKeyWord(vk::Shift, true), virtualKeyWord(0x00, true),
                           virtualKeyWord(0x00, false), virtualKeyWord(vk::Shift, false)}));
}

TEST_F(X11EventPosterTest, KeyCodesOutsideTheTableAreRefused) {
    EXPECT_FALSE(poster.postKey(0x34, KeyState::Down));
    EXPECT_FALSE(poster.postKey(-1, KeyState::Down));
    EXPECT_FALSE(poster.postKey(100000, KeyState::Up));
    EXPECT_TRUE(posted().isEmpty());
}

TEST_F(X11EventPosterTest, ButtonsAndWheelNotches) {
    EXPECT_TRUE(poster.postButton(MouseButton::Right, KeyState::Down));
    EXPECT_TRUE(poster.postButton(MouseButton::Right, KeyState::Up));
    EXPECT_TRUE(poster.postButton(MouseButton::Middle, KeyState::Down));
    EXPECT_TRUE(poster.postButton(MouseButton::Middle, KeyState::Up));
    EXPECT_TRUE(poster.postWheel(-3));
    EXPECT_TRUE(poster.postWheel(1));
    EXPECT_TRUE(poster.postWheel(0));
    EXPECT_EQ(X11InputRecorder::keysAndButtons(posted()),
              (QStringList{buttonWord(3, true), buttonWord(3, false), buttonWord(2, true),
                           buttonWord(2, false), buttonWord(5, true), buttonWord(5, false),
                           buttonWord(5, true), buttonWord(5, false), buttonWord(5, true),
                           buttonWord(5, false), buttonWord(4, true), buttonWord(4, false)}));
}

TEST_F(X11EventPosterTest, MovingWithAHeldButtonDrags) {
    EXPECT_TRUE(poster.movePointer(QPoint(100, 100)));
    EXPECT_TRUE(poster.postButton(MouseButton::Left, KeyState::Down));
    EXPECT_TRUE(poster.movePointer(QPoint(150, 120)));
    EXPECT_TRUE(poster.postButton(MouseButton::Left, KeyState::Up));
    EXPECT_EQ(posted(), (QStringList{QStringLiteral("m100,100"), buttonWord(1, true),
                                     QStringLiteral("m150,120+b1"), buttonWord(1, false)}));
    EXPECT_EQ(poster.pointerPosition(), QPoint(150, 120));
}

TEST(X11EventPosterWithoutDisplay, FailsEverythingAfterOneLogLine) {
    QStringList lines;
    setLogSink([&lines](const QString& line) { lines << line; });
    x11::X11EventPoster poster(nullptr);
    setLogSink({});
    EXPECT_EQ(lines.size(), 1);
    EXPECT_FALSE(poster.isUsable());
    EXPECT_FALSE(poster.postKey(vk::Shift, KeyState::Down));
    EXPECT_FALSE(poster.movePointer(QPoint(1, 1)));
    EXPECT_FALSE(poster.postButton(MouseButton::Left, KeyState::Down));
    EXPECT_FALSE(poster.postWheel(2));
    EXPECT_FALSE(poster.pointerPosition());
}

} // namespace
} // namespace platform
