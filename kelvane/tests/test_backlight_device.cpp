#include "kelvane/core/backlight_device.h"
#include "kelvane/core/illumination_controller.h"
#include "platform/testing/manual_clock.h"

#include <gtest/gtest.h>
#include <vector>

using namespace kelvane;

namespace {

/// Keeps every raw level written, so a test sees the steps of a fade.
class RecordingBacklight final : public RawBacklight {
public:
    explicit RecordingBacklight(std::vector<int>& writes, int raw = 0)
        : m_writes(writes), m_raw(raw) {}
    std::optional<int> readRawLevel() override {
        if (failReads)
            return std::nullopt;
        return m_raw;
    }
    void writeRawLevel(int raw) override {
        m_raw = raw;
        m_writes.push_back(raw);
    }
    QString description() const override { return QStringLiteral("recording"); }
    bool failReads = false;

private:
    std::vector<int>& m_writes;
    int m_raw;
};

struct Device {
    platform::doubles::ManualClock clock;
    std::vector<int> writes;
    RecordingBacklight* hardware;
    BacklightDevice device;
    KelvaneIlluminationController illumination{device};

    explicit Device(int raw = 0)
        : hardware(new RecordingBacklight(writes, raw)),
          device(clock, std::unique_ptr<RawBacklight>(hardware)) {}
};

} // namespace

TEST(Illumination, LevelsCrossToRawByTruncationBothWays) {
    EXPECT_EQ(KelvaneIlluminationController::rawForLevel(100), 4095);
    EXPECT_EQ(KelvaneIlluminationController::rawForLevel(0), 0);
    EXPECT_EQ(KelvaneIlluminationController::rawForLevel(50), 2047);
    EXPECT_EQ(KelvaneIlluminationController::levelForRaw(2047), 49);
    EXPECT_EQ(KelvaneIlluminationController::levelForRaw(4095), 100);

    Device device;
    device.illumination.setBacklightLevelTo(50);
    EXPECT_EQ(device.writes.back(), 2047);
    EXPECT_EQ(device.illumination.backlightLevel(), 49);
}

TEST(Illumination, FailedReadRepeatsTheLastLevel) {
    Device device(4095);
    EXPECT_EQ(device.illumination.backlightLevel(), 100);
    device.hardware->failReads = true;
    EXPECT_EQ(device.illumination.backlightLevel(), 100);

    Device neverRead;
    neverRead.hardware->failReads = true;
    EXPECT_EQ(neverRead.illumination.backlightLevel(), 0);
}

TEST(BacklightDevice, FadeStepsOnTheClockAndEndsOnTheTarget) {
    Device device(0);
    device.illumination.fadeBacklightLevelTo(100, 500);
    EXPECT_TRUE(device.writes.empty()) << "a fade returns before the first step";

    device.clock.advance(0.25);
    ASSERT_FALSE(device.writes.empty());
    const int halfway = *device.device.rawLevel();
    EXPECT_NEAR(halfway, 2047, 200) << "the level read during a fade is where it stands";
    EXPECT_TRUE(std::is_sorted(device.writes.begin(), device.writes.end()));

    device.clock.advance(0.3);
    EXPECT_EQ(device.writes.back(), 4095);
    EXPECT_FALSE(device.device.isFading());
    EXPECT_EQ(device.clock.pendingTimers(), 0);
    EXPECT_GE(device.writes.size(), 25u) << "about one step every 16 ms over 500 ms";
    EXPECT_LE(device.writes.size(), 40u);
}

TEST(BacklightDevice, LaterSetOrFadeReplacesAFadeInProgress) {
    Device device(0);
    device.illumination.fadeBacklightLevelTo(100, 500);
    device.clock.advance(0.1);
    device.illumination.setBacklightLevelTo(20);
    const auto writesAfterSet = device.writes.size();
    device.clock.advance(1);
    EXPECT_EQ(device.writes.size(), writesAfterSet) << "the replaced fade must not go on";
    EXPECT_EQ(device.writes.back(), KelvaneIlluminationController::rawForLevel(20));

    device.illumination.fadeBacklightLevelTo(100, 500);
    device.clock.advance(0.2);
    device.illumination.fadeBacklightLevelTo(0, 500);
    device.clock.advance(0.6);
    EXPECT_EQ(device.writes.back(), 0);
    EXPECT_EQ(device.clock.pendingTimers(), 0);
}

TEST(BacklightDevice, FadeOfNoTimeOrToTheSameLevelSetsAtOnce) {
    Device device(1000);
    device.device.fadeRawLevel(3000, 0);
    EXPECT_EQ(device.writes, std::vector<int>{3000});
    device.device.fadeRawLevel(3000, 500);
    EXPECT_EQ(device.writes, (std::vector<int>{3000, 3000}));
    EXPECT_EQ(device.clock.pendingTimers(), 0);
}

TEST(BacklightDevice, SimulatedBacklightKeepsItsLevelAndCompletesFades) {
    platform::doubles::ManualClock clock;
    BacklightDevice device(clock, std::make_unique<SimulatedBacklight>(100));
    KelvaneIlluminationController illumination(device);
    illumination.fadeBacklightLevelTo(60, 500);
    clock.advance(0.6);
    EXPECT_EQ(illumination.backlightLevel(), 60);
    EXPECT_EQ(device.hardware().description(), QStringLiteral("simulated backlight"));
}
