// The fast step must give the all-pairs step's result to the last bit, for a long run with the
// parameters changed on the way, and the stiffness table must give pow's own float.

#include "fluxen/core/motion_sensor.h"
#include "fluxen/core/simulation.h"
#include "fluxen/core/step_arithmetic.h"
#include "fluxen/core/stiffness_table.h"

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <random>
#include <vector>

namespace fluxen {
namespace {

// Two liquids in lockstep, one stepped by each step. Whatever draws on rand() is done to both
// from the same seed.
class Lockstep {
public:
    explicit Lockstep(int count) {
        for (Simulation* liquid : {&reference, &fast}) {
            liquid->w = 1024;
            liquid->setParticleCount(count);
        }
        reference.calibrate(referenceTilt);
        fast.calibrate(fastTilt);
        withBoth(1, [](Simulation& liquid) { liquid.initObjects(); });
    }

    template <typename Change> void withBoth(unsigned seed, Change change) {
        std::srand(seed);
        change(reference);
        std::srand(seed);
        change(fast);
    }

    void tilt(int x) {
        referenceTilt.setTilt(x);
        fastTilt.setTilt(x);
    }

    // Steps both and answers the first step whose particle tables differ, if any.
    std::optional<int> run(int steps) {
        for (int step = 0; step < steps; ++step) {
            reference.stepReference();
            fast.step();
            if (!sameBits())
                return step;
        }
        return std::nullopt;
    }

    bool sameBits() const {
        const auto bytes = sizeof(Particle) * static_cast<std::size_t>(reference.NUM_OBJ);
        return std::memcmp(reference.o.data(), fast.o.data(), bytes) == 0 &&
               std::memcmp(reference.grav, fast.grav, sizeof reference.grav) == 0 &&
               reference.xx == fast.xx;
    }

