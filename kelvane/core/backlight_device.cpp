#include "kelvane/core/backlight_device.h"

#include <algorithm>
#include <cmath>

namespace kelvane {

BacklightDevice::BacklightDevice(platform::Clock& clock, std::unique_ptr<RawBacklight> hardware)
    : m_clock(clock), m_hardware(std::move(hardware)) {}

BacklightDevice::~BacklightDevice() = default;

std::optional<int> BacklightDevice::rawLevel() {
    if (isFading())
        return m_fadeCurrent;
    return m_hardware->readRawLevel();
}

void BacklightDevice::setRawLevel(int raw) {
    stopFade();
    m_hardware->writeRawLevel(raw);
}

void BacklightDevice::fadeRawLevel(int raw, int milliseconds) {
    const std::optional<int> from = rawLevel();
    stopFade();
    if (milliseconds <= 0 || !from || *from == raw) {
        m_hardware->writeRawLevel(raw);
        return;
    }
    m_fadeFrom = *from;
    m_fadeCurrent = *from;
    m_fadeTo = raw;
    m_fadeStart = m_clock.now();
    m_fadeSeconds = milliseconds / 1000.0;
    m_fadeTimer =
        m_clock.scheduleTimer(kFadeStepSeconds, platform::Repeats::Yes, [this] { stepFade(); });
}

void BacklightDevice::stepFade() {
    const double progress = std::min(1.0, (m_clock.now() - m_fadeStart) / m_fadeSeconds);
    m_fadeCurrent = m_fadeFrom + int(std::lround((m_fadeTo - m_fadeFrom) * progress));
    // The timer goes before the last write, so a level read during that write is the target.
    if (progress >= 1.0)
        stopFade();
    m_hardware->writeRawLevel(m_fadeCurrent);
}

void BacklightDevice::stopFade() {
    m_fadeTimer.reset();
}

QString SimulatedBacklight::description() const {
    return QStringLiteral("simulated backlight");
}

} // namespace kelvane
