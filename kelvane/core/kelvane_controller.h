#pragma once

#include "kelvane/core/hot_key.h"
#include "kelvane/core/illumination_controller.h"
#include "kelvane/core/notification_controller.h"
#include "kelvane/core/power_management_controller.h"
#include "platform/core/alerts.h"
#include "platform/core/clock.h"
#include "platform/core/defaults.h"
#include "platform/core/sleep_wake.h"
#include "platform/core/url_opener.h"

#include <QObject>
#include <QUrl>

#include <array>
#include <memory>

namespace kelvane {

/// Update-schedule items of the preferences.
enum KVUpdates {
    KVUpdatesNever = 0,
    KVUpdatesAtLaunch,
    KVUpdatesHourly,
    KVUpdatesDaily,
    KVUpdatesWeekly
};

inline constexpr int KVBacklitFadeTimer = 500;
inline constexpr double KVAfterBacklitFadeTimer = 0.5;
inline constexpr double KVWindowFadeOutTimer = 0.015;
inline constexpr double KVIlluminationChangeInterval = 0.028571429;
inline constexpr double KVDonateLaterTimeout = 86400.0;
inline constexpr double KVDonationReminderDefaultTimer = 30.0;
inline constexpr double kDefaultLockFrequency = 35.0;
/// The frequency slider's range, in hertz.
inline constexpr double kMinimumLockFrequency = 1.0;
inline constexpr double kMaximumLockFrequency = 60.0;

/// Schedules the update checks.
class Updater {
public:
    virtual ~Updater() = default;
    virtual void scheduleCheckWithInterval(double seconds) = 0;
};

/// The three hot keys, in the order they are registered.
enum class HotKeyRole { Dim, Brighten, Toggle };

/// What the controller is handed by main() or a test. Notifier and idle time may be missing.
struct KelvaneServices {
    platform::Clock& clock;
    platform::Defaults& defaults;
    KelvaneIlluminationController& illumination;
    platform::Notifier* notifier;
    platform::IdleTime* idleTime;
    platform::HotKeys& hotKeys;
    platform::SleepWake& sleepWake;
    platform::UrlOpener& urlOpener;
    Updater& updater;
    const platform::StringsTable& strings;
    /// The program's path, as the login item names it.
    QString bundlePath;
    QString currentVersion;
    /// Where the desktop's autostart entries live ($XDG_CONFIG_HOME/autostart).
    QString autostartFolder;
    /// The web site the donation page is on.
    QUrl donationSite;
};

/// The agent's one controller: the light level, fades, the lock loop that holds the level,
/// idle dimming, the hot keys, sleep and wake, and the settings behind the preferences. The
/// windows show its interface state (`levelSliderValue` …) and call its actions; it tells them
/// through signals when that state changes or a window should open.
class KelvaneController : public QObject {
    Q_OBJECT
public:
    explicit KelvaneController(KelvaneServices services);
    ~KelvaneController() override;

    /// Shows the alert for a machine without a keyboard backlight; the caller then exits 1.
    static void reportMissingBacklight(platform::Alerts& alerts,
                                       const platform::StringsTable& strings);

    /// Reads the settings and starts the timers and hot keys, in the order the agent starts.
    void awakeFromNib();

    // Interface state.
    int levelSliderValue() const { return m_levelSlider; }
    bool lockButtonState() const { return m_lockButton; }
    bool isLockFrequencySliderEnabled() const { return m_lockFrequencySliderEnabled; }
    double lockFrequencySliderValue() const { return m_lockFrequencySlider; }
    int idleTimerSliderValue() const { return m_idleTimerSlider; }
    bool rememberLightLevelState() const { return m_rememberLightLevel; }
    bool loginPreferenceState() const { return m_loginPreference; }
    int checkUpdatesSelectedItem() const { return m_checkUpdates; }
    const KVKeyCombo& hotKeyCombo(HotKeyRole role) const { return hotKey(role).keyCombo(); }
    bool dontAskAgainForThisVersion() const { return m_dontAskAgain; }

    // State of the light.
    int lightLevel() const { return m_lightLevel; }
    bool isToggled() const { return m_isToggled; }
    bool isAutomaticallyToggled() const { return m_isAutomaticallyToggled; }
    int idleTimerSeconds() const { return m_idleTimerSeconds; }
    bool isLockLoopRunning() const { return m_lockTimer != nullptr; }
    bool hasIdleTimer() const { return m_idleTimer != nullptr; }
    double lockUpdateInterval() const;

