#include "kelvane/linux/led_backlight.h"
#include "kelvane/tests/fake_led_tree.h"
#include "platform/core/log.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

using namespace kelvane;
using kelvane::testing::FakeLedTree;

namespace {

class FakeSessionBrightness final : public SessionBrightness {
public:
    bool isAvailable() override { return available; }
    void setBrightness(const QString& ledName, quint32 value) override {
        requests.emplace_back(ledName, value);
    }
    bool available = true;
    std::vector<std::pair<QString, quint32>> requests;
};

struct CapturedLog {
    QStringList lines;
    CapturedLog() {
        platform::setLogSink([this](const QString& line) { lines << line; });
    }
    ~CapturedLog() { platform::setLogSink({}); }
};

std::unique_ptr<LedBacklight> openLed(const QString& name = {},
                                      SessionBrightness* session = nullptr) {
    auto led = LedBacklight::open(name, session);
    EXPECT_TRUE(led.ok()) << led.error().toStdString();
    return led.ok() ? std::move(led).value() : nullptr;
}

} // namespace

TEST(LedBacklight, RawLevelsRoundToTheNearestLedStepBothWays) {
    EXPECT_EQ(LedBacklight::ledForRaw(4095, 3), 3);
    EXPECT_EQ(LedBacklight::ledForRaw(2047, 3), 1) << "1.4997 rounds down";
    EXPECT_EQ(LedBacklight::ledForRaw(2048, 3), 2) << "1.5004 rounds up";
    EXPECT_EQ(LedBacklight::ledForRaw(0, 3), 0);
    EXPECT_EQ(LedBacklight::ledForRaw(-50, 255), 0) << "out of range is clamped at the device";
    EXPECT_EQ(LedBacklight::ledForRaw(9000, 255), 255);
    EXPECT_EQ(LedBacklight::rawForLed(1, 3), 1365);
    EXPECT_EQ(LedBacklight::rawForLed(2, 3), 2730);
    EXPECT_EQ(LedBacklight::rawForLed(255, 255), 4095);
    EXPECT_EQ(LedBacklight::rawForLed(128, 255), 2056);
}

TEST(LedBacklight, LevelWrittenReadsBackWhileTheLedStillShowsIt) {
    FakeLedTree tree;
    tree.addLed(QStringLiteral("tpacpi::kbd_backlight"), "2\n", "0\n");
    auto led = openLed();
    ASSERT_TRUE(led);
    led->writeRawLevel(2047);
    EXPECT_EQ(tree.brightness(QStringLiteral("tpacpi::kbd_backlight")), "1");
    EXPECT_EQ(led->readRawLevel(), 2047);

    // Someone else changed the LED: the LED's own value counts again.
    tree.write(QStringLiteral("tpacpi::kbd_backlight"), QStringLiteral("brightness"), "2\n");
    EXPECT_EQ(led->readRawLevel(), 4095);
}

TEST(LedBacklight, ShorterValueReplacesALongerOneInTheFile) {
    FakeLedTree tree;
    tree.addLed(QStringLiteral("smc::kbd_backlight"), "255\n", "255\n");
    auto led = openLed();
    ASSERT_TRUE(led);
    led->writeRawLevel(0);
    EXPECT_EQ(tree.brightness(QStringLiteral("smc::kbd_backlight")), "0");
}

TEST(LedBacklight, FindsTheAppleLedFirstThenAnyKeyboardBacklight) {
    FakeLedTree tree;
    EXPECT_FALSE(LedBacklight::open({}, nullptr).ok()) << "no LED at all";
    tree.addLed(QStringLiteral("input3::capslock"), "1\n");
    tree.addLed(QStringLiteral("dell::kbd_backlight"), "2\n");
    tree.addLed(QStringLiteral("asus::kbd_backlight"), "3\n");
    EXPECT_EQ(openLed()->name(), QStringLiteral("asus::kbd_backlight"));
    tree.addLed(QStringLiteral("smc::kbd_backlight"), "255\n");
    EXPECT_EQ(
        LedBacklight::keyboardBacklightNames(),
        (QStringList{QStringLiteral("smc::kbd_backlight"), QStringLiteral("asus::kbd_backlight"),
                     QStringLiteral("dell::kbd_backlight")}));
    EXPECT_EQ(openLed(QStringLiteral("input3::capslock"))->maxBrightness(), 1)
        << "a named LED is taken whatever its kind";
    EXPECT_FALSE(LedBacklight::open(QStringLiteral("nothing::kbd_backlight"), nullptr).ok());
    EXPECT_FALSE(LedBacklight::open(QStringLiteral("../../../etc"), nullptr).ok());
}

