// The keystroke action against a recording poster, a layout table and a desktop in memory.

#include "platform/core/virtual_key_codes.h"
#include "platform/testing/fake_desktop.h"
#include "platform/testing/fixed_keyboard_layout.h"
#include "platform/testing/recording_event_poster.h"
#include "vantir/core/keystroke_action.h"
#include "vantir/tests/model_fixture.h"

using namespace vantir;
using namespace vantir::testing;
using platform::doubles::virtualKeyWord;

namespace {

constexpr int kA = 0x00, kB = 0x0B, kSpace = 0x31;

QString down(int keyCode) {
    return virtualKeyWord(keyCode, true);
}
QString up(int keyCode) {
    return virtualKeyWord(keyCode, false);
}

class KeystrokeTest : public ModelTest {
protected:
    KeystrokeTest() {
        layout.keys = {{U'a', kA}, {U'b', kB}, {U' ', kSpace}};
        desktop.launched = {str("Terminal"), str("Editor")};
        desktop.installed = {str("Player")};
        desktop.front = str("Terminal");
    }

    VNTAction newKeystroke(std::initializer_list<std::pair<const char*, Value>> keys) {
        const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
        for (const auto& [key, value] : keys)
            action.setStoredObject(value, str(key));
        return action;
    }
    bool perform(const VNTAction& action) { return performer.perform(action); }

    platform::doubles::RecordingEventPoster poster;
    platform::doubles::FixedKeyboardLayout layout;
    platform::doubles::FakeDesktop desktop;
    KeystrokePerformer performer{
        KeystrokeServices{poster, layout, desktop, desktop, alerts, [this](double seconds) {
                              poster.events << QStringLiteral("pause %1").arg(seconds);
                          }}};
};

TEST_F(KeystrokeTest, TextIsTypedInsideTheModifiersInsteadOfTheKey) {
    EXPECT_TRUE(
        perform(newKeystroke({{"keyStrokes", str("ab")}, {"shiftDown", true}, {"keyCode", 49}})));
    EXPECT_EQ(poster.events, (QStringList{down(platform::vk::Shift), down(kA), up(kA), down(kB),
                                          up(kB), up(platform::vk::Shift)}));
}

TEST_F(KeystrokeTest, AnEmptyTextPressesTheKey) {
    EXPECT_TRUE(
        perform(newKeystroke({{"keyStrokes", str("")}, {"keyCode", 49}, {"commandDown", true}})));
    EXPECT_EQ(poster.events, (QStringList{down(platform::vk::Command), down(49), up(49),
                                          up(platform::vk::Command)}));
}

TEST_F(KeystrokeTest, ModifiersGoDownShiftFirstAndComeUpCommandFirst) {
    EXPECT_TRUE(perform(newKeystroke({{"keyCode", kA},
                                      {"shiftDown", true},
                                      {"controlDown", true},
                                      {"optionDown", true},
                                      {"commandDown", true}})));
    EXPECT_EQ(poster.events,
              (QStringList{down(platform::vk::Shift), down(platform::vk::Control),
                           down(platform::vk::Option), down(platform::vk::Command), down(kA),
                           up(kA), up(platform::vk::Command), up(platform::vk::Option),
                           up(platform::vk::Control), up(platform::vk::Shift)}));
}

TEST_F(KeystrokeTest, TheDelayComesBeforeTheFirstKey) {
    EXPECT_TRUE(perform(newKeystroke({{"keyCode", kA}, {"delayTime", 250}, {"shiftDown", true}})));
    EXPECT_EQ(poster.events, (QStringList{str("pause 0.25"), down(platform::vk::Shift), down(kA),
                                          up(kA), up(platform::vk::Shift)}));
}

TEST_F(KeystrokeTest, FlashModeWaitsAfterEachKey) {
    EXPECT_TRUE(perform(newKeystroke({{"keyCode", kB}, {"useFlashMode", true}})));
    EXPECT_EQ(poster.events, (QStringList{down(kB), str("pause 0.04"), up(kB), str("pause 0.04")}));
}

TEST_F(KeystrokeTest, CharactersWithoutAKeyAreSkipped) {
    EXPECT_TRUE(perform(newKeystroke({{"keyStrokes", QStringLiteral("a\u20acz\U0001F600b")}})));
    EXPECT_EQ(poster.events, (QStringList{down(kA), up(kA), down(kB), up(kB)}));
}

TEST_F(KeystrokeTest, AnApplicationThatCannotBeLaunchedIsReportedAndGetsNothing) {
    EXPECT_FALSE(perform(newKeystroke({{"appName", str("NotInstalled")}, {"keyCode", kA}})));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText, str("Vantir Alert"));
    EXPECT_EQ(alerts.shown[0].informativeText, str("Could not launch application 'NotInstalled'!"));
    EXPECT_EQ(alerts.shown[0].buttons, QStringList{str("OK")});
    EXPECT_TRUE(poster.events.isEmpty());
}

TEST_F(KeystrokeTest, ATargetThatIsNotRunningIsStartedEvenWithoutBringingItForward) {
    EXPECT_TRUE(perform(newKeystroke({{"appName", str("Player")}, {"keyCode", kA}})));
    EXPECT_EQ(desktop.launchRequests, QStringList{str("Player")});
    // A running one is left where it is.
    desktop.launchRequests.clear();
    EXPECT_TRUE(perform(newKeystroke({{"appName", str("editor")}, {"keyCode", kA}})));
    EXPECT_TRUE(desktop.launchRequests.isEmpty());
}

