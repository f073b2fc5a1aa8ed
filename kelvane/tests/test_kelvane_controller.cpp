#include "kelvane/tests/controller_fixture.h"
#include "platform/core/log.h"
#include "platform/testing/scripted_alerts.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace kelvane;
using kelvane::testing::ControllerFixture;
namespace mods = platform::hotkey_modifiers;

namespace {

struct CapturedLog {
    QStringList lines;
    CapturedLog() {
        platform::setLogSink([this](const QString& line) { lines << line; });
    }
    ~CapturedLog() { platform::setLogSink({}); }
    bool contains(const QString& part) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return line.contains(part); });
    }
};

platform::Value combo(qint64 keyCode, qint64 modifiers) {
    return platform::Value::newDictionary(
        {{QStringLiteral("keyCode"), keyCode}, {QStringLiteral("modifiers"), modifiers}});
}

const QString kFilled = QString(10, QChar(0x25FC));

} // namespace

TEST(KelvaneController, FirstLaunchWithEmptySettings) {
    ControllerFixture f(40);
    auto& controller = f.start();
    EXPECT_FALSE(controller.lockButtonState());
    EXPECT_FALSE(controller.isLockFrequencySliderEnabled());
    EXPECT_DOUBLE_EQ(controller.lockFrequencySliderValue(), 35.0);
    EXPECT_EQ(controller.levelSliderValue(), 40);
    EXPECT_EQ(controller.lightLevel(), 40);
    EXPECT_EQ(controller.idleTimerSliderValue(), 100);
    EXPECT_FALSE(controller.hasIdleTimer());
    EXPECT_FALSE(controller.isLockLoopRunning());
    EXPECT_TRUE(f.hotKeys.registered.empty());
    EXPECT_EQ(f.firstStartNotices, 1);
    EXPECT_FALSE(f.defaults().boolForKey(QStringLiteral("rememberLightLevel")));
    EXPECT_FALSE(controller.rememberLightLevelState());
    EXPECT_TRUE(f.updater.intervals.empty());
}

TEST(KelvaneController, RememberedLevelFadesInAtStart) {
    ControllerFixture f(0);
    f.defaults().setBool(true, QStringLiteral("rememberLightLevel"));
    f.defaults().setInteger(70, QStringLiteral("storedLightLevel"));
    f.defaults().setBool(true, QStringLiteral("DidShowFirstStartNotification"));
    auto& controller = f.start();
    EXPECT_EQ(controller.levelSliderValue(), 70);
    EXPECT_EQ(f.backlight->writes, 0) << "the level fades in, it does not jump";
    f.clock.advance(0.6);
    EXPECT_EQ(f.backlight->raw(), KelvaneIlluminationController::rawForLevel(70));
    EXPECT_EQ(f.firstStartNotices, 0);
}

TEST(KelvaneController, StoredValuesOutOfRangeAreLoggedAndKeptInRange) {
    ControllerFixture f(0);
    CapturedLog log;
    f.defaults().setBool(true, QStringLiteral("rememberLightLevel"));
    f.defaults().setInteger(250, QStringLiteral("storedLightLevel"));
    f.defaults().setFloat(-3, QStringLiteral("lockFrequencyValue"));
    f.defaults().setBool(true, QStringLiteral("storedLockButtonState"));
    auto& controller = f.start();
    EXPECT_EQ(controller.levelSliderValue(), 100);
    EXPECT_DOUBLE_EQ(controller.lockFrequencySliderValue(), 35.0);
    EXPECT_DOUBLE_EQ(controller.lockUpdateInterval(), KVIlluminationChangeInterval)
        << "a negative frequency must not make a timer of a tenth of a millisecond";
    EXPECT_TRUE(log.contains(QStringLiteral("storedLightLevel 250")));
    EXPECT_TRUE(log.contains(QStringLiteral("lockFrequencyValue")));
}