TEST(LedBacklight, UnusableMaxBrightnessIsLoggedAndPassedOver) {
    FakeLedTree tree;
    CapturedLog log;
    tree.addLed(QStringLiteral("a::kbd_backlight"), "0\n");
    tree.addLed(QStringLiteral("b::kbd_backlight"), "lots\n");
    EXPECT_FALSE(LedBacklight::open({}, nullptr).ok());
    EXPECT_EQ(log.lines.size(), 2);
    EXPECT_TRUE(log.lines.first().contains(QStringLiteral("max_brightness")))
        << log.lines.first().toStdString();
    tree.addLed(QStringLiteral("c::kbd_backlight"), "10\n");
    EXPECT_EQ(openLed()->name(), QStringLiteral("c::kbd_backlight"));
}

TEST(LedBacklight, GarbageInTheBrightnessFileReadsAsNothing) {
    FakeLedTree tree;
    tree.addLed(QStringLiteral("smc::kbd_backlight"), "255\n", "bright\n");
    CapturedLog log;
    auto led = openLed();
    EXPECT_FALSE(led->readRawLevel());
    EXPECT_FALSE(led->readRawLevel());
    EXPECT_EQ(log.lines.size(), 1) << "logged once, not per read";
}

// Root writes read-only files, so these run in a child process that gives up its rights. A
// failed expectation ends the child with status 1 and says why on standard error.
#define CHECK_IN_CHILD(condition)                                                                  \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "failed: %s\n", #condition);                                      \
            std::_Exit(1);                                                                         \
        }                                                                                          \
    } while (false)

template <typename Scenario> void runUnprivileged(FakeLedTree& tree, Scenario scenario) {
    if (::geteuid() != 0) {
        scenario();
        std::_Exit(0);
    }
    tree.allowEveryone();
    if (::setgid(65534) != 0 || ::setuid(65534) != 0)
        std::_Exit(2);
    scenario();
    std::_Exit(0);
}

TEST(LedBacklight, ReadOnlyFileWithoutLogindIsLoggedOncePerRun) {
    FakeLedTree tree;
    tree.addLed(QStringLiteral("smc::kbd_backlight"), "255\n", "7\n");
    tree.makeReadOnly(QStringLiteral("smc::kbd_backlight"));
    EXPECT_EXIT(runUnprivileged(tree,
                                [&tree] {
                                    CapturedLog log;
                                    FakeSessionBrightness noLogind;
                                    noLogind.available = false;
                                    auto led = LedBacklight::open({}, &noLogind);
                                    CHECK_IN_CHILD(led.ok());
                                    for (int tick = 0; tick < 100; ++tick)
                                        (*led)->writeRawLevel(4095);
                                    CHECK_IN_CHILD(log.lines.size() == 1);
                                    CHECK_IN_CHILD(tree.brightness(QStringLiteral(
                                                       "smc::kbd_backlight")) == "7");
                                    CHECK_IN_CHILD(noLogind.requests.empty());
                                }),
                ::testing::ExitedWithCode(0), "");
}

TEST(LedBacklight, ReadOnlyFileGoesThroughLogindOnlyWhenTheLedDiffers) {
    FakeLedTree tree;
    tree.addLed(QStringLiteral("smc::kbd_backlight"), "255\n", "0\n");
    // The LED driver's side, which logind reaches: opened while the file is still writable.
    QFile driver(tree.ledFolder(QStringLiteral("smc::kbd_backlight")) +
                 QStringLiteral("/brightness"));
    ASSERT_TRUE(driver.open(QIODevice::WriteOnly));
    const auto driverSets = [&driver](int value) {
        driver.resize(0);
        driver.seek(0);
        driver.write(QByteArray::number(value) + '\n');
        driver.flush();
    };
    tree.makeReadOnly(QStringLiteral("smc::kbd_backlight"));
    const auto scenario = [&] {
        FakeSessionBrightness logind;
        auto opened = LedBacklight::open({}, &logind);
        CHECK_IN_CHILD(opened.ok());
        LedBacklight& led = **opened;
        CHECK_IN_CHILD(led.writesThroughSession());
        led.writeRawLevel(4095);
        CHECK_IN_CHILD(logind.requests.size() == 1);
        CHECK_IN_CHILD(logind.requests[0] ==
                       std::make_pair(QStringLiteral("smc::kbd_backlight"), 255u));
        // Many lock loop ticks at the level the LED shows cross the bus no more.
        driverSets(255);
        for (int tick = 0; tick < 35; ++tick)
            led.writeRawLevel(4095);
        CHECK_IN_CHILD(logind.requests.size() == 1);
        CHECK_IN_CHILD(led.readRawLevel() == 4095);
        // Another writer dimmed it: the next tick restores it.
        driverSets(10);
        led.writeRawLevel(4095);
        CHECK_IN_CHILD(logind.requests.size() == 2);
    };
    EXPECT_EXIT(runUnprivileged(tree, scenario), ::testing::ExitedWithCode(0), "");
}
