#include "fluxen/core/instruction_set.h"
#include "fluxen/core/motion_sensor.h"
#include "fluxen/core/simulation.h"
#include "platform/core/log.h"

#include <QStringList>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace fluxen {
namespace {

// A sensor that counts its reads and can be made to fail.
class CountingSensor final : public MotionSensor {
public:
    int detect_sms() override { return 7; }
    bool read_sms_raw(int type, int* x, int* y, int* z) override {
        ++reads;
        lastType = type;
        if (failing)
            return false;
        *x = value;
        *y = value + 1;
        *z = 3;
        return true;
    }
    int value = 40;
    int reads = 0;
    int lastType = 0;
    bool failing = false;
};

// The all-pairs step, or the fast one with the code of an instruction set, so that every rule
// is checked on each.
using StepKind = std::optional<InstructionSet>;
constexpr StepKind kReference = std::nullopt;

class SimulationRules : public ::testing::TestWithParam<StepKind> {
protected:
    // Three particles far apart and at rest, no gravity: each test places what it needs.
    SimulationRules() : liquid(kTableSize, GetParam().value_or(InstructionSet::Portable)) {
        liquid.setParticleCount(3);
        liquid.gravity = 0;
        for (int i = 0; i < 3; ++i)
            liquid.o[i] = Particle{100.0f + 300 * i, 300, 0, 0, 10, 0, 0, 1};
    }
    void SetUp() override {
        if (GetParam() && !isSupported(*GetParam()))
            GTEST_SKIP() << "this processor does not run " << nameOf(*GetParam());
    }
    void step() {
        if (GetParam() == kReference)
            liquid.stepReference();
        else
            liquid.step();
    }
    Simulation liquid;
};

TEST_P(SimulationRules, EqualParticlesAtOnePointOnlyAverageTheirVelocities) {
    liquid.dt = 0;
    liquid.o[1] = Particle{500, 300, 4, -2, 10, 0, 0, 1};
    liquid.o[2] = Particle{500, 300, 8, 6, 10, 0, 0, 1};
    step();
    // d = 0, D = 10, w = 1/2: the stiffness 2^5.2 multiplies a zero offset.
    EXPECT_FLOAT_EQ(liquid.o[1].vx, 6);
    EXPECT_FLOAT_EQ(liquid.o[1].vy, 2);
    EXPECT_FLOAT_EQ(liquid.o[2].vx, 7); // from the new vx of particle 1
    EXPECT_FLOAT_EQ(liquid.o[2].vy, 4);
}

TEST_P(SimulationRules, OverlapPushesApartWithTheStiffness) {
    liquid.dt = 0;
    liquid.o[1] = Particle{500, 300, 0, 0, 10, 0, 0, 1};
    liquid.o[2] = Particle{505, 300, 0, 0, 10, 0, 0, 1};
    step();
    // d = 5, D = 10: K = 1.5^5.2; particle 1 goes left, particle 2 right.
    const float K = static_cast<float>(std::pow(1.5, static_cast<double>(5.2f)));
    EXPECT_FLOAT_EQ(liquid.o[1].vx, -5 * K);
    EXPECT_FLOAT_EQ(liquid.o[2].vx, 0.5f * (-5 * K) + 5 * K);
}

TEST_P(SimulationRules, ParticleZeroMovesOnlyItself) {
    liquid.dt = 0;
    liquid.o[0] = Particle{500, 300, 2, 4, 19, 1, 1, 1};
    liquid.o[1] = Particle{504, 306, 6, 8, 10, 0, 0, 1};
    step();
    EXPECT_FLOAT_EQ(liquid.o[0].vx, static_cast<float>((2 + 6) * 0.5 + (500 - 504) * 0.6));
    EXPECT_FLOAT_EQ(liquid.o[0].vy, static_cast<float>((4 + 8) * 0.7 + (300 - 306) * 0.6 - 3));
    EXPECT_EQ(liquid.o[1].vx, 6);
    EXPECT_EQ(liquid.o[1].vy, 8);
}

TEST_P(SimulationRules, LeftWallTestIsStrict) {
    liquid.dt = 0;
    liquid.o[1] = Particle{5, 300, -1, 2, 10, 0, 0, 1}; // exactly at s = radius / 2
    liquid.o[2] = Particle{4.99f, 500, -1, 2, 10, 0, 0, 1};
    step();
    EXPECT_EQ(liquid.o[1].x, 5);
    EXPECT_EQ(liquid.o[1].vx, -1);
    EXPECT_FLOAT_EQ(liquid.o[2].x, 5.1f);
    EXPECT_FLOAT_EQ(liquid.o[2].vx, 0.95f);
    EXPECT_FLOAT_EQ(liquid.o[2].vy, 1.9f);
}

TEST_P(SimulationRules, RightWallAndFloorBounceButThereIsNoCeiling) {
    liquid.w = 1000;
    liquid.o[0] = Particle{500, -5000, 0, -30, 10, 1, 1, 1};
    liquid.o[1] = Particle{998, 300, 20, 0, 10, 0, 0, 1};
    liquid.o[2] = Particle{600, 766, 0, 20, 10, 0, 0, 1};
    step();
    EXPECT_FLOAT_EQ(liquid.o[1].x, 1000 - 5 - 0.1f);
    EXPECT_FLOAT_EQ(liquid.o[1].vx, -19);
    EXPECT_FLOAT_EQ(liquid.o[2].y, (768 - 0.1f) - 5);
    EXPECT_FLOAT_EQ(liquid.o[2].vy, -19);
    EXPECT_LT(liquid.o[0].y, -5000); // still rising above the top
}

TEST_P(SimulationRules, OneParticleStepsAlone) {
    liquid.setParticleCount(1);
    liquid.gravity = 11;
    step();
    EXPECT_FLOAT_EQ(liquid.o[0].vy, 11);
    EXPECT_EQ(liquid.o[1].vx, 0); // not live, not touched
}

INSTANTIATE_TEST_SUITE_P(EachStep, SimulationRules,
                         ::testing::Values(kReference, InstructionSet::Portable,
                                           InstructionSet::Avx2, InstructionSet::Avx512),
                         [](const auto& info) {
                             return std::string(info.param ? nameOf(*info.param) : "reference");
                         });

TEST(Gravity, FollowsTheTiltAndTheFlip) {
    Simulation liquid;
    liquid.setParticleCount(0);
    liquid.stepReference();
    EXPECT_EQ(liquid.grav[0], 0);
    EXPECT_FLOAT_EQ(liquid.grav[1], 11);

    liquid.xx = 256; // a quarter turn: all sideways
    liquid.stepReference();
    EXPECT_NEAR(liquid.grav[0], -11, 1e-4);
    EXPECT_NEAR(liquid.grav[1], 0, 1e-3);

    liquid.xx = 100;
    liquid.stepReference();
    const float gx = liquid.grav[0], gy = liquid.grav[1];
    EXPECT_LT(gx, 0);
    liquid.flip = 1;
    liquid.stepReference();
    EXPECT_EQ(liquid.grav[0], -gx);
    EXPECT_EQ(liquid.grav[1], gy);
}

TEST(Sensor, CalibratesToTheFirstReadingAndPollsEveryTenthStep) {
    QStringList lines;
    platform::setLogSink([&](const QString& line) { lines << line; });
    CountingSensor sensor;
    Simulation liquid;
    liquid.setParticleCount(0);
    liquid.calibrate(sensor);
    platform::setLogSink({});
    EXPECT_EQ(lines, QStringList{QStringLiteral("type: 7")});
    EXPECT_EQ(liquid.offset_xx, -40);
    EXPECT_EQ(liquid.offset_yy, -41);

    sensor.value = 90;
    for (int i = 0; i < 9; ++i)
        liquid.step();
    EXPECT_EQ(sensor.reads, 1);
    EXPECT_EQ(liquid.xx, 40); // the raw first reading until the first poll
    liquid.step();
    EXPECT_EQ(sensor.reads, 2);
    EXPECT_EQ(sensor.lastType, 7);
    EXPECT_EQ(liquid.xx, 50);
    EXPECT_EQ(liquid.yy, 50);
    EXPECT_EQ(liquid.zz, 3);

    // A failed read keeps the tilt instead of adding the calibration again.
    sensor.failing = true;
    for (int i = 0; i < 20; ++i)
        liquid.step();
    EXPECT_EQ(sensor.reads, 4);
    EXPECT_EQ(liquid.xx, 50);
}

TEST(InitObjects, PoursParticlesFromAboveInTheirRanges) {
    Simulation liquid;
    liquid.w = 1100;
    liquid.setColour(0.25f, 0.5f, 0.75f);
    std::srand(4);
    liquid.initObjects();
    EXPECT_EQ(liquid.o[0].radius, 19);
    EXPECT_EQ(liquid.o[0].red, 1);
    EXPECT_EQ(liquid.o[0].blue, 1);
    for (int i = 1; i < liquid.NUM_OBJ; ++i) {
        const Particle& p = liquid.o[i];
        ASSERT_GE(p.radius, 9.5f);
        ASSERT_LT(p.radius, 1.8f * 9.5f);
        ASSERT_GE(p.x, p.radius);
        ASSERT_LT(p.x, 1000 + p.radius);
        ASSERT_GE(p.y, -960);
        ASSERT_LE(p.y, -1);
        ASSERT_GE(p.vx, -50);
        ASSERT_LE(p.vx, 49);
        ASSERT_EQ(p.green, 0.5f);
    }
    // The same seed gives the same liquid.
    const std::vector<Particle> first = liquid.o;
    std::srand(4);
    liquid.initObjects();
    EXPECT_EQ(std::memcmp(first.data(), liquid.o.data(), sizeof(Particle) * 600), 0);
}

TEST(ParticleCount, IsClampedToTheTable) {
    Simulation liquid;
    EXPECT_EQ(liquid.setParticleCount(5000), kTableSize);
    liquid.initObjects();
    liquid.step();
    liquid.stepReference();
    EXPECT_EQ(liquid.setParticleCount(-3), 0);
    EXPECT_EQ(liquid.setParticleCount(42), 42);
    // A table larger than the step can index is cut to the largest it can.
    EXPECT_EQ(Simulation(kLargestCapacity + 10).capacity(), kLargestCapacity);
}

TEST(RadiusChange, DrawsEveryRadiusAnewParticleZeroIncluded) {
    Simulation liquid;
    std::srand(2);
    liquid.initObjects();
    liquid.setBaseRadius(5);
    EXPECT_EQ(liquid.radius, 5);
    EXPECT_LT(liquid.o[0].radius, 9); // lost its double size
    for (int i = 0; i < liquid.NUM_OBJ; ++i) {
        ASSERT_GE(liquid.o[i].radius, 5);
        ASSERT_LT(liquid.o[i].radius, 9);
    }
}

TEST(WorldWidth, FollowsTheViewsShape) {
    EXPECT_EQ(worldWidthFor(1024, 768), 1024);
    EXPECT_EQ(worldWidthFor(800, 600), 1024);
    EXPECT_EQ(worldWidthFor(600, 800), 576);
    EXPECT_EQ(worldWidthFor(300, 0), 230400); // no height counts as one pixel, no division by 0
}

TEST(Tilt, LiquidRunsToTheLowSide) {
    ManualTilt tilt;
    Simulation liquid;
    liquid.calibrate(tilt);
    std::srand(6);
    liquid.initObjects();
    auto centre = [&] {
        double sum = 0;
        for (int i = 1; i < liquid.NUM_OBJ; ++i)
            sum += liquid.o[i].x;
        return sum / (liquid.NUM_OBJ - 1);
    };
    for (int i = 0; i < 300; ++i)
        liquid.step();
    EXPECT_NEAR(centre(), 512, 120);
    tilt.setTilt(128); // an eighth of a turn
    for (int i = 0; i < 300; ++i)
        liquid.step();
    EXPECT_LT(centre(), 300);
    tilt.setTilt(-128);
    for (int i = 0; i < 400; ++i)
        liquid.step();
    EXPECT_GT(centre(), 724);
}

} // namespace
} // namespace fluxen