TEST(KelvaneController, LockPeriodFollowsTheStoredFrequency) {
    ControllerFixture f;
    f.defaults().setFloat(10, QStringLiteral("lockFrequencyValue"));
    auto& controller = f.start();
    EXPECT_DOUBLE_EQ(controller.lockUpdateInterval(), 0.1);
    f.defaults().setFloat(0, QStringLiteral("lockFrequencyValue"));
    EXPECT_DOUBLE_EQ(controller.lockUpdateInterval(), 0.028571429);
}

TEST(KelvaneController, LockLoopResendsTheLevelAtItsFrequency) {
    ControllerFixture f(40);
    auto& controller = f.start();
    controller.changeLock(true);
    EXPECT_TRUE(f.reread().boolForKey(QStringLiteral("storedLockButtonState")));
    f.backlight->writes = 0;
    f.clock.advance(1.0001);
    EXPECT_EQ(f.backlight->writes, 35);
    EXPECT_EQ(f.backlight->raw(), KelvaneIlluminationController::rawForLevel(40));

    controller.lockFrequencySliderChanged(10);
    f.backlight->writes = 0;
    f.clock.advance(1.0);
    EXPECT_EQ(f.backlight->writes, 10);

    controller.changeLock(false);
    f.backlight->writes = 0;
    f.clock.advance(1.0);
    EXPECT_EQ(f.backlight->writes, 0);
    EXPECT_FALSE(f.reread().boolForKey(QStringLiteral("storedLockButtonState")));
}

TEST(KelvaneController, SliderSetsTheLevelAtOnceAndStoresItWithoutNotifying) {
    ControllerFixture f(10);
    auto& controller = f.start();
    controller.adjustBacklight(64);
    EXPECT_EQ(f.backlight->raw(), KelvaneIlluminationController::rawForLevel(64));
    EXPECT_EQ(f.reread().integerForKey(QStringLiteral("storedLightLevel")), 64);
    EXPECT_TRUE(f.notifier.posted.empty());
}

TEST(KelvaneController, BrightenAt95EndsAt100AndDimAt5EndsAt0) {
    ControllerFixture f(95);
    auto& controller = f.start();
    controller.increaseIllumination();
    EXPECT_EQ(controller.levelSliderValue(), 100);
    EXPECT_EQ(f.reread().integerForKey(QStringLiteral("storedLightLevel")), 100);
    f.clock.advance(0.6);
    EXPECT_EQ(f.level(), 100);

    controller.adjustBacklight(5);
    controller.decreaseIllumination();
    EXPECT_EQ(controller.lightLevel(), 0);
    f.clock.advance(0.6);
    EXPECT_EQ(f.backlight->raw(), 0);
    EXPECT_EQ(f.notificationBodies(),
              (std::vector<QString>{QStringLiteral("Illumination: \n") + kFilled,
                                    QStringLiteral("Illumination: \nOff")}));
    EXPECT_EQ(f.notifier.posted[0].identifier, KelvaneNotificationController::kIdentifier);
    EXPECT_EQ(f.notifier.posted[0].applicationName, QStringLiteral("Kelvane"));
}

TEST(KelvaneController, NotificationShowsTheLevelAsSquares) {
    ControllerFixture f;
    KelvaneNotificationController notifications(f.notifier, f.strings);
    EXPECT_EQ(notifications.descriptionForLevel(55), QStringLiteral("Illumination: \n") +
                                                         QString(5, QChar(0x25FC)) +
                                                         QString(5, QChar(0x25FB)));
    for (int level : {0, 1, 9})
        EXPECT_EQ(notifications.descriptionForLevel(level), QStringLiteral("Illumination: \nOff"));
}

