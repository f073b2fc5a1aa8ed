#include "kelvane/core/kelvane_controller.h"

#include "platform/core/file_io.h"
#include "platform/core/log.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace kelvane {
namespace {

const QString kRememberLightLevel = QStringLiteral("rememberLightLevel");
const QString kStoredLightLevel = QStringLiteral("storedLightLevel");
const QString kStoredLockButtonState = QStringLiteral("storedLockButtonState");
const QString kLockFrequencyValue = QStringLiteral("lockFrequencyValue");
const QString kIdleTimerSeconds = QStringLiteral("idleTimerSeconds");
const QString kDidShowFirstStartNotification = QStringLiteral("DidShowFirstStartNotification");
const QString kLoginPreferenceSelectedRow = QStringLiteral("loginPreferenceSelectedRow");
const QString kCheckUpdatesSelectedItem = QStringLiteral("checkUpdatesSelectedItem");
const QString kCheckAtStartup = QStringLiteral("SUCheckAtStartup");
const QString kScheduledCheckInterval = QStringLiteral("SUScheduledCheckInterval");
const QString kDonationDidAlreadyContribute = QStringLiteral("donationDidAlreadyContribute");
const QString kDonationReminderVersion = QStringLiteral("donationReminderVersion");
const QString kDonationReminderLastDisplayed = QStringLiteral("donationReminderLastDisplayed");
const QString kLoginWindow = QStringLiteral("loginwindow");
const QString kAutoLaunchedApplications = QStringLiteral("AutoLaunchedApplicationDictionary");

constexpr int kHotKeyStep = 10;
constexpr double kHotKeyRepeat = 0.1;
constexpr double kFirstRemindersGap = 86400.0;

} // namespace

KelvaneController::KelvaneController(KelvaneServices services)
    : m_services(std::move(services)), defaults(m_services.defaults),
      illuminationController(m_services.illumination), m_hotKeyCenter(m_services.hotKeys) {
    defaults.registerDefaults({{kRememberLightLevel, QStringLiteral("NO")}});
    synchronize();
    if (m_services.notifier)
        notificationController = std::make_unique<KelvaneNotificationController>(
            *m_services.notifier, m_services.strings);
    else
        platform::log(QStringLiteral("Initializing notification controller failed."));
    if (m_services.idleTime)
        powerManagementController =
            std::make_unique<KelvanePowerManagementController>(*m_services.idleTime);
    else
        platform::log(QStringLiteral("Initializing power management controller failed."));
    m_services.sleepWake.setHandlers([this] { sleepObserver(); }, [this] { wakeObserver(); });
    for (HotKeyRole role : {HotKeyRole::Dim, HotKeyRole::Brighten, HotKeyRole::Toggle})
        m_hotKeys[std::size_t(role)] =
            std::make_unique<KVHotKey>(hotKeyIdentifier(role), KVKeyCombo());
}

KelvaneController::~KelvaneController() {
    m_services.sleepWake.setHandlers({}, {});
}

void KelvaneController::reportMissingBacklight(platform::Alerts& alerts,
                                               const platform::StringsTable& strings) {
    alerts.beep();
    platform::Alert alert;
    alert.style = platform::AlertStyle::Warning;
    alert.messageText = strings.text(QStringLiteral("NoBacklitKeyboard"));
    alert.informativeText = strings.text(QStringLiteral("YourMacLacksBacklitKeyboard"));
    alert.buttons = {strings.text(QStringLiteral("Quit"))};
    alerts.runModal(alert);
}

bool KelvaneController::synchronize() {
    const bool written = defaults.synchronize();
    if (!written)
        platform::log(QStringLiteral("cannot save the settings to %1").arg(defaults.path()));
    return written;
}

QString KelvaneController::hotKeyIdentifier(HotKeyRole role) {
    switch (role) {
    case HotKeyRole::Dim:
        return QStringLiteral("dimHotKey");
    case HotKeyRole::Brighten:
        return QStringLiteral("brightenHotKey");
    case HotKeyRole::Toggle:
        return QStringLiteral("toggleHotKey");
    }
    return {};
}

