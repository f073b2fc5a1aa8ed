#pragma once

#include "kelvane/core/backlight_device.h"

namespace kelvane {

/// The agent's access to the keyboard backlight, in percentages 0..100. Levels cross to the
/// device's raw scale with truncation both ways, so a level set may read back one lower
/// (50 is sent as 2047, which reads as 49).
class KelvaneIlluminationController {
public:
    explicit KelvaneIlluminationController(BacklightDevice& device) : m_device(device) {}

    /// The level shown now. A failed read repeats the last level read (0 before any).
    int backlightLevel();
    void setBacklightLevelTo(int level);
    void fadeBacklightLevelTo(int level, int milliseconds);

    static int rawForLevel(int level) { return level * kMaximumRawLevel / 100; }
    static int levelForRaw(int raw) { return raw * 100 / kMaximumRawLevel; }

private:
    BacklightDevice& m_device;
    int m_lastRaw = 0;
};

} // namespace kelvane
