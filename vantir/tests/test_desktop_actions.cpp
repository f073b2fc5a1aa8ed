// Actions performed on a real X server (the tests run under Xvfb with one 1280×800 screen),
// through the performers the program registers, observed from a connection of the test's own
// the way another program on the desktop sees the input.

#include "platform/core/defaults.h"
#include "platform/core/event_loop_clock.h"
#include "platform/core/log.h"
#include "platform/core/notification_center.h"
#include "platform/core/process.h"
#include "platform/core/virtual_key_codes.h"
#include "platform/testing/fake_desktop.h"
#include "platform/testing/scripted_alerts.h"
#include "platform/testing/x11_input_recorder.h"
#include "vantir/app/desktop_actions.h"
#include "vantir/tests/scripted_timed_alerts.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantir;
using platform::doubles::buttonWord;
using platform::doubles::virtualKeyWord;

namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

QString down(int keyCode) {
    return virtualKeyWord(keyCode, true);
}
QString up(int keyCode) {
    return virtualKeyWord(keyCode, false);
}

class DesktopActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(connection.get(), nullptr) << "no X display";
        ASSERT_TRUE(recorder.isRecording());
        const auto layout = platform::runProgram(str("setxkbmap"), {str("us")});
        ASSERT_TRUE(layout && layout->exitStatus == 0);
        actions = std::make_unique<DesktopActions>(model, connection.get(), desktop, alerts,
                                                   timedAlerts, defaults, clock);
        recorder.takeEvents(connection.get());
    }

    bool perform(const char* kind, std::initializer_list<std::pair<const char*, Value>> keys) {
        const VNTAction action(VNTMutableDictionary::newInstance(str(kind)));
        for (const auto& [key, value] : keys)
            action.setStoredObject(value, str(key));
        return action.perform();
    }
    QStringList received() { return recorder.takeEvents(connection.get()); }

    platform::doubles::DisplayConnection connection;
    platform::doubles::X11InputRecorder recorder;
    platform::doubles::FakeDesktop desktop;
    platform::doubles::ScriptedAlerts alerts;
    vantir::testing::ScriptedTimedAlerts timedAlerts;
    QTemporaryDir folder;
    platform::Defaults defaults{str("Vantir"), folder.path()};
    platform::EventLoopClock clock;
    platform::NotificationCenter notifications;
    ModelContext model{clock, notifications, nullptr};
    std::unique_ptr<DesktopActions> actions;
};

TEST_F(DesktopActionsTest, ShiftIsHeldAroundTypedText) {
    EXPECT_TRUE(perform("VNTAKeystroke", {{"keyStrokes", str("ab")}, {"shiftDown", true}}));
    EXPECT_EQ(received(), (QStringList{down(platform::vk::Shift), down(0x00), up(0x00), down(0x0B),
                                       up(0x0B), up(platform::vk::Shift)}));
}

TEST_F(DesktopActionsTest, CommandAndTheSpaceBar) {
    EXPECT_TRUE(perform("VNTAKeystroke", {{"keyCode", 49}, {"commandDown", true}}));
    EXPECT_EQ(received(), (QStringList{down(platform::vk::Command), down(49), up(49),
                                       up(platform::vk::Command)}));
}

TEST_F(DesktopActionsTest, ADragWithTheLeftButtonHeld) {
    // From 700 points above the bottom of the 800-pixel screen: row 100.
    EXPECT_TRUE(perform(
        "VNTAMouse",
        {{"mouseEventType", 0}, {"mouseMoveType", 1}, {"mouseMoveX", 100}, {"mouseMoveY", 700}}));
    EXPECT_TRUE(perform("VNTAMouse", {{"mouseEventType", 1}, {"mouseClickCount", 100}}));
    EXPECT_TRUE(
        perform("VNTAMouse", {{"mouseEventType", 0}, {"mouseMoveX", 50}, {"mouseMoveY", -20}}));
    EXPECT_TRUE(perform("VNTAMouse", {{"mouseEventType", 1}, {"mouseClickCount", 100}}));
    EXPECT_EQ(received(), (QStringList{str("m100,100"), buttonWord(1, true), str("m150,120+b1"),
                                       buttonWord(1, false)}));
}

TEST_F(DesktopActionsTest, ARightDoubleClickAndTheWheel) {
    EXPECT_TRUE(perform("VNTAMouse",
                        {{"mouseEventType", 1}, {"mouseButtonTag", 2}, {"mouseClickCount", 2}}));
    EXPECT_TRUE(perform("VNTAMouse", {{"mouseEventType", 2}, {"scrollWheelAmount", -3}}));
    EXPECT_EQ(platform::doubles::X11InputRecorder::keysAndButtons(received()),
              (QStringList{buttonWord(3, true), buttonWord(3, false), buttonWord(3, true),
                           buttonWord(3, false), buttonWord(5, true), buttonWord(5, false),
                           buttonWord(5, true), buttonWord(5, false), buttonWord(5, true),
                           buttonWord(5, false)}));
}

TEST_F(DesktopActionsTest, MovesStopAtTheCornersOfTheScreen) {
    const auto moveTo = [this](int x, int y) {
        return perform(
            "VNTAMouse",
            {{"mouseEventType", 0}, {"mouseMoveType", 1}, {"mouseMoveX", x}, {"mouseMoveY", y}});
    };
    EXPECT_TRUE(moveTo(0, 0));
    EXPECT_TRUE(moveTo(100000, 100000));
    EXPECT_TRUE(moveTo(-100000, 100000));
    EXPECT_TRUE(moveTo(100000, -100000));
    EXPECT_EQ(received(),
              (QStringList{str("m0,799"), str("m1279,0"), str("m0,0"), str("m1279,799")}));
}

TEST_F(DesktopActionsTest, AScriptActionRunsTheShell) {
    const QString marker = folder.path() + str("/ran");
    EXPECT_TRUE(perform("VNTAAppleScript", {{"script", str("echo done > '") + marker + str("'")}}));
    EXPECT_TRUE(QFile::exists(marker));
    EXPECT_FALSE(perform("VNTAAppleScript", {{"script", str("exit 7")}}));
    EXPECT_EQ(timedAlerts.shown.size(), 1u);
}

TEST(DesktopActionsWithoutDisplay, KeysAndMouseFailAfterOneLogLine) {
    QStringList lines;
    platform::setLogSink([&lines](const QString& line) { lines << line; });
    platform::doubles::FakeDesktop desktop;
    platform::doubles::ScriptedAlerts alerts;
    vantir::testing::ScriptedTimedAlerts timedAlerts;
    QTemporaryDir folder;
    platform::Defaults defaults(str("Vantir"), folder.path());
    platform::EventLoopClock clock;
    platform::NotificationCenter notifications;
    ModelContext model(clock, notifications, nullptr);
    {
        DesktopActions actions(model, nullptr, desktop, alerts, timedAlerts, defaults, clock);
        const VNTAction keystroke(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
        keystroke.setStoredObject(str("typed"), str("keyStrokes"));
        EXPECT_FALSE(keystroke.perform());
        const VNTAction mouse(VNTMutableDictionary::newInstance(str("VNTAMouse")));
        EXPECT_FALSE(mouse.perform());
    }
    platform::setLogSink({});
    EXPECT_EQ(lines.size(), 1) << lines.join(str("\n")).toStdString();
    // Once the program's actions are gone, actions perform nothing.
    const VNTAction mouse(VNTMutableDictionary::newInstance(str("VNTAMouse")));
    EXPECT_FALSE(mouse.perform());
}

} // namespace