void KelvaneController::awakeFromNib() {
    m_lockButton = defaults.boolForKey(kStoredLockButtonState);
    if (m_lockButton)
        m_lockFrequencySliderEnabled = true;

    const double frequency = defaults.floatForKey(kLockFrequencyValue);
    if (frequency != 0 &&
        !(frequency >= kMinimumLockFrequency && frequency <= kMaximumLockFrequency))
        platform::log(QStringLiteral("lockFrequencyValue %1 is outside %2 to %3 Hz; using %4 Hz")
                          .arg(frequency)
                          .arg(kMinimumLockFrequency)
                          .arg(kMaximumLockFrequency)
                          .arg(kDefaultLockFrequency));
    m_lockFrequencySlider = frequency == 0 ? kDefaultLockFrequency : frequency;
    if (!(m_lockFrequencySlider >= kMinimumLockFrequency &&
          m_lockFrequencySlider <= kMaximumLockFrequency))
        m_lockFrequencySlider = kDefaultLockFrequency;

    setStartupBrightness();
    changeLock(m_lockButton);
    m_lightLevel = m_levelSlider;

    m_idleTimerSeconds =
        int(std::clamp<qint64>(defaults.integerForKey(kIdleTimerSeconds), 0, 86400));
    m_idleTimerSlider = sliderForIdleSeconds(m_idleTimerSeconds);
    if (m_idleTimerSeconds != 0)
        scheduleIdleTimer(m_idleTimerSeconds);

    readHotKeys();

    m_rememberLightLevel = defaults.boolForKey(kRememberLightLevel);
    const qint64 loginRow = defaults.integerForKey(kLoginPreferenceSelectedRow);
    m_loginPreference = loginRow != 0;

    if (!defaults.boolForKey(kDidShowFirstStartNotification))
        Q_EMIT firstStartNoticeRequested();
    setUpDonationReminder();

    const qint64 storedItem = defaults.integerForKey(kCheckUpdatesSelectedItem);
    int item = storedItem >= KVUpdatesNever && storedItem <= KVUpdatesWeekly ? int(storedItem)
                                                                             : KVUpdatesNever;
    if (item == KVUpdatesNever && defaults.boolForKey(kCheckAtStartup))
        item = KVUpdatesHourly;
    changeCheckUpdates(item);
    Q_EMIT interfaceChanged();
}

void KelvaneController::readHotKeys() {
    for (HotKeyRole role : {HotKeyRole::Dim, HotKeyRole::Brighten, HotKeyRole::Toggle}) {
        const QString identifier = hotKeyIdentifier(role);
        const platform::Value stored = defaults.objectForKey(identifier);
        const platform::DictionaryRef dictionary = stored.toDictionary();
        if (!stored.isNone() &&
            (!dictionary ||
             (!dictionary->empty() &&
              (stored[QStringLiteral("keyCode")].type() != platform::Value::Type::Integer ||
               stored[QStringLiteral("modifiers")].type() != platform::Value::Type::Integer))))
            platform::log(
                QStringLiteral("%1 is not a key combination (a dictionary of the integers "
                               "keyCode and modifiers); no %1 is set")
                    .arg(identifier));
        KVKeyCombo combo = KVKeyCombo::initWithPlistRepresentation(stored);
        if (dictionary &&
            stored[QStringLiteral("keyCode")].type() != platform::Value::Type::Integer)
            combo = KVKeyCombo();
        auto& key = hotKey(role);
        key.setKeyCombo(combo);
        key.setAction([this](KVHotKey& pressed) { hitHotKey(pressed); });
        key.setReleaseAction([this](KVHotKey& released) { hotKeyUp(released); });
    }
    for (HotKeyRole role : {HotKeyRole::Dim, HotKeyRole::Brighten, HotKeyRole::Toggle})
        m_hotKeyCenter.registerHotKey(hotKey(role));
}

void KelvaneController::setStartupBrightness() {
    if (defaults.boolForKey(kRememberLightLevel)) {
        const qint64 stored = defaults.integerForKey(kStoredLightLevel);
        if (stored < 0 || stored > 100)
            platform::log(QStringLiteral("storedLightLevel %1 is outside 0 to 100").arg(stored));
        setLevelSlider(int(std::clamp<qint64>(stored, 0, 100)));
        illuminationController.fadeBacklightLevelTo(m_levelSlider, KVBacklitFadeTimer);
        return;
    }
    setLevelSlider(illuminationController.backlightLevel());
}