TEST(KelvaneController, ToggleTwiceFadesOffAndBackPostingBoth) {
    ControllerFixture f(60);
    auto& controller = f.start();
    controller.toggleIllumination();
    EXPECT_TRUE(controller.isToggled());
    f.clock.advance(0.6);
    EXPECT_EQ(f.backlight->raw(), 0);
    EXPECT_EQ(controller.levelSliderValue(), 60) << "the level is kept while off";
    controller.toggleIllumination();
    f.clock.advance(0.25);
    EXPECT_GT(f.backlight->raw(), 0);
    EXPECT_LT(f.backlight->raw(), KelvaneIlluminationController::rawForLevel(60))
        << "a fade, not a jump";
    f.clock.advance(0.3);
    EXPECT_EQ(f.backlight->raw(), KelvaneIlluminationController::rawForLevel(60));
    ASSERT_EQ(f.notifier.posted.size(), 2u);
    EXPECT_EQ(f.notifier.posted[0].body, QStringLiteral("Illumination: \nOff"));
    EXPECT_EQ(f.notifier.posted[1].body, QStringLiteral("Illumination: \n") +
                                             QString(6, QChar(0x25FC)) + QString(4, QChar(0x25FB)));
}

TEST(KelvaneController, ToggledOffWithTheLockOnHoldsTheLightOff) {
    ControllerFixture f(60);
    auto& controller = f.start();
    controller.changeLock(true);
    controller.toggleIllumination();
    f.clock.advance(2);
    EXPECT_TRUE(controller.isLockLoopRunning()) << "restarted 0.5 s after the fade";
    EXPECT_EQ(f.backlight->raw(), 0);
}

TEST(KelvaneController, FadeRestartsTheLockLoopHalfASecondAfterTheLastFade) {
    ControllerFixture f(60);
    auto& controller = f.start();
    controller.changeLock(true);
    controller.increaseIllumination();
    EXPECT_FALSE(controller.isLockLoopRunning());
    f.clock.advance(0.3);
    controller.increaseIllumination();
    f.clock.advance(0.3);
    EXPECT_FALSE(controller.isLockLoopRunning())
        << "the first fade's restart must not cut the second fade short";
    f.clock.advance(0.25);
    EXPECT_TRUE(controller.isLockLoopRunning());
    EXPECT_EQ(f.backlight->raw(), KelvaneIlluminationController::rawForLevel(80));
}

TEST(KelvaneController, HoldingBrightenStepsAtOnceThenEveryTenthUntilRelease) {
    ControllerFixture f(0);
    f.defaults().setObject(combo(0x7E, mods::Control | mods::Option),
                           QStringLiteral("brightenHotKey"));
    f.defaults().setObject(combo(0x7D, mods::Control | mods::Option), QStringLiteral("dimHotKey"));
    auto& controller = f.start();
    ASSERT_EQ(f.hotKeys.registered.size(), 2u);
    ASSERT_TRUE(f.hotKeys.press(0x7E, mods::Control | mods::Option));
    EXPECT_EQ(controller.lightLevel(), 10);
    f.clock.advance(0.35);
    EXPECT_EQ(controller.lightLevel(), 40);
    f.hotKeys.release(0x7E, mods::Control | mods::Option);
    f.clock.advance(1);
    EXPECT_EQ(controller.lightLevel(), 40);
    EXPECT_EQ(f.notifier.posted.size(), 4u);

    // A second press while the repeat still runs (no release came) only stops it.
    f.hotKeys.press(0x7D, mods::Control | mods::Option);
    EXPECT_EQ(controller.lightLevel(), 30);
    f.hotKeys.press(0x7D, mods::Control | mods::Option);
    f.clock.advance(1);
    EXPECT_EQ(controller.lightLevel(), 30);
}

TEST(KelvaneController, ToggleHotKeyTogglesWithoutRepeating) {
    ControllerFixture f(50);
    f.defaults().setObject(combo(0x11, mods::Command), QStringLiteral("toggleHotKey"));
    auto& controller = f.start();
    f.hotKeys.press(0x11, mods::Command);
    f.clock.advance(1);
    f.hotKeys.release(0x11, mods::Command);
    EXPECT_TRUE(controller.isToggled());
    EXPECT_EQ(f.backlight->raw(), 0);
    EXPECT_EQ(f.notifier.posted.size(), 1u);
}

