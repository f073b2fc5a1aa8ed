#include "fluxen/core/settings.h"
#include "fluxen/core/simulation.h"
#include "platform/core/defaults.h"
#include "platform/core/log.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace fluxen {
namespace {

class Settings : public ::testing::Test {
protected:
    Settings() {
        platform::setLogSink([this](const QString& line) { lines << line; });
    }
    ~Settings() override { platform::setLogSink({}); }

    QTemporaryDir folder;
    QStringList lines;
    Simulation liquid;
    Appearance look;
};

TEST_F(Settings, AbsentKeysLeaveTheStartValues) {
    platform::Defaults defaults(QStringLiteral("Fluxen"), folder.path());
    liquid.r = 0.5f; // the colour falls back even when something else was set before
    EXPECT_EQ(loadSettings(defaults, liquid, look), 0);
    EXPECT_EQ(liquid.NUM_OBJ, 600);
    EXPECT_EQ(liquid.radius, 9.5f);
    EXPECT_EQ(liquid.dt, 0.0996);
    EXPECT_EQ(liquid.r, 0.0f);
    EXPECT_EQ(liquid.g, 0.048494f);
    EXPECT_EQ(look.motionBlur, 0.17f);
    EXPECT_EQ(look.textureType, 0);
}

TEST_F(Settings, RoundTripThroughTheDefaultsFile) {
    {
        platform::Defaults defaults(QStringLiteral("Fluxen"), folder.path());
        liquid.dt = 0.12;
        liquid.flip = 1;
        liquid.setColour(0.25f, 0.5f, 0.75f);
        look.motionBlur = 0.4f;
        const ControlValues controls{900, 12.5f, 1.1f, 15.0f, 6.5f, 1};
        ASSERT_TRUE(saveSettings(defaults, controls, liquid, look, 1));
    }
    EXPECT_EQ(lines.first(), QStringLiteral("Saving prefs"));

    platform::Defaults reread(QStringLiteral("Fluxen"), folder.path());
    Simulation restored;
    Appearance restoredLook;
    EXPECT_EQ(loadSettings(reread, restored, restoredLook), 1);
    EXPECT_EQ(restored.NUM_OBJ, 900);
    EXPECT_EQ(restored.radius, 12.5f);
    EXPECT_EQ(restored.gravity, 15.0f);
    EXPECT_EQ(restored.rabia, 6.5f);
    EXPECT_EQ(restored.flip, 1);
    EXPECT_EQ(static_cast<float>(restored.dt), 0.12f);
    EXPECT_EQ(restored.b, 0.75f);
    EXPECT_EQ(restoredLook.partDrawSize, 1.1f);
    EXPECT_EQ(restoredLook.motionBlur, 0.4f);
    // A saved texture of 1 selects the second image at the next start.
    EXPECT_EQ(restoredLook.textureType, 1);
    EXPECT_EQ(applyDrawSizeRule(restoredLook), kHalfBlurDotSlot);
}

TEST_F(Settings, OddStoredValuesAreClampedOrIgnored) {
    platform::Defaults defaults(QStringLiteral("Fluxen"), folder.path());
    defaults.setInteger(5000, QStringLiteral("pnum"));
    defaults.setString(QStringLiteral("nan"), QStringLiteral("realR"));
    defaults.setString(QStringLiteral("1.9"), QStringLiteral("texture")); // read as a float
    defaults.setString(QStringLiteral("14"), QStringLiteral("gravity"));
    loadSettings(defaults, liquid, look);
    EXPECT_EQ(liquid.NUM_OBJ, kTableSize);
    EXPECT_EQ(liquid.radius, 9.5f);
    EXPECT_EQ(look.textureType, 1);
    EXPECT_EQ(liquid.gravity, 14.0f);
    EXPECT_EQ(lines.size(), 2);
    // The clamped count is safe to use at once.
    liquid.initObjects();
    liquid.step();
}

struct TagCase {
    int tag;
    double value;
    const char* logLine;
};

class ControlTags : public Settings, public ::testing::WithParamInterface<TagCase> {};

TEST_P(ControlTags, EachTagSetsItsParameterAndLogs) {
    const TagCase& c = GetParam();
    const ControlChange change = setTol(c.tag, c.value, liquid, look);
    if (c.logLine)
        EXPECT_EQ(change.logLine, QString::fromLatin1(c.logLine));
    else
        EXPECT_FALSE(change.logLine);
    // The draw-size rule runs after every tag, known or not.
    EXPECT_TRUE(change.textureSlot.has_value());
}

INSTANTIATE_TEST_SUITE_P(All, ControlTags,
                         ::testing::Values(TagCase{kParticleCountTag, 300, "num obj: 300"},
                                           TagCase{kRadiusTag, 7.5, "part radius: 7.500000"},
                                           TagCase{kGravityTag, 20, "gravity: 20.000000"},
                                           TagCase{kAbsorbTag, 0.5, "ABSORB: 0.500000"},
                                           TagCase{kSpeedTag, 9.96, "dt: 0.099600"},
                                           TagCase{kRigidTag, 4, "rabia: 4.000000"},
                                           TagCase{kDrawSizeTag, 1.5, "partDrawSize: 1.500000"},
                                           TagCase{kTrailTag, 2, "motBlur: 0.800000"},
                                           TagCase{kFlipTag, 1, nullptr},
                                           TagCase{kTextureTag, 1, nullptr},
                                           TagCase{99, 3, nullptr}));

TEST_F(Settings, TrailSliderEnds) {
    setTol(kTrailTag, 10, liquid, look);
    EXPECT_EQ(look.motionBlur, 0.0f);
    setTol(kTrailTag, 0, liquid, look);
    EXPECT_EQ(look.motionBlur, 1.0f);
    EXPECT_TRUE(clearsEachFrame(look.motionBlur));
    setTol(kTrailTag, 1, liquid, look);
    EXPECT_EQ(look.motionBlur, 0.9f);
    EXPECT_FALSE(clearsEachFrame(look.motionBlur)); // exactly 0.9 still trails
}

TEST_F(Settings, SpeedAndCountAndTexture) {
    setTol(kSpeedTag, 9.96, liquid, look);
    EXPECT_DOUBLE_EQ(liquid.dt, 0.0996);
    const ControlChange change = setTol(kParticleCountTag, 9000, liquid, look);
    EXPECT_TRUE(change.resetParticles);
    EXPECT_EQ(liquid.NUM_OBJ, kTableSize);
    EXPECT_EQ(setTol(kTextureTag, 1, liquid, look).textureSlot, kHalfBlurDotSlot);
    EXPECT_EQ(look.globalRadius, 0.35f);
    // An unknown texture keeps the binding but still sets the size.
    EXPECT_EQ(setTol(kTextureTag, 4, liquid, look).textureSlot, std::nullopt);
}

TEST_F(Settings, DrawSizeRuleForTheDotTexture) {
    EXPECT_EQ(applyDrawSizeRule(look), kDotSlot);
    EXPECT_FLOAT_EQ(look.globalRadius, 1.47f);
    EXPECT_FLOAT_EQ(2 * 10 * look.globalRadius, 29.4f); // a particle of radius 10
}

TEST_F(Settings, ControlPositionsFollowTheParameters) {
    liquid.dt = 0.0996;
    look.motionBlur = 0.17f;
    const ControlPositions positions = controlPositions(liquid, look);
    EXPECT_NEAR(positions.simSpeed, 9.96, 1e-9);
    EXPECT_NEAR(positions.motionBlur, 8.3, 1e-6);
    EXPECT_EQ(positions.pnum, 600);
}

TEST_F(Settings, DefaultsButtonRestoresAllButFlipAndCheck) {
    liquid.flip = 1;
    liquid.gravity = 30;
    liquid.ABSORB = 0.2f;
    liquid.setParticleCount(50);
    look.textureType = 1;
    look.partDrawSize = 2;
    EXPECT_EQ(setDefaults(liquid, look), kDotSlot);
    EXPECT_EQ(liquid.flip, 1);
    EXPECT_EQ(liquid.gravity, 11.0f);
    EXPECT_EQ(liquid.ABSORB, 0.95f);
    EXPECT_EQ(liquid.NUM_OBJ, 600);
    EXPECT_EQ(look.textureType, 0);
    EXPECT_FLOAT_EQ(look.globalRadius, 1.47f);
}

} // namespace
} // namespace fluxen
