#pragma once

#include "platform/core/defaults.h"
#include "platform/core/notification_center.h"

#include <QString>

namespace vantir {

/// Fallback lookups on any user defaults. A key "exists" when the defaults answer a string for
/// it: strings and numbers do; other values and absent keys do not.
bool existsKey(const platform::Defaults& defaults, const QString& key);
/// The stored value when the key exists, else `fallback`.
QString stringForKey(const platform::Defaults& defaults, const QString& key,
                     const QString& fallback);
bool boolForKey(const platform::Defaults& defaults, const QString& key, bool fallback);
qint64 integerForKey(const platform::Defaults& defaults, const QString& key, qint64 fallback);

/// A colour with components from 0 to 1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    friend bool operator==(const Color&, const Color&) = default;
};
/// A colour stored under `key` (as data: a binary property list of the four components), or
/// `fallback` when the key holds none.
Color colorForKey(const platform::Defaults& defaults, const QString& key, const Color& fallback);
void setColor(platform::Defaults& defaults, const Color& color, const QString& key);

/// The defaults key holding the address of the server that serves the version description,
/// and its default. The document is "<address>/Vantir/version.xml".
inline const QString kVersionCheckServerKey = QStringLiteral("VersionCheckServer");
inline const QString kDefaultVersionCheckServer =
    QStringLiteral("https://notebook-suite.example.org");

/// Registers the program's table of default settings (as answers for absent keys, never
/// written).
void registerDefaultSettings(platform::Defaults& defaults);

/// The program's preferences over the user defaults of the "Vantir" domain. The shared
/// instance is the one of the living `ModelContext`; the class-side accessors reach its
/// defaults and write every change at once; without one they answer the fallback and store
/// nothing.
class Preferences {
public:
    Preferences(platform::Defaults& defaults, platform::NotificationCenter& notifications)
        : m_defaults(defaults), m_notifications(notifications) {}

    /// The shared instance, or null when the program has none.
    static Preferences* thePreferences();
    static platform::Defaults* defaults();

    static bool existsKey(const QString& key);
    static void setString(const QString& value, const QString& key);
    static QString stringForKey(const QString& key, const QString& fallback);
    static void setBool(bool value, const QString& key);
    static bool boolForKey(const QString& key);
    static qint64 integerForKey(const QString& key, qint64 fallback);
    static void setInteger(qint64 value, const QString& key);

    platform::Defaults& userDefaults() { return m_defaults; }
    const platform::Defaults& userDefaults() const { return m_defaults; }
    bool DebugMode() const { return m_defaults.boolForKey(QStringLiteral("DebugMode")); }
    bool DebugMode2() const { return m_defaults.boolForKey(QStringLiteral("DebugMode2")); }
    /// Turns the debug switches on or off from "DebugMode" and "DebugMode2".
    void applyDebugSwitches() const;

    /// Saves and posts "PreferencesChanged" (the preferences object as object).
    void apply();
    /// Writes the defaults.
    bool savePrefs();
    /// Called when the program quits: saves.
    void gotoSleep() { savePrefs(); }

private:
    platform::Defaults& m_defaults;
    platform::NotificationCenter& m_notifications;
};

/// Debug lines: written only when "DebugMode" (`dlog`) or "DebugMode2" (`dlog2`) is on.
void dlog(const QString& line);
void dlog2(const QString& line);

} // namespace vantir