TEST(KelvaneController, StoredHotKeysOfTheWrongShapeAreLoggedAndSkipped) {
    ControllerFixture f;
    CapturedLog log;
    f.defaults().setString(QStringLiteral("ctrl+up"), QStringLiteral("dimHotKey"));
    f.defaults().setObject(
        platform::Value::newDictionary({{QStringLiteral("keyCode"), QStringLiteral("up")}}),
        QStringLiteral("brightenHotKey"));
    f.defaults().setObject(combo(-5, mods::Command), QStringLiteral("toggleHotKey"));
    auto& controller = f.start();
    EXPECT_TRUE(f.hotKeys.registered.empty());
    EXPECT_TRUE(log.contains(QStringLiteral("dimHotKey is not a key combination")));
    EXPECT_TRUE(log.contains(QStringLiteral("brightenHotKey is not a key combination")));
    EXPECT_EQ(controller.hotKeyCombo(HotKeyRole::Toggle).keyCode(), -1);
}

TEST(KelvaneController, RecorderChangeReregistersAndSavesAllThree) {
    ControllerFixture f;
    f.defaults().setObject(combo(0x7D, mods::Control), QStringLiteral("dimHotKey"));
    auto& controller = f.start();
    controller.keyComboDidChange(HotKeyRole::Dim, KVKeyCombo(0x7B, mods::Shift | mods::Command));
    EXPECT_FALSE(f.hotKeys.registrationOf(0x7D, mods::Control));
    EXPECT_TRUE(f.hotKeys.registrationOf(0x7B, mods::Shift | mods::Command));
    auto saved = f.reread();
    EXPECT_EQ(
        KVKeyCombo::initWithPlistRepresentation(saved.objectForKey(QStringLiteral("dimHotKey"))),
        KVKeyCombo(0x7B, mods::Shift | mods::Command));
    EXPECT_TRUE(
        KVKeyCombo::initWithPlistRepresentation(saved.objectForKey(QStringLiteral("toggleHotKey")))
            .isClearCombo());

    // A combination another program holds is not active, and says so.
    CapturedLog log;
    f.hotKeys.takenElsewhere.insert({0x01, mods::Command});
    controller.keyComboDidChange(HotKeyRole::Toggle, KVKeyCombo(0x01, mods::Command));
    EXPECT_TRUE(log.contains(QStringLiteral("toggleHotKey could not be registered")));
}

TEST(KelvaneController, IdleThirtySecondsThenInputWithTheLockOn) {
    ControllerFixture f(80);
    f.defaults().setBool(true, QStringLiteral("storedLockButtonState"));
    auto& controller = f.start();
    controller.idleTimerSliderChanged(40);
    EXPECT_EQ(controller.idleTimerSeconds(), 30);
    EXPECT_EQ(f.reread().integerForKey(QStringLiteral("idleTimerSeconds")), 30);

    // The user stays away for 45 s.
    for (int second = 0; second < 45; ++second) {
        f.idleTime.setIdleSeconds(second + 1);
        f.clock.advance(1);
    }
    EXPECT_TRUE(controller.isAutomaticallyToggled());
    EXPECT_EQ(f.backlight->raw(), 0);
    EXPECT_EQ(f.clock.secondsToNextTimer().value_or(99) <= 1.0, true) << "checks come every second";

    // Input: the level fades back.
    f.idleTime.setIdleSeconds(0.2);
    f.clock.advance(1);
    EXPECT_FALSE(controller.isAutomaticallyToggled());
    f.clock.advance(0.6);
    EXPECT_EQ(f.backlight->raw(), KelvaneIlluminationController::rawForLevel(80));
    EXPECT_TRUE(controller.isLockLoopRunning());
}

