// The fast step must give the all-pairs step's result to the last bit, for a long run with the
// parameters changed on the way, and the stiffness table must give pow's own float.

#include "fluxen/core/instruction_set.h"
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
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace fluxen {
namespace {

constexpr InstructionSet kEverySet[] = {InstructionSet::Portable, InstructionSet::Avx2,
                                        InstructionSet::Avx512};

std::vector<InstructionSet> setsHere() {
    std::vector<InstructionSet> sets;
    for (const InstructionSet set : kEverySet) {
        if (isSupported(set))
            sets.push_back(set);
    }
    return sets;
}

// A liquid stepped by the all-pairs step and, in lockstep, one stepped by the fast step of each
// instruction set asked for. Whatever draws on rand() is done to all from the same seed.
class Lockstep {
public:
    explicit Lockstep(int count, const std::vector<InstructionSet>& sets = setsHere()) {
        m_liquids.push_back(std::make_unique<Liquid>(InstructionSet::Portable));
        for (const InstructionSet set : sets)
            m_liquids.push_back(std::make_unique<Liquid>(set));
        for (auto& liquid : m_liquids) {
            liquid->simulation.w = 1024;
            liquid->simulation.setParticleCount(count);
            liquid->simulation.calibrate(liquid->tilt);
        }
        withAll(1, [](Simulation& liquid) { liquid.initObjects(); });
    }

    template <typename Change> void withAll(unsigned seed, Change change) {
        for (auto& liquid : m_liquids) {
            std::srand(seed);
            change(liquid->simulation);
        }
    }

    void tilt(int x) {
        for (auto& liquid : m_liquids)
            liquid->tilt.setTilt(x);
    }

    // Steps all and names the first step and instruction set whose particle tables differ
    // from the reference's, if any.
    std::optional<std::string> run(int steps) {
        for (int step = 0; step < steps; ++step) {
            reference().stepReference();
            for (std::size_t n = 1; n < m_liquids.size(); ++n) {
                Simulation& fast = m_liquids[n]->simulation;
                fast.step();
                if (!sameBits(reference(), fast)) {
                    return std::string(nameOf(fast.instructionSet())) + " differs at step " +
                           std::to_string(step);
                }
            }
        }
        return std::nullopt;
    }

    Simulation& reference() { return m_liquids.front()->simulation; }
    Simulation& fast(std::size_t n) { return m_liquids.at(n + 1)->simulation; }

private:
    struct Liquid {
        explicit Liquid(InstructionSet set) : simulation(kTableSize, set) {}
        ManualTilt tilt;
        Simulation simulation;
    };

    static bool sameBits(const Simulation& a, const Simulation& b) {
        const auto bytes = sizeof(Particle) * static_cast<std::size_t>(a.NUM_OBJ);
        return std::memcmp(a.o.data(), b.o.data(), bytes) == 0 &&
               std::memcmp(a.grav, b.grav, sizeof a.grav) == 0 && a.xx == b.xx;
    }

    std::vector<std::unique_ptr<Liquid>> m_liquids;
};

class StepIdentity : public ::testing::TestWithParam<int> {};

// Every instruction set this processor runs, against one reference.
TEST_P(StepIdentity, FastStepMatchesEveryFloatOverTwoThousandSteps) {
    Lockstep liquids(GetParam());
    // Pour in and settle.
    ASSERT_EQ(liquids.run(400), std::nullopt);
    // Bigger particles, drawn anew from rand().
    liquids.withAll(7, [](Simulation& liquid) { liquid.setBaseRadius(12.5f); });
    ASSERT_EQ(liquids.run(300), std::nullopt);
    // Tilt to the left, read at the next tenth step.
    liquids.tilt(120);
    ASSERT_EQ(liquids.run(300), std::nullopt);
    // Stronger gravity, mirrored, softer contacts.
    liquids.withAll(0, [](Simulation& liquid) {
        liquid.gravity = 17.0f;
        liquid.flip = 1;
        liquid.rabia = 3.7f;
    });
    ASSERT_EQ(liquids.run(300), std::nullopt);
    // Fully sideways, small particles.
    liquids.tilt(-256);
    liquids.withAll(9, [](Simulation& liquid) { liquid.setBaseRadius(6.0f); });
    ASSERT_EQ(liquids.run(350), std::nullopt);
    // Level again, the start values back.
    liquids.tilt(0);
    liquids.withAll(11, [](Simulation& liquid) {
        liquid.flip = 0;
        liquid.gravity = 11.0f;
        liquid.rabia = 5.2f;
        liquid.setBaseRadius(9.5f);
    });
    ASSERT_EQ(liquids.run(350), std::nullopt);
    EXPECT_EQ(liquids.fast(0).counter, 2000);
}

INSTANTIATE_TEST_SUITE_P(Counts, StepIdentity, ::testing::Values(600, 1701));

class EachInstructionSet : public ::testing::TestWithParam<InstructionSet> {
protected:
    void SetUp() override {
        if (!isSupported(GetParam()))
            GTEST_SKIP() << "this processor does not run " << nameOf(GetParam());
    }
};

TEST_P(EachInstructionSet, RunsTheCodeAskedFor) {
    const Simulation liquid(kTableSize, GetParam());
    EXPECT_EQ(liquid.instructionSet(), GetParam());
}

TEST_P(EachInstructionSet, MatchesOnItsOwn) {
    // One set alone, as on a processor that runs nothing wider.
    Lockstep liquids(600, {GetParam()});
    ASSERT_EQ(liquids.run(600), std::nullopt);
    liquids.withAll(5, [](Simulation& liquid) { liquid.setBaseRadius(14.0f); });
    ASSERT_EQ(liquids.run(300), std::nullopt);
}

TEST_P(EachInstructionSet, ExtremeSizesMatchToo) {
    // A particle so small that its share of a contact is below the normal floats, and one so
    // large that it touches everyone and puts everyone into one cell.
    Lockstep liquids(60, {GetParam()});
    liquids.withAll(13, [](Simulation& liquid) {
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
    EXPECT_EQ(liquids.run(3), std::nullopt);
}

TEST_P(EachInstructionSet, StiffnessTableGivesPowsOwnFloats) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> anyBase(0.9f, 2.1f);
    std::vector<float> bases(10007);
    for (float& base : bases)
        base = anyBase(random);
    bases[3] = 2.0f;
    bases[4] = std::numeric_limits<float>::quiet_NaN();
    for (const float rabia : {5.2f, 3.7f, 1000.0f}) {
        detail::StiffnessTable table;
        table.prepare(rabia);
        std::vector<float> results(bases.size());
        table.fill(bases.data(), results.data(), bases.size(), GetParam());
        for (std::size_t n = 0; n < bases.size(); ++n) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(results[n]),
                      std::bit_cast<std::uint32_t>(detail::stiffness(bases[n], rabia)))
                << "base " << bases[n] << " rabia " << rabia;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, EachInstructionSet, ::testing::ValuesIn(kEverySet),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

TEST(InstructionSets, AChoiceTheProcessorLacksFallsBackToOneItRuns) {
    EXPECT_TRUE(isSupported(InstructionSet::Portable));
    for (const InstructionSet wanted : kEverySet) {
        const InstructionSet chosen = Simulation(kTableSize, wanted).instructionSet();
        EXPECT_TRUE(isSupported(chosen)) << nameOf(wanted);
        EXPECT_LE(static_cast<int>(chosen), static_cast<int>(wanted)) << nameOf(wanted);
    }
    EXPECT_EQ(Simulation().instructionSet(), fastestInstructionSet());
}

TEST(StepIdentity, OddStatesMatchToo) {
    // A narrow world, a stiff exponent, a particle far above, two touching ones far to the
    // right and one far to the left, one at a non-finite position, and one of zero size: the
    // fast step must still find exactly the same contacts.
    Lockstep liquids(300);
    liquids.withAll(3, [](Simulation& liquid) {
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
        table.fill(bases.data(), batch.data(), bases.size(), fastestInstructionSet());
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