    // Interface actions.
    void adjustBacklight(int sliderValue);
    void changeLock(bool on);
    void lockFrequencySliderChanged(double hertz);
    void idleTimerSliderChanged(int sliderValue);
    void changeRememberLightLevel(bool on);
    void changeCheckUpdates(int item);
    void changeLoginPreference(bool on);
    /// Refreshes the check boxes from the settings, then asks for the preferences window.
    void showPrefsWindow();
    void shutdownKelvane();
    void donateNow();
    void donateLater(bool dontAskAgainForThisVersion);
    void hasDonated();
    /// A shortcut recorder changed: re-registers that hot key and saves all three.
    void keyComboDidChange(HotKeyRole role, const KVKeyCombo& combo);
    /// The agent reserves no combination of its own.
    bool isKeyCodeAndFlagsTaken(int, quint32, QString*) const { return false; }
    /// The first-start notice opened: it is not shown again.
    void firstStartNoticeShown();

    // Operations the hot keys and timers use, public for the windows and tests.
    void decreaseIllumination();
    void increaseIllumination();
    void toggleIllumination();
    void checkIdleTimer();
    void sleepObserver();
    void wakeObserver();
    void addToLoginItems(const QString& path, bool hide);
    void removeLoginItem(const QString& path);
    void setUpDonationReminder();
    QString autostartEntryPath() const;

Q_SIGNALS:
    /// Interface state changed; the windows read it anew.
    void interfaceChanged();
    void preferencesWindowRequested();
    void firstStartNoticeRequested();
    void donationWindowRequested();
    void donationWindowClosed();
    void quitRequested();

private:
    enum class Operation { Decrease, Increase };

    void setStartupBrightness();
    void setBacklightLevel(int level);
    void fadeBacklightLevel(int level);
    void fireTimer();
    void fireTimedLoop();
    void startLockLoop();
    void stopLockLoop();
    void scheduleIdleTimer(double seconds);
    void hitHotKey(KVHotKey& hotKey);
    void hotKeyUp(KVHotKey& hotKey);
    void fireHotkeyTimerFor(Operation operation);
    void perform(Operation operation);
    void invalidateHotkeyTimer();
    void savePref();
    void setLevelSlider(int value);
    void showDonationWindow();
    void writeLoginWindowDomain(const platform::Dictionary& domain);
    void readHotKeys();
    KVHotKey& hotKey(HotKeyRole role) { return *m_hotKeys[std::size_t(role)]; }
    const KVHotKey& hotKey(HotKeyRole role) const { return *m_hotKeys[std::size_t(role)]; }
    static QString hotKeyIdentifier(HotKeyRole role);
    static int idleSecondsForSlider(int sliderValue);
    static int sliderForIdleSeconds(int seconds);
    bool synchronize();

    KelvaneServices m_services;
    platform::Defaults& defaults;
    KelvaneIlluminationController& illuminationController;
    std::unique_ptr<KelvaneNotificationController> notificationController;
    std::unique_ptr<KelvanePowerManagementController> powerManagementController;
    KVHotKeyCenter m_hotKeyCenter;
    std::array<std::unique_ptr<KVHotKey>, 3> m_hotKeys;

    int m_levelSlider = 0;
    bool m_lockButton = false;
    bool m_lockFrequencySliderEnabled = false;
    double m_lockFrequencySlider = kDefaultLockFrequency;
    int m_idleTimerSlider = 100;
    bool m_rememberLightLevel = false;
    bool m_loginPreference = false;
    int m_checkUpdates = KVUpdatesNever;
    bool m_dontAskAgain = false;

    std::unique_ptr<platform::Timer> m_lockTimer;
    std::unique_ptr<platform::Timer> m_afterFadeTimer;
    std::unique_ptr<platform::Timer> m_hotkeyTimer;
    std::unique_ptr<platform::Timer> m_idleTimer;
    std::unique_ptr<platform::Timer> m_donationReminder;

    int m_lightLevel = 0;
    int m_idleTimerSeconds = 0;
    int m_secondsSinceLastUserInput = 0;
    bool m_isToggled = false;
    bool m_isAutomaticallyToggled = false;
};

} // namespace kelvane