    Simulation reference;
    Simulation fast;
    ManualTilt referenceTilt;
    ManualTilt fastTilt;
};

class StepIdentity : public ::testing::TestWithParam<int> {};

TEST_P(StepIdentity, FastStepMatchesEveryFloatOverTwoThousandSteps) {
    Lockstep liquids(GetParam());
    // Pour in and settle.
    ASSERT_EQ(liquids.run(400), std::nullopt);
    // Bigger particles, drawn anew from rand().
    liquids.withBoth(7, [](Simulation& liquid) { liquid.setBaseRadius(12.5f); });
    ASSERT_EQ(liquids.run(300), std::nullopt);
    // Tilt to the left, read at the next tenth step.
    liquids.tilt(120);
    ASSERT_EQ(liquids.run(300), std::nullopt);
    // Stronger gravity, mirrored, softer contacts.
    liquids.withBoth(0, [](Simulation& liquid) {
        liquid.gravity = 17.0f;
        liquid.flip = 1;
        liquid.rabia = 3.7f;
    });
    ASSERT_EQ(liquids.run(300), std::nullopt);
    // Fully sideways, small particles.
    liquids.tilt(-256);
    liquids.withBoth(9, [](Simulation& liquid) { liquid.setBaseRadius(6.0f); });
    ASSERT_EQ(liquids.run(350), std::nullopt);
    // Level again, the start values back.
    liquids.tilt(0);
    liquids.withBoth(11, [](Simulation& liquid) {
        liquid.flip = 0;
        liquid.gravity = 11.0f;
        liquid.rabia = 5.2f;
        liquid.setBaseRadius(9.5f);
    });
    ASSERT_EQ(liquids.run(350), std::nullopt);
    EXPECT_EQ(liquids.fast.counter, 2000);
}

INSTANTIATE_TEST_SUITE_P(Counts, StepIdentity, ::testing::Values(600, 1701));

TEST(StepIdentity, PortableCodeMatchesToo) {
    // Without the processor's wider vectors, as on a machine that lacks them.
    detail::allowWideVectors(false);
    Lockstep liquids(600);
    const auto firstDifference = liquids.run(600);
    liquids.withBoth(5, [](Simulation& liquid) { liquid.setBaseRadius(14.0f); });
    const auto laterDifference = liquids.run(300);
    detail::allowWideVectors(true);
    EXPECT_EQ(firstDifference, std::nullopt);
    EXPECT_EQ(laterDifference, std::nullopt);
}

TEST(StepIdentity, OddStatesMatchToo) {
    // A narrow world, a stiff exponent, a particle far above, two touching ones far to the
    // right and one far to the left, one at a non-finite position, and one of zero size: the
    // fast step must still find exactly the same contacts.
    Lockstep liquids(300);
    liquids.withBoth(3, [](Simulation& liquid) {
        liquid.w = 200;
        liquid.rabia = 9.0f;
        liquid.initObjects();
        liquid.o[5].y = -1.0e7f;
        liquid.o[6].x = std::numeric_limits<float>::quiet_NaN();
        liquid.o[7].radius = 0;
        liquid.o[8].x = 1.0e12f;
        liquid.o[9].x = 1.0e12f;
        liquid.o[9].y = liquid.o[8].y + 1.0f;
        liquid.o[10].x = -1.0e12f;
    });
    ASSERT_EQ(liquids.run(200), std::nullopt);
}

TEST(StepIdentity, ExtremeSizesMatchToo) {
    // A particle so small that its share of a contact is below the normal floats, and one so
    // large that it touches everyone and puts everyone into one cell.
    for (const bool wide : {true, false}) {
        detail::allowWideVectors(wide);
        Lockstep liquids(60);
        liquids.withBoth(13, [](Simulation& liquid) {
            liquid.initObjects();
            // A packed block of equal particles, ten to a row, at rest.
            for (int i = 1; i < 60; ++i) {
                liquid.o[i].x = 30.0f + 6.0f * static_cast<float>(i % 10);
                liquid.o[i].y = 700.0f - 6.0f * static_cast<float>(i / 10);
                liquid.o[i].vx = liquid.o[i].vy = 0;
                liquid.o[i].radius = 9.5f;
            }
            liquid.o[14].radius = 1.0e-39f;
            liquid.o[15].radius = 1.0e-30f;
            liquid.o[40].radius = 1.0e37f;
        });
        EXPECT_EQ(liquids.run(3), std::nullopt) << (wide ? "wide" : "portable");
    }
    detail::allowWideVectors(true);
}

TEST(StiffnessTable, GivesPowsOwnFloatForEveryKindOfBase) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> anyBase(1.0f, 2.0f);
    for (const float rabia : {5.2f, 0.0f, 1.0f, 3.7f, 9.0f, 40.0f, -2.5f, 250.0f}) {
        detail::StiffnessTable table;
        table.prepare(rabia);
        auto expectExact = [&](float base) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(table(base)),
                      std::bit_cast<std::uint32_t>(detail::stiffness(base, rabia)))
                << "base " << base << " rabia " << rabia;
        };
        std::vector<float> bases(200003);
        for (float& base : bases)
            base = anyBase(random);
        bases[7] = 0.5f; // outside the table: pow itself
        bases[8] = std::numeric_limits<float>::quiet_NaN();
        std::vector<float> batch(bases.size());
        table.fill(bases.data(), batch.data(), bases.size());
        std::vector<float> portable(bases.size());
        detail::allowWideVectors(false);
        table.fill(bases.data(), portable.data(), bases.size());
        detail::allowWideVectors(true);
        ASSERT_EQ(std::memcmp(batch.data(), portable.data(), batch.size() * sizeof(float)), 0);
        for (std::size_t n = 0; n < bases.size(); ++n) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(batch[n]),
                      std::bit_cast<std::uint32_t>(detail::stiffness(bases[n], rabia)))
                << "base " << bases[n] << " rabia " << rabia;
            if (n % 4 == 0)
                expectExact(bases[n]);
        }
        // The ends, the table's own points and their neighbours.
        for (int k = 0; k <= 4096; k += 7) {
            const float point = 1.0f + static_cast<float>(k) / 4096;
            expectExact(point);
            expectExact(std::nextafter(point, 0.0f));
            expectExact(std::nextafter(point, 3.0f));
        }
        expectExact(2.0f);
        expectExact(1.0f);
    }
}

TEST(StiffnessTable, FallsBackToPowWhereItCannotDecide) {
    detail::StiffnessTable table;
    table.prepare(std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(std::isnan(table(1.5f)));
    table.prepare(1000.0f); // beyond the table's range: pow for everything
    EXPECT_EQ(table(1.01f), detail::stiffness(1.01f, 1000.0f));
    EXPECT_GT(table.fallbacks(), 0);
}

} // namespace
} // namespace fluxen