TEST(KelvaneController, IdleDimmingWithTheLockOffStaysOff) {
    ControllerFixture f(80);
    f.defaults().setInteger(30, QStringLiteral("idleTimerSeconds"));
    auto& controller = f.start();
    EXPECT_EQ(controller.idleTimerSliderValue(), 40);
    int fadesToZero = 0;
    for (int second = 0; second < 45; ++second) {
        f.idleTime.setIdleSeconds(second + 1);
        const bool wasDimmed = controller.isAutomaticallyToggled();
        f.clock.advance(1);
        fadesToZero += !wasDimmed && controller.isAutomaticallyToggled();
    }
    EXPECT_EQ(fadesToZero, 1);
    f.clock.advance(1);
    f.idleTime.setIdleSeconds(0);
    f.clock.advance(5);
    EXPECT_EQ(f.backlight->raw(), 0);
    EXPECT_TRUE(controller.isAutomaticallyToggled());
}

TEST(KelvaneController, IdleTimeIsCountedInUnitsOfTwoToTheThirtyNanoseconds) {
    platform::doubles::FakeIdleTime idle;
    KelvanePowerManagementController power(idle);
    idle.nanoseconds = 3'000'000'000;
    EXPECT_EQ(power.secondsSinceLastUserInput(), 2);
    idle.nanoseconds = 1'000'000'000;
    EXPECT_EQ(power.secondsSinceLastUserInput(), 0);
    idle.nanoseconds = std::nullopt;
    EXPECT_EQ(power.secondsSinceLastUserInput(), 0);
}

TEST(KelvaneController, SleepStopsTheTimersAndWakeRestartsThem) {
    ControllerFixture f(50);
    f.defaults().setBool(true, QStringLiteral("storedLockButtonState"));
    f.defaults().setInteger(60, QStringLiteral("idleTimerSeconds"));
    auto& controller = f.start();
    f.sleepWake.sleep();
    EXPECT_FALSE(controller.isLockLoopRunning());
    EXPECT_FALSE(controller.hasIdleTimer());
    EXPECT_EQ(f.clock.pendingTimers(), 1) << "only the donation reminder";
    f.sleepWake.wake();
    EXPECT_TRUE(controller.isLockLoopRunning());
    EXPECT_TRUE(controller.hasIdleTimer());
}

TEST(KelvaneController, NoIdleTimerAfterWakeWhenIdleDimmingIsOff) {
    ControllerFixture f(50);
    auto& controller = f.start();
    f.sleepWake.sleep();
    f.sleepWake.wake();
    EXPECT_FALSE(controller.hasIdleTimer());
    EXPECT_FALSE(controller.isLockLoopRunning());
}

TEST(KelvaneController, MissingNotifierAndIdleTimeAreLoggedAndTheRestWorks) {
    ControllerFixture f(40);
    CapturedLog log;
    f.withNotifier = false;
    f.withIdleTime = false;
    auto& controller = f.start();
    EXPECT_TRUE(log.contains(QStringLiteral("Initializing notification controller failed.")));
    EXPECT_TRUE(log.contains(QStringLiteral("Initializing power management controller failed.")));
    controller.increaseIllumination();
    controller.idleTimerSliderChanged(0);
    f.clock.advance(10);
    EXPECT_EQ(f.backlight->raw(), KelvaneIlluminationController::rawForLevel(50));
}

TEST(KelvaneController, MissingBacklightShowsTheQuitAlert) {
    platform::doubles::ScriptedAlerts alerts;
    ControllerFixture f;
    KelvaneController::reportMissingBacklight(alerts, f.strings);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText, QStringLiteral("No keyboard backlight"));
    EXPECT_EQ(alerts.shown[0].informativeText, QStringLiteral("None found."));
    EXPECT_EQ(alerts.shown[0].buttons, QStringList{QStringLiteral("Quit")});
    EXPECT_EQ(alerts.beeps, 1);
}
