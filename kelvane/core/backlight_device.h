#pragma once

#include "platform/core/clock.h"

#include <QString>

#include <memory>
#include <optional>

namespace kelvane {

/// The keyboard backlight's scale: raw levels 0..4095.
inline constexpr int kMaximumRawLevel = 4095;

/// The hardware behind the backlight: reads and writes raw levels, nothing more. Fades are
/// made on top of it by `BacklightDevice`.
class RawBacklight {
public:
    virtual ~RawBacklight() = default;

    /// The raw level shown now; none when it cannot be read (the backend logs why).
    virtual std::optional<int> readRawLevel() = 0;

    /// Shows `raw` (0..4095). Called up to a few dozen times a second by the lock loop, so it
    /// must be cheap; failures are logged once, not per call.
    virtual void writeRawLevel(int raw) = 0;

    /// Says what the device is ("LED tpacpi::kbd_backlight", "simulated backlight").
    virtual QString description() const = 0;
};

/// A backlight with a raw level that is set at once or faded over a time. A fade runs on the
/// clock in steps of about 16 ms; a later set or fade replaces a fade in progress, and during
/// a fade the level read back is where the fade stands.
class BacklightDevice {
public:
    BacklightDevice(platform::Clock& clock, std::unique_ptr<RawBacklight> hardware);
    ~BacklightDevice();

    /// The raw level: where a fade stands while one runs, else what the hardware shows.
    std::optional<int> rawLevel();
    void setRawLevel(int raw);
    /// Moves to `raw` over `milliseconds` and returns at once; 0 ms or less sets it at once.
    void fadeRawLevel(int raw, int milliseconds);

    bool isFading() const { return m_fadeTimer != nullptr; }
    RawBacklight& hardware() { return *m_hardware; }

    /// Time between two steps of a fade.
    static constexpr double kFadeStepSeconds = 0.016;

private:
    void stepFade();
    void stopFade();

    platform::Clock& m_clock;
    std::unique_ptr<RawBacklight> m_hardware;
    std::unique_ptr<platform::Timer> m_fadeTimer;
    double m_fadeStart = 0;
    double m_fadeSeconds = 0;
    int m_fadeFrom = 0;
    int m_fadeTo = 0;
    int m_fadeCurrent = 0;
};

/// A backlight without hardware: it keeps the raw level it was given.
class SimulatedBacklight final : public RawBacklight {
public:
    explicit SimulatedBacklight(int raw = 0) : m_raw(raw) {}
    std::optional<int> readRawLevel() override { return m_raw; }
    void writeRawLevel(int raw) override { m_raw = raw; }
    QString description() const override;

private:
    int m_raw;
};

} // namespace kelvane