void KelvaneController::setLevelSlider(int value) {
    m_levelSlider = std::clamp(value, 0, 100);
}

// Level changes.

void KelvaneController::adjustBacklight(int sliderValue) {
    m_isToggled = false;
    setLevelSlider(sliderValue);
    m_lightLevel = m_levelSlider;
    setBacklightLevel(m_lightLevel);
    defaults.setInteger(m_lightLevel, kStoredLightLevel);
    synchronize();
    Q_EMIT interfaceChanged();
}

void KelvaneController::perform(Operation operation) {
    m_isToggled = false;
    setLevelSlider(m_levelSlider + (operation == Operation::Decrease ? -kHotKeyStep : kHotKeyStep));
    m_lightLevel = m_levelSlider;
    fadeBacklightLevel(m_lightLevel);
    defaults.setInteger(m_lightLevel, kStoredLightLevel);
    synchronize();
    if (notificationController)
        notificationController->postNotification(m_lightLevel);
    Q_EMIT interfaceChanged();
}

void KelvaneController::decreaseIllumination() {
    perform(Operation::Decrease);
}

void KelvaneController::increaseIllumination() {
    perform(Operation::Increase);
}

void KelvaneController::toggleIllumination() {
    const bool wasOff = m_isToggled;
    m_isToggled = !m_isToggled;
    const int level = wasOff ? m_lightLevel : 0;
    fadeBacklightLevel(level);
    if (notificationController)
        notificationController->postNotification(level);
}

void KelvaneController::setBacklightLevel(int level) {
    illuminationController.setBacklightLevelTo(level);
}

void KelvaneController::fadeBacklightLevel(int level) {
    stopLockLoop();
    illuminationController.fadeBacklightLevelTo(level, KVBacklitFadeTimer);
    // A newer fade replaces the pending restart, so the lock loop never cuts a fade short.
    m_afterFadeTimer = m_services.clock.scheduleTimer(
        KVAfterBacklitFadeTimer, platform::Repeats::No, [this] { fireTimer(); });
}

void KelvaneController::fireTimer() {
    m_afterFadeTimer.reset();
    if (m_lockButton && !m_lockTimer)
        startLockLoop();
}

// The lock loop.

double KelvaneController::lockUpdateInterval() const {
    const double frequency = defaults.floatForKey(kLockFrequencyValue);
    if (frequency == 0 ||
        !(frequency >= kMinimumLockFrequency && frequency <= kMaximumLockFrequency))
        return KVIlluminationChangeInterval;
    return 1.0 / frequency;
}

void KelvaneController::startLockLoop() {
    m_lockTimer = m_services.clock.scheduleTimer(lockUpdateInterval(), platform::Repeats::Yes,
                                                 [this] { fireTimedLoop(); });
}

void KelvaneController::stopLockLoop() {
    m_lockTimer.reset();
}

void KelvaneController::fireTimedLoop() {
    if (m_isToggled) {
        setBacklightLevel(0);
        return;
    }
    if (m_isAutomaticallyToggled) {
        fadeBacklightLevel(0);
        return;
    }
    setBacklightLevel(m_lightLevel);
}

void KelvaneController::changeLock(bool on) {
    m_lockButton = on;
    m_lockFrequencySliderEnabled = on;
    if (!on) {
        stopLockLoop();
        defaults.setBool(false, kStoredLockButtonState);
        synchronize();
        Q_EMIT interfaceChanged();
        return;
    }
    defaults.setBool(true, kStoredLockButtonState);
    synchronize();
    startLockLoop();
    Q_EMIT interfaceChanged();
}

void KelvaneController::lockFrequencySliderChanged(double hertz) {
    hertz = std::clamp(std::isfinite(hertz) ? hertz : kDefaultLockFrequency, kMinimumLockFrequency,
                       kMaximumLockFrequency);
    m_lockFrequencySlider = hertz;
    platform::log(QStringLiteral("Lock frequency slider changed: %1").arg(hertz, 0, 'f', 1));
    stopLockLoop();
    defaults.setFloat(hertz, kLockFrequencyValue);
    synchronize();
    platform::log(QStringLiteral("Running lockTimer with interval of %1 seconds")
                      .arg(lockUpdateInterval(), 0, 'f', 4));
    startLockLoop();
    Q_EMIT interfaceChanged();
}

