#include "kelvane/core/illumination_controller.h"

namespace kelvane {

int KelvaneIlluminationController::backlightLevel() {
    if (const std::optional<int> raw = m_device.rawLevel())
        m_lastRaw = *raw;
    return levelForRaw(m_lastRaw);
}

void KelvaneIlluminationController::setBacklightLevelTo(int level) {
    m_device.setRawLevel(rawForLevel(level));
}

void KelvaneIlluminationController::fadeBacklightLevelTo(int level, int milliseconds) {
    m_device.fadeRawLevel(rawForLevel(level), milliseconds);
}

} // namespace kelvane
