#pragma once

#include <QString>

#include <optional>

namespace platform {
class Defaults;
}

namespace fluxen {

class Simulation;

/// The defaults domain of the program.
inline constexpr char kDefaultsDomain[] = "Fluxen";

/// How the liquid is drawn; set by the controls next to the simulation's parameters.
struct Appearance {
    /// Drawn size relative to the particle radius ("drawR").
    float partDrawSize = 0.7f;
    /// Trail: 0 gives long trails, above 0.9 gives none.
    float motionBlur = 0.17f;
    /// 0 draws "dot.png", 1 draws "halfblurdot".
    int textureType = 0;
    /// Half-size factor applied to each particle radius when drawing (see `applyDrawSizeRule`).
    float globalRadius = 0.35f;
};

/// Texture slots of the two images.
inline constexpr int kDotSlot = 0;
inline constexpr int kHalfBlurDotSlot = 3;

/// Sets `globalRadius` from the drawn size and the texture, and answers the texture slot to
/// bind: slot 0 for texture 0 (whose image has a wide transparent rim, hence the factor 4.2),
/// slot 3 for texture 1, none for any other value.
std::optional<int> applyDrawSizeRule(Appearance& look);

/// Whether a frame starts from a cleared picture (no trail): only above 0.9.
inline bool clearsEachFrame(float motionBlur) {
    return motionBlur > 0.9f;
}

/// Reads the settings into the parameters. Absent keys leave their parameter unchanged, except
/// the colour and "check", which fall back to their start values. A particle count beyond the
/// table is clamped to it, and values that are not finite numbers are ignored; both are logged.
/// Answers "check".
int loadSettings(const platform::Defaults& defaults, Simulation& simulation, Appearance& look);

/// What the controls hold at quit; several settings are saved from them, not the parameters.
struct ControlValues {
    int pnum = 600;
    float realR = 9.5f;
    float drawR = 0.7f;
    float gravity = 11.0f;
    float rigid = 5.2f;
    int textureRow = 0;
};

/// Writes the settings, logging "Saving prefs", and synchronises the domain to disk. Answers
/// whether the file now holds them.
bool saveSettings(platform::Defaults& defaults, const ControlValues& controls,
                  const Simulation& simulation, const Appearance& look, int check);

/// The positions the controls take for the present parameters.
struct ControlPositions {
    int pnum = 0;
    int flip = 0;
    double realR = 0;
    double drawR = 0;
    double gravity = 0;
    double simSpeed = 0;
    double rigid = 0;
    double motionBlur = 0;
    int textureRow = 0;
    float red = 0;
    float green = 0;
    float blue = 0;
};
ControlPositions controlPositions(const Simulation& simulation, const Appearance& look);

/// The tags by which the shared control action tells its senders apart.
enum ControlTag : int {
    kParticleCountTag = 9,
    kRadiusTag = 10,
    kGravityTag = 11,
    kAbsorbTag = 12,
    kSpeedTag = 13,
    kRigidTag = 34,
    kDrawSizeTag = 44,
    kTrailTag = 45,
    kFlipTag = 54,
    kTextureTag = 55,
};

/// What one control change did.
struct ControlChange {
    /// The log line, when the tag has one.
    std::optional<QString> logLine;
    /// Whether the particles must be re-created (the count changed).
    bool resetParticles = false;
    /// The texture slot to bind afterwards (the draw-size rule runs after every tag).
    std::optional<int> textureSlot;
};

/// The shared control action: sets the parameter that `tag` names from the control's `value`
/// (a slider's value, the checkbox state, or the selected row). Unknown tags change nothing.
ControlChange setTol(int tag, double value, Simulation& simulation, Appearance& look);

/// The defaults button: every parameter but "flip" and "check" back to its start value. The
/// caller then sets the controls, re-creates the particles and binds the answered slot.
std::optional<int> setDefaults(Simulation& simulation, Appearance& look);

} // namespace fluxen
