#pragma once

#include "kelvane/core/backlight_device.h"
#include "platform/core/expected.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace kelvane {

/// Sets an LED's brightness on behalf of the user of the active session, for LEDs whose
/// `brightness` file the user may not write.
class SessionBrightness {
public:
    virtual ~SessionBrightness() = default;
    /// Whether requests can be sent at all.
    virtual bool isAvailable() = 0;
    /// Asks for `value` on the LED's own scale; returns at once. Refusals are logged once.
    virtual void setBrightness(const QString& ledName, quint32 value) = 0;
};

/// logind's `SetBrightness("leds", name, value)` on the caller's session, over the system bus.
class LogindSessionBrightness final : public SessionBrightness {
public:
    LogindSessionBrightness();
    ~LogindSessionBrightness() override;
    bool isAvailable() override;
    void setBrightness(const QString& ledName, quint32 value) override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

/// A keyboard backlight of the kernel's LED class (`/sys/class/leds/<name>`), under $HW_ROOT.
///
/// Raw levels 0..4095 map onto the LED's 0..max_brightness rounded to the nearest step both
/// ways; a read gives back the raw level last written as long as the LED still shows what was
/// written, so a level set reads back unchanged however coarse the LED is.
///
/// The `brightness` file is written directly when the user may write it: one write to a file
/// kept open, allocating nothing, as the lock loop resends the level dozens of times a second.
/// Otherwise writes go through the session's logind, and only when the LED differs from the
/// level, so the lock loop does not flood the bus. Failures are logged once, not per write.
class LedBacklight final : public RawBacklight {
public:
    ~LedBacklight() override;

    /// Opens the LED named `ledName`, or, when it is empty, the first keyboard backlight:
    /// "smc::kbd_backlight", then any "*::kbd_backlight" in name order. LEDs whose
    /// max_brightness is unusable are logged and passed over. `sessionBrightness` may be null.
    static platform::Expected<std::unique_ptr<LedBacklight>>
    open(const QString& ledName, SessionBrightness* sessionBrightness);

    /// The keyboard backlights present, in the order `open` tries them.
    static QStringList keyboardBacklightNames();

    std::optional<int> readRawLevel() override;
    void writeRawLevel(int raw) override;
    QString description() const override;

    const QString& name() const { return m_name; }
    int maxBrightness() const { return m_maxBrightness; }
    bool writesThroughSession() const { return m_writeFd < 0 && m_sessionBrightness; }

    /// The LED step for a raw level, and back, rounded to nearest.
    static int ledForRaw(int raw, int maxBrightness);
    static int rawForLed(int led, int maxBrightness);

private:
    LedBacklight(QString name, int maxBrightness);
    bool openForWriting(SessionBrightness* sessionBrightness);
    std::optional<int> readLed();
    void writeLed(int led);
    void reportWriteFailure(int error);

    QString m_name;
    QByteArray m_brightnessPath;
    int m_maxBrightness;
    int m_readFd = -1;
    int m_writeFd = -1;
    bool m_truncateAfterWrite = false;
    /// Bytes the file held after the last write; unknown at first, so the first write shortens.
    std::size_t m_writtenLength = SIZE_MAX;
    SessionBrightness* m_sessionBrightness = nullptr;
    bool m_writeFailureLogged = false;
    bool m_readFailureLogged = false;
    std::optional<int> m_lastLed;
    int m_lastRaw = 0;
};

} // namespace kelvane