// Idle dimming.

int KelvaneController::idleSecondsForSlider(int sliderValue) {
    switch (sliderValue) {
    case 0:
        return 5;
    case 20:
        return 10;
    case 40:
        return 30;
    case 60:
        return 60;
    case 80:
        return 300;
    default:
        return 0;
    }
}

int KelvaneController::sliderForIdleSeconds(int seconds) {
    switch (seconds) {
    case 5:
        return 0;
    case 10:
        return 20;
    case 30:
        return 40;
    case 60:
        return 60;
    case 300:
        return 80;
    default:
        return 100;
    }
}

void KelvaneController::scheduleIdleTimer(double seconds) {
    m_idleTimer = m_services.clock.scheduleTimer(seconds, platform::Repeats::No,
                                                 [this] { checkIdleTimer(); });
}

void KelvaneController::idleTimerSliderChanged(int sliderValue) {
    m_idleTimerSlider = sliderValue;
    m_idleTimerSeconds = idleSecondsForSlider(sliderValue);
    m_idleTimer.reset();
    if (m_idleTimerSeconds != 0)
        scheduleIdleTimer(m_idleTimerSeconds);
    defaults.setInteger(m_idleTimerSeconds, kIdleTimerSeconds);
    synchronize();
    Q_EMIT interfaceChanged();
}

void KelvaneController::checkIdleTimer() {
    m_secondsSinceLastUserInput =
        powerManagementController ? powerManagementController->secondsSinceLastUserInput() : 0;
    if (m_secondsSinceLastUserInput > 0) {
        if (m_idleTimerSeconds != 0 && m_secondsSinceLastUserInput >= m_idleTimerSeconds &&
            !m_isAutomaticallyToggled) {
            m_isAutomaticallyToggled = true;
            stopLockLoop();
            fadeBacklightLevel(0);
        }
    } else if (m_lockButton) {
        fadeBacklightLevel(m_levelSlider);
        m_isAutomaticallyToggled = false;
        stopLockLoop();
        startLockLoop();
    }
    if (m_idleTimer)
        scheduleIdleTimer(std::max(1, m_idleTimerSeconds - m_secondsSinceLastUserInput));
}

// Hot keys.

void KelvaneController::hitHotKey(KVHotKey& pressed) {
    if (&pressed == &hotKey(HotKeyRole::Dim))
        fireHotkeyTimerFor(Operation::Decrease);
    else if (&pressed == &hotKey(HotKeyRole::Brighten))
        fireHotkeyTimerFor(Operation::Increase);
    else if (&pressed == &hotKey(HotKeyRole::Toggle))
        toggleIllumination();
}

void KelvaneController::fireHotkeyTimerFor(Operation operation) {
    if (m_hotkeyTimer) {
        invalidateHotkeyTimer();
        return;
    }
    perform(operation);
    m_hotkeyTimer = m_services.clock.scheduleTimer(kHotKeyRepeat, platform::Repeats::Yes,
                                                   [this, operation] { perform(operation); });
}

void KelvaneController::hotKeyUp(KVHotKey&) {
    invalidateHotkeyTimer();
}

void KelvaneController::invalidateHotkeyTimer() {
    m_hotkeyTimer.reset();
}

void KelvaneController::keyComboDidChange(HotKeyRole role, const KVKeyCombo& combo) {
    auto& key = hotKey(role);
    m_hotKeyCenter.unregisterHotKey(key);
    auto replacement = std::make_unique<KVHotKey>(hotKeyIdentifier(role), combo);
    replacement->setAction([this](KVHotKey& pressed) { hitHotKey(pressed); });
    replacement->setReleaseAction([this](KVHotKey& released) { hotKeyUp(released); });
    m_hotKeys[std::size_t(role)] = std::move(replacement);
    if (!m_hotKeyCenter.registerHotKey(hotKey(role)))
        platform::log(QStringLiteral("%1 could not be registered; another program holds it")
                          .arg(hotKeyIdentifier(role)));
    savePref();
    Q_EMIT interfaceChanged();
}

