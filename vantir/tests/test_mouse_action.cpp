// The mouse action against a recording poster on a desktop of one or two screens.

#include "platform/testing/fake_desktop.h"
#include "platform/testing/recording_event_poster.h"
#include "vantir/core/keystroke_action.h"
#include "vantir/core/mouse_action.h"
#include "vantir/tests/model_fixture.h"

using namespace vantir;
using namespace vantir::testing;
using platform::doubles::buttonWord;

namespace {

const QRect kMainScreen(0, 0, 1280, 800);
const QRect kSecondScreen(1280, 0, 1024, 768);

QString move(int x, int y, const char* held = "") {
    return QStringLiteral("m%1,%2%3").arg(x).arg(y).arg(str(held));
}

class MouseTest : public ModelTest {
protected:
    VNTAction newMouse(std::initializer_list<std::pair<const char*, Value>> keys) {
        const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAMouse")));
        for (const auto& [key, value] : keys)
            action.setStoredObject(value, str(key));
        return action;
    }
    VNTAction moveBy(int x, int y) {
        return newMouse({{"mouseEventType", 0}, {"mouseMoveX", x}, {"mouseMoveY", y}});
    }
    VNTAction moveTo(int x, int y) {
        return newMouse(
            {{"mouseEventType", 0}, {"mouseMoveType", 1}, {"mouseMoveX", x}, {"mouseMoveY", y}});
    }
    VNTAction clicks(int button, int count) {
        return newMouse(
            {{"mouseEventType", 1}, {"mouseButtonTag", button}, {"mouseClickCount", count}});
    }
    bool perform(const VNTAction& action) { return performer.perform(action); }

    platform::doubles::RecordingEventPoster poster;
    platform::doubles::FakeDesktop desktop;
    MousePerformer performer{MouseServices{
        poster,
        [](QPoint point) { return kSecondScreen.contains(point) ? kSecondScreen : kMainScreen; },
        desktop, alerts, *defaults}};
};

TEST_F(MouseTest, MovesCountUpwardsAndStayOnTheScreen) {
    poster.pointer = QPoint(0, 0);
    EXPECT_TRUE(perform(moveBy(10, 10)));
    EXPECT_TRUE(perform(moveBy(-30, -20)));
    EXPECT_TRUE(perform(moveTo(0, 0)));
    EXPECT_TRUE(perform(moveTo(100, 800)));
    EXPECT_TRUE(perform(moveTo(5000, -5000)));
    EXPECT_TRUE(perform(moveBy(-2147483647, -2147483647)));
    EXPECT_TRUE(perform(moveBy(2147483647, 2147483647)));
    EXPECT_EQ(poster.events, (QStringList{move(10, 0), move(0, 20), move(0, 799), move(100, 0),
                                          move(1279, 799), move(0, 799), move(1279, 0)}));
}

TEST_F(MouseTest, APositionIsTakenOnTheScreenThatHoldsThePointer) {
    poster.pointer = QPoint(1500, 300);
    EXPECT_TRUE(perform(moveTo(0, 0)));
    EXPECT_TRUE(perform(moveBy(-1000, 0)));
    EXPECT_EQ(poster.events, (QStringList{move(1280, 767), move(1280, 767)}));
}

TEST_F(MouseTest, AHoldToggleDragsUntilTheNextToggle) {
    poster.pointer = QPoint(100, 100);
    EXPECT_TRUE(perform(clicks(1, 100)));
    EXPECT_TRUE(performer.isHeld(0));
    EXPECT_TRUE(perform(moveBy(50, 0)));
    EXPECT_TRUE(perform(clicks(1, 100)));
    EXPECT_FALSE(performer.isHeld(0));
    EXPECT_EQ(poster.events,
              (QStringList{buttonWord(1, true), move(150, 100, "+b1"), buttonWord(1, false)}));
}

TEST_F(MouseTest, HoldingAnotherButtonReleasesTheFirst) {
    EXPECT_TRUE(perform(clicks(1, 100)));
    EXPECT_TRUE(perform(clicks(3, 100)));
    EXPECT_FALSE(performer.isHeld(0));
    EXPECT_TRUE(performer.isHeld(2));
    EXPECT_EQ(poster.events,
              (QStringList{buttonWord(1, true), buttonWord(1, false), buttonWord(2, true)}));
}

TEST_F(MouseTest, ARightDoubleClickPostsTwoClicksAndEndsEveryHold) {
    EXPECT_TRUE(perform(clicks(2, 2)));
    EXPECT_EQ(poster.events, (QStringList{buttonWord(3, true), buttonWord(3, false),
                                          buttonWord(3, true), buttonWord(3, false)}));
    poster.events.clear();
    // Tags other than 2 and 3 are the left button.
    EXPECT_TRUE(perform(clicks(7, 1)));
    EXPECT_EQ(poster.events, (QStringList{buttonWord(1, true), buttonWord(1, false)}));
}

TEST_F(MouseTest, AClickAfterAHoldReleasesTheHeldButtonFirst) {
    EXPECT_TRUE(perform(clicks(1, 100)));
    poster.events.clear();
    EXPECT_TRUE(perform(clicks(2, 0)));
    EXPECT_EQ(poster.events, (QStringList{buttonWord(1, false)}));
    EXPECT_FALSE(performer.isHeld(0));
    poster.events.clear();
    EXPECT_TRUE(perform(clicks(3, -4)));
    EXPECT_TRUE(poster.events.isEmpty());
}

TEST_F(MouseTest, TheWheelTurnsByItsAmount) {
    EXPECT_TRUE(perform(newMouse({{"mouseEventType", 2}, {"scrollWheelAmount", -3}})));
    EXPECT_EQ(poster.events,
              (QStringList{buttonWord(5, true), buttonWord(5, false), buttonWord(5, true),
                           buttonWord(5, false), buttonWord(5, true), buttonWord(5, false)}));
    poster.events.clear();
    EXPECT_TRUE(perform(newMouse({{"mouseEventType", 2}, {"scrollWheelAmount", 2147483647}})));
    EXPECT_EQ(poster.events.size(), 2000) << "a wheel amount far too large is capped";
}

TEST_F(MouseTest, AnUnknownTypeDoesNothing) {
    EXPECT_TRUE(perform(newMouse({{"mouseEventType", 3}})));
    EXPECT_TRUE(poster.events.isEmpty());
}

TEST_F(MouseTest, WithoutADisplayTheActionFails) {
    poster.usable = false;
    EXPECT_FALSE(perform(moveBy(1, 1)));
    EXPECT_FALSE(perform(clicks(1, 1)));
}

TEST_F(MouseTest, TheSafetySwitchRefusesWhileTheProgramIsInFront) {
    desktop.front = kProgramName;
    EXPECT_TRUE(perform(clicks(1, 1))) << "off unless turned on";
    poster.events.clear();
    defaults->setBool(true, kRefuseMouseActionsInFrontKey);
    EXPECT_FALSE(perform(clicks(1, 1)));
    EXPECT_TRUE(poster.events.isEmpty());
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].informativeText,
              str("For security reasons, mouse actions can not be performed with Vantir in "
                  "front."));
    desktop.front = str("Editor");
    EXPECT_TRUE(perform(clicks(1, 1)));
    EXPECT_EQ(poster.events.size(), 2);
}

} // namespace
