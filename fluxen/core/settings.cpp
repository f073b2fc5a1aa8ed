#include "fluxen/core/settings.h"

#include "fluxen/core/simulation.h"
#include "platform/core/defaults.h"
#include "platform/core/log.h"

#include <cmath>

namespace fluxen {

namespace {

// A key is present when the defaults hold a scalar for it (a text, a number or a switch).
std::optional<double> storedNumber(const platform::Defaults& defaults, const char* key) {
    const QString name = QLatin1String(key);
    const platform::Value value = defaults.objectForKey(name);
    using Type = platform::Value::Type;
    const Type type = value.type();
    if (type != Type::String && type != Type::Integer && type != Type::Real &&
        type != Type::Boolean)
        return std::nullopt;
    const double number = defaults.floatForKey(name);
    if (!std::isfinite(number)) {
        platform::log(QStringLiteral("setting \"%1\" is not a number; ignored").arg(name));
        return std::nullopt;
    }
    return number;
}

void readFloat(const platform::Defaults& defaults, const char* key, float& into) {
    if (const auto number = storedNumber(defaults, key))
        into = static_cast<float>(*number);
}

int toInt(double number) {
    return static_cast<int>(std::clamp(std::trunc(number), -2147483648.0, 2147483647.0));
}

QString formatted(const char* label, double value) {
    return QString::asprintf("%s: %f", label, value);
}

} // namespace

std::optional<int> applyDrawSizeRule(Appearance& look) {
    std::optional<int> slot;
    look.globalRadius = 0.5f * look.partDrawSize;
    if (look.textureType == 0) {
        look.globalRadius = static_cast<float>(look.globalRadius * 4.2);
        slot = kDotSlot;
    } else if (look.textureType == 1) {
        slot = kHalfBlurDotSlot;
    }
    return slot;
}

int loadSettings(const platform::Defaults& defaults, Simulation& simulation, Appearance& look) {
    simulation.r = 0.0f;
    simulation.g = 0.048494f;
    simulation.b = 1.0f;
    readFloat(defaults, "R", simulation.r);
    readFloat(defaults, "G", simulation.g);
    readFloat(defaults, "B", simulation.b);

    int check = 0;
    if (const auto number = storedNumber(defaults, "check"))
        check = toInt(*number);
    if (const auto number = storedNumber(defaults, "pnum")) {
        const int wanted = toInt(*number);
        const int count = simulation.setParticleCount(wanted);
        if (count != wanted) {
            platform::log(QStringLiteral("stored particle count %1 is outside 0..%2; using %3")
                              .arg(wanted)
                              .arg(simulation.capacity())
                              .arg(count));
        }
    }
    if (const auto number = storedNumber(defaults, "flip"))
        simulation.flip = toInt(*number);
    readFloat(defaults, "realR", simulation.radius);
    readFloat(defaults, "drawR", look.partDrawSize);
    readFloat(defaults, "gravity", simulation.gravity);
    if (const auto number = storedNumber(defaults, "simSpeed"))
        simulation.dt = static_cast<float>(*number);
    readFloat(defaults, "rigid", simulation.rabia);
    readFloat(defaults, "motionBlur", look.motionBlur);
    if (const auto number = storedNumber(defaults, "texture"))
        look.textureType = toInt(static_cast<float>(*number));
    return check;
}

bool saveSettings(platform::Defaults& defaults, const ControlValues& controls,
                  const Simulation& simulation, const Appearance& look, int check) {
    platform::log(QStringLiteral("Saving prefs"));
    defaults.setInteger(check, QStringLiteral("check"));
    defaults.setInteger(controls.pnum, QStringLiteral("pnum"));
    defaults.setFloat(controls.realR, QStringLiteral("realR"));
    defaults.setFloat(controls.drawR, QStringLiteral("drawR"));
    defaults.setFloat(controls.gravity, QStringLiteral("gravity"));
    defaults.setFloat(static_cast<float>(simulation.dt), QStringLiteral("simSpeed"));
    defaults.setFloat(controls.rigid, QStringLiteral("rigid"));
    defaults.setFloat(look.motionBlur, QStringLiteral("motionBlur"));
    defaults.setInteger(simulation.flip, QStringLiteral("flip"));
    defaults.setInteger(controls.textureRow, QStringLiteral("texture"));
    defaults.setFloat(simulation.r, QStringLiteral("R"));
    defaults.setFloat(simulation.g, QStringLiteral("G"));
    defaults.setFloat(simulation.b, QStringLiteral("B"));
    return defaults.synchronize();
}

ControlPositions controlPositions(const Simulation& simulation, const Appearance& look) {
    ControlPositions positions;
    positions.red = simulation.r;
    positions.green = simulation.g;
    positions.blue = simulation.b;
    positions.pnum = simulation.NUM_OBJ;
    positions.flip = simulation.flip;
    positions.realR = simulation.radius;
    positions.drawR = look.partDrawSize;
    positions.gravity = simulation.gravity;
    positions.simSpeed = 100 * simulation.dt;
    positions.rigid = simulation.rabia;
    positions.motionBlur = 10 - 10 * look.motionBlur;
    positions.textureRow = look.textureType;
    return positions;
}

ControlChange setTol(int tag, double value, Simulation& simulation, Appearance& look) {
    ControlChange change;
    switch (tag) {
    case kParticleCountTag:
        simulation.setParticleCount(toInt(value));
        simulation.initObjects();
        change.resetParticles = true;
        change.logLine = QStringLiteral("num obj: %1").arg(simulation.NUM_OBJ);
        break;
    case kRadiusTag:
        simulation.setBaseRadius(static_cast<float>(value));
        change.logLine = formatted("part radius", simulation.radius);
        break;
    case kGravityTag:
        simulation.gravity = static_cast<float>(value);
        change.logLine = formatted("gravity", simulation.gravity);
        break;
    case kAbsorbTag:
        simulation.ABSORB = static_cast<float>(value);
        change.logLine = formatted("ABSORB", simulation.ABSORB);
        break;
    case kSpeedTag:
        simulation.dt = value * 0.01;
        change.logLine = formatted("dt", simulation.dt);
        break;
    case kRigidTag:
        simulation.rabia = static_cast<float>(value);
        change.logLine = formatted("rabia", simulation.rabia);
        break;
    case kDrawSizeTag:
        look.partDrawSize = static_cast<float>(value);
        change.logLine = formatted("partDrawSize", look.partDrawSize);
        break;
    case kTrailTag:
        look.motionBlur = static_cast<float>(1 - 0.1 * value);
        change.logLine = formatted("motBlur", look.motionBlur);
        break;
    case kFlipTag:
        simulation.flip = toInt(value);
        break;
    case kTextureTag:
        look.textureType = toInt(value);
        break;
    default:
        break;
    }
    change.textureSlot = applyDrawSizeRule(look);
    return change;
}

std::optional<int> setDefaults(Simulation& simulation, Appearance& look) {
    simulation.setParticleCount(600);
    simulation.r = 0.0f;
    simulation.g = 0.048494f;
    simulation.b = 1.0f;
    simulation.radius = 9.5f;
    simulation.ABSORB = 0.95f;
    simulation.rabia = 5.2f;
    look.motionBlur = 0.17f;
    simulation.dt = 0.0996;
    look.partDrawSize = 0.7f;
    simulation.gravity = 11.0f;
    look.textureType = 0;
    simulation.initObjects();
    return applyDrawSizeRule(look);
}

} // namespace fluxen