void KelvaneController::savePref() {
    for (HotKeyRole role : {HotKeyRole::Dim, HotKeyRole::Brighten, HotKeyRole::Toggle})
        defaults.setObject(hotKey(role).keyCombo().plistRepresentation(), hotKeyIdentifier(role));
    synchronize();
}

// Sleep and wake.

void KelvaneController::sleepObserver() {
    stopLockLoop();
    m_idleTimer.reset();
}

void KelvaneController::wakeObserver() {
    if (m_lockButton) {
        stopLockLoop();
        startLockLoop();
    }
    if (m_idleTimerSlider != 100) {
        m_idleTimer.reset();
        scheduleIdleTimer(m_idleTimerSeconds);
    }
}

// Other actions.

void KelvaneController::changeRememberLightLevel(bool on) {
    m_rememberLightLevel = on;
    defaults.setBool(on, kRememberLightLevel);
    synchronize();
    Q_EMIT interfaceChanged();
}

void KelvaneController::showPrefsWindow() {
    synchronize();
    m_rememberLightLevel = defaults.boolForKey(kRememberLightLevel);
    m_lockButton = defaults.boolForKey(kStoredLockButtonState);
    m_loginPreference = defaults.integerForKey(kLoginPreferenceSelectedRow) != 0;
    Q_EMIT interfaceChanged();
    Q_EMIT preferencesWindowRequested();
}

void KelvaneController::shutdownKelvane() {
    synchronize();
    Q_EMIT quitRequested();
}

void KelvaneController::firstStartNoticeShown() {
    defaults.setBool(true, kDidShowFirstStartNotification);
    synchronize();
}

// Update schedule.

void KelvaneController::changeCheckUpdates(int item) {
    m_checkUpdates = item;
    defaults.setInteger(item, kCheckUpdatesSelectedItem);
    const auto checkEvery = [this](qint64 seconds) {
        defaults.setBool(true, kCheckAtStartup);
        defaults.setInteger(seconds, kScheduledCheckInterval);
    };
    switch (item) {
    case KVUpdatesAtLaunch:
        defaults.setBool(true, kCheckAtStartup);
        defaults.removeObjectForKey(kScheduledCheckInterval);
        break;
    case KVUpdatesHourly:
        checkEvery(3600);
        break;
    case KVUpdatesDaily:
        checkEvery(86400);
        break;
    case KVUpdatesWeekly:
        checkEvery(604800);
        break;
    default:
        defaults.setBool(false, kCheckAtStartup);
        defaults.removeObjectForKey(kScheduledCheckInterval);
        break;
    }
    synchronize();
    const qint64 interval = defaults.integerForKey(kScheduledCheckInterval);
    if (interval != 0)
        m_services.updater.scheduleCheckWithInterval(double(interval));
    Q_EMIT interfaceChanged();
}

// Login item.

QString KelvaneController::autostartEntryPath() const {
    return m_services.autostartFolder + QStringLiteral("/Kelvane.desktop");
}

void KelvaneController::changeLoginPreference(bool on) {
    removeLoginItem(m_services.bundlePath);
    if (on)
        addToLoginItems(m_services.bundlePath, false);
    m_loginPreference = on;
    defaults.setInteger(on ? 1 : 0, kLoginPreferenceSelectedRow);
    synchronize();
    Q_EMIT interfaceChanged();
}

void KelvaneController::writeLoginWindowDomain(const platform::Dictionary& domain) {
    if (const auto removed = defaults.removePersistentDomainForName(kLoginWindow); !removed)
        platform::log(removed.error());
    if (const auto written = defaults.setPersistentDomain(domain, kLoginWindow); !written)
        platform::log(written.error());
}