TEST_F(KeystrokeTest, ReactivationGivesTheFrontBackOnlyAfterBringingTheTargetForward) {
    EXPECT_TRUE(
        perform(newKeystroke({{"appName", str("Editor")}, {"reActivate", true}, {"keyCode", kA}})));
    EXPECT_TRUE(desktop.launchRequests.isEmpty());
    EXPECT_EQ(desktop.front, str("Terminal"));

    EXPECT_TRUE(perform(newKeystroke({{"appName", str("Editor")},
                                      {"bringToFront", true},
                                      {"reActivate", true},
                                      {"keyCode", kA}})));
    EXPECT_EQ(desktop.launchRequests, (QStringList{str("Editor"), str("Terminal")}));
    EXPECT_EQ(desktop.front, str("Terminal"));
}

TEST_F(KeystrokeTest, NoTargetAndTheProgramItselfAreNeverLaunched) {
    desktop.front.clear();
    EXPECT_TRUE(perform(newKeystroke({{"bringToFront", true}, {"keyCode", kA}})));
    EXPECT_TRUE(perform(newKeystroke({{"appName", kProgramName}, {"keyCode", kA}})));
    EXPECT_TRUE(perform(
        newKeystroke({{"appName", kProgramName}, {"bringToFront", true}, {"keyCode", kA}})));
    EXPECT_TRUE(desktop.launchRequests.isEmpty());
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_EQ(poster.events.size(), 6);
}

TEST_F(KeystrokeTest, AKeyCodeWithoutAKeyFailsButReleasesTheModifiers) {
    EXPECT_FALSE(perform(newKeystroke({{"keyCode", 0x34}, {"optionDown", true}})));
    EXPECT_EQ(poster.events, (QStringList{down(platform::vk::Option), up(platform::vk::Option)}));
    EXPECT_TRUE(logged(str("VNTAKeystroke: key code 52 has no key on this system")));
}

TEST_F(KeystrokeTest, WithoutADisplayTheActionFails) {
    poster.usable = false;
    EXPECT_FALSE(perform(newKeystroke({{"keyCode", kA}, {"shiftDown", true}})));
    EXPECT_FALSE(perform(newKeystroke({{"keyStrokes", str("ab")}, {"appName", str("Player")}})));
    EXPECT_TRUE(desktop.launchRequests.isEmpty());
    EXPECT_TRUE(logLines.isEmpty()) << "the poster says it once, not every action";
}

TEST_F(KeystrokeTest, ApplicationMenuListsTheLaunchedApplicationsAndFrontRowSorted) {
    desktop.launched = {str("terminal"), str("Editor"), str("firefox")};
    EXPECT_EQ(applicationsMenuItems(desktop),
              (QStringList{str("Applications"), str("Editor"), str("firefox"), str("Front Row"),
                           str("terminal")}));
}

TEST_F(KeystrokeTest, CommandsShowTheirKeyNames) {
    EXPECT_EQ(keyNameForCommand(str("moveToBeginningOfDocument:")), str("UP"));
    EXPECT_EQ(keyNameForCommand(str("deleteBackwardByDecomposingPreviousCharacter:")),
              str("BACKSPACE"));
    EXPECT_EQ(keyNameForCommand(str("insertBacktab:")), str("TAB"));
    EXPECT_EQ(keyNameForCommand(str("noop:")), str("<not supported>"));
    EXPECT_EQ(keyNameForCommand(str("transpose:")), str("transpose:"));
}

TEST_F(KeystrokeTest, RecordingAKeyOrTextSwitchesWhatTheActionSends) {
    const VNTAction action = newKeystroke({{"keyStrokes", str("old")}, {"useKeystrokes", true}});
    int changes = 0;
    notifications.addObserver(this, kChangedAction, action.identity(),
                              [&changes](const platform::Notification&) { ++changes; });

    recordKeyInKeyField(action, kSpace, str(" "));
    EXPECT_EQ(action.integerForKey(str("keyCode")), kSpace);
    EXPECT_EQ(action.stringForKey(str("keyCodeName")), str("SPACE"));
    EXPECT_EQ(action.stringForKey(str("keyStrokes")), str(""));
    EXPECT_FALSE(action.boolForKey(str("useKeystrokes")));
    EXPECT_GT(changes, 0);

    EXPECT_TRUE(recordCommandInKeyField(action, str("moveLeft:"), 0x7B,
                                        ModifierFlags{true, false, true, false}));
    EXPECT_EQ(action.stringForKey(str("keyCodeName")), str("LEFT"));
    EXPECT_EQ(action.integerForKey(str("keyCode")), 0x7B);
    EXPECT_TRUE(action.boolForKey(str("shiftDown")));
    EXPECT_FALSE(action.boolForKey(str("controlDown")));
    EXPECT_TRUE(action.boolForKey(str("optionDown")));
    EXPECT_FALSE(action.boolForKey(str("commandDown")));

    recordTypingInTextField(action);
    EXPECT_EQ(action.integerForKey(str("keyCode")), 0);
    EXPECT_TRUE(action.boolForKey(str("useKeystrokes")));
    EXPECT_EQ(action.stringForKey(str("keyCodeName")), str(""));
    notifications.removeObserver(this);
}

} // namespace