void KelvaneController::addToLoginItems(const QString& path, bool hide) {
    const platform::DictionaryRef stored = defaults.persistentDomainForName(kLoginWindow);
    platform::Dictionary domain = stored ? *stored : platform::Dictionary{};
    const platform::ArrayRef storedItems = domain.count(kAutoLaunchedApplications)
                                               ? domain[kAutoLaunchedApplications].toArray()
                                               : nullptr;
    platform::Array items = storedItems ? *storedItems : platform::Array{};
    items.insert(items.begin(), platform::Value::newDictionary({{QStringLiteral("Hide"), hide},
                                                                {QStringLiteral("Path"), path}}));
    domain[kAutoLaunchedApplications] = platform::Value::newArray(std::move(items));
    writeLoginWindowDomain(domain);

    // The desktop starts programs at login from its autostart folder.
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=Kelvane\n"
                                         "Comment=Keyboard backlight agent\nExec=\"%1\"\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(QString(path).replace(QLatin1Char('"'), QStringLiteral("\\\"")));
    if (const auto written = platform::writeFileAtomically(autostartEntryPath(), entry.toUtf8());
        !written)
        platform::log(written.error());
}

void KelvaneController::removeLoginItem(const QString& path) {
    if (QFile::exists(autostartEntryPath()) && !QFile::remove(autostartEntryPath()))
        platform::log(QStringLiteral("cannot remove %1").arg(autostartEntryPath()));
    const platform::DictionaryRef stored = defaults.persistentDomainForName(kLoginWindow);
    if (!stored || !stored->count(kAutoLaunchedApplications))
        return;
    const platform::ArrayRef storedItems = (*stored)[kAutoLaunchedApplications].toArray();
    if (!storedItems)
        return;
    platform::Array items = *storedItems;
    std::optional<platform::Value> match;
    for (const platform::Value& item : items)
        if (item[QStringLiteral("Path")].toString() == path)
            match = item;
    if (match)
        std::erase(items, *match);
    platform::Dictionary domain = *stored;
    domain[kAutoLaunchedApplications] = platform::Value::newArray(std::move(items));
    writeLoginWindowDomain(domain);
}

// Donation reminder.

void KelvaneController::setUpDonationReminder() {
    if (defaults.boolForKey(kDonationDidAlreadyContribute))
        return;
    double delay = KVDonationReminderDefaultTimer;
    const QDateTime last = defaults.dateForKey(kDonationReminderLastDisplayed);
    if (last.isValid()) {
        const double elapsed = last.msecsTo(m_services.clock.currentDate()) / 1000.0;
        delay = elapsed > kFirstRemindersGap ? KVDonationReminderDefaultTimer
                                             : KVDonateLaterTimeout - elapsed;
    }
    m_donationReminder = m_services.clock.scheduleTimer(delay, platform::Repeats::No,
                                                        [this] { showDonationWindow(); });
}

void KelvaneController::showDonationWindow() {
    if (m_services.currentVersion == defaults.stringForKey(kDonationReminderVersion) &&
        !defaults.objectForKey(kDonationReminderVersion).isNone())
        return;
    Q_EMIT donationWindowRequested();
}

void KelvaneController::donateNow() {
    defaults.setString(m_services.currentVersion, kDonationReminderVersion);
    defaults.setDate(m_services.clock.currentDate(), kDonationReminderLastDisplayed);
    synchronize();
    QUrl page = m_services.donationSite;
    page.setPath(QStringLiteral("/donate.html"));
    if (!m_services.urlOpener.openUrl(page))
        platform::log(QStringLiteral("cannot open %1 in a browser").arg(page.toString()));
    Q_EMIT donationWindowClosed();
}

void KelvaneController::donateLater(bool dontAskAgainForThisVersion) {
    m_dontAskAgain = dontAskAgainForThisVersion;
    if (dontAskAgainForThisVersion) {
        defaults.setString(m_services.currentVersion, kDonationReminderVersion);
        defaults.setDate(m_services.clock.currentDate(), kDonationReminderLastDisplayed);
        synchronize();
    } else {
        defaults.setDate(m_services.clock.currentDate(), kDonationReminderLastDisplayed);
        synchronize();
        setUpDonationReminder();
    }
    Q_EMIT donationWindowClosed();
}

void KelvaneController::hasDonated() {
    defaults.setBool(true, kDonationDidAlreadyContribute);
    synchronize();
    m_donationReminder.reset();
    Q_EMIT donationWindowClosed();
}

} // namespace kelvane
