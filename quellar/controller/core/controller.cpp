#include "quellar/controller/core/controller.h"

#include "platform/core/defaults.h"
#include "platform/core/log.h"
#include "platform/core/property_list.h"
#include "quellar/controller/core/system_paths.h"

#include <QFile>

namespace quellar {

namespace {

const QString kQuellar = QStringLiteral("Quellar");
const QString kQuellarController = QStringLiteral("Quellar Controller");
const QString kError = QStringLiteral("Error!");

QString yes() {
    return QStringLiteral("Yes");
}
QString no() {
    return QStringLiteral("No");
}

// The installed launch-daemon file's dictionary, or null when it cannot be read.
platform::DictionaryRef readLaunchDaemonFile(const InstalledSystem& system) {
    QFile installed(system.pathOf(kLaunchDaemonPath));
    if (!installed.open(QIODevice::ReadOnly))
        return nullptr;
    const auto parsed = platform::readPropertyList(installed.read(kMaxConfigBytes));
    return parsed ? parsed->toDictionary() : nullptr;
}

} // namespace

Controller::Controller(ControllerServices services, ControllerView& view)
    : m_services(std::move(services)), m_view(view) {}

Controller::~Controller() {
    m_services.privileged.deauthenticate();
}

platform::AlertResponse Controller::ask(const QString& title, const QString& message,
                                        const QStringList& buttons) {
    platform::Alert alert;
    alert.messageText = title;
    alert.informativeText = message;
    alert.buttons = buttons;
    return m_services.alerts.runModal(alert);
}

void Controller::tell(const QString& title, const QString& message) {
    ask(title, message, {QStringLiteral("OK")});
}

void Controller::createSettings() {
    if (!quellar::createSettings(m_services.defaults, m_settings))
        platform::log(
            QStringLiteral("cannot save the preferences to %1").arg(m_services.defaults.path()));
}

bool Controller::run(HelperVerb verb, const QByteArray& input) {
    if (!m_services.privileged.authorize())
        return false;
    return m_services.privileged.run({verb}, input).has_value();
}

std::optional<std::int32_t> Controller::readEntry(const char* name) {
    std::int32_t value = 0;
    if (!m_services.driver.read(name, value))
        return std::nullopt;
    return value;
}

// The status words for the lists. A user cannot read the registers while the daemon is not
// running; the helper then reads them once.
void Controller::statusWords(std::optional<std::int32_t>& low, std::optional<std::int32_t>& high) {
    low = readEntry(kStatusLowEntry);
    high = readEntry(kStatusHighEntry);
    if (low && high)
        return;
    // The limits do not change: the helper is asked (and the password with it) only once.
    if (m_helperStatus) {
        low = m_helperStatus->first;
        high = m_helperStatus->second;
        return;
    }
    if (!m_services.privileged.authorize())
        return;
    const auto printed = m_services.privileged.run({HelperVerb::ReadStatus});
    if (!printed)
        return;
    const QList<QByteArray> lines = printed->split('\n');
    bool lowOk = false, highOk = false, busOk = false;
    const int statusLow = lines.value(0).toInt(&lowOk), statusHigh = lines.value(1).toInt(&highOk);
    const int bus = lines.value(2).toInt(&busOk);
    if (!lowOk || !highOk)
        return;
    low = statusLow;
    high = statusHigh;
    m_helperStatus = std::pair(statusLow, statusHigh);
    if (busOk && m_busfreq == 0)
        m_busfreq = bus;
}

// Start-up.

void Controller::awakeFromNib() {
    if (m_services.system.fileIsMissing()) {
        if (!installFiles())
            tell(kQuellarController, QStringLiteral("Quellar installation failed"));
        else if (!kextLoad())
            tell(kQuellarController,
                 QStringLiteral(
                     "Could not start the Quellar driver.\nPlease restart the application."));
    } else if (!updateDriver()) {
        tell(kQuellarController, QStringLiteral("Could not update the Quellar driver."));
    }

    readFreq();
    std::optional<std::int32_t> low, high;
    statusWords(low, high);
    if (!readSettings(m_services.defaults, m_settings)) {
        m_settings.PowerStates = m_services.system.factoryStates(low, high);
        if (m_settings.PowerStates.empty())
            m_settings.PowerStates = m_services.system.oldSettings();
        if (m_settings.PowerStates.empty())
            tell(kQuellarController, QStringLiteral("Could not find default frequencies/voltages"));
    }
    createSettings();

    m_factory = fillDefArr(m_settings.PowerStates);
    m_machine = classifyMachine(m_services.system.machineModel());
    m_halfBus = false;
    fillLists();
    setDriver();

    m_load.setSleep(LoadGenerator::kIdle);
    m_load.start();

    LoadSwitcherPlist();
    sortStateArr(m_settings.SetA, SortDirection::Ascending);
    sortStateArr(m_settings.SetB, SortDirection::Ascending);
    m_view.refresh();

    if (!updateDaemon())
        tell(kQuellarController, QStringLiteral("Could not update the QuellarSwitcher daemon."));
    m_view.refresh();
}

void Controller::fillLists() {
    std::optional<std::int32_t> low, high;
    statusWords(low, high);
    fillFrequency(m_lists, low, high, m_busfreq, m_halfBus, m_machine);
    fillVoltage(m_lists, high, m_factory, m_machine);
    m_selectedFrequency = m_lists.Freq.empty() ? -1 : 0;
    m_selectedVoltage = m_lists.Volt.empty() ? -1 : 0;
    m_voltageEnabledCount = int(m_lists.Volt.size());
    changeFreq();
}

void Controller::changeFreq() {
    if (m_selectedFrequency < 0 || m_selectedFrequency >= int(m_lists.Freq.size()))
        return;
    const VoltageLimits limits =
        quellar::changeFreq(m_lists, m_lists.Freq[std::size_t(m_selectedFrequency)], m_factory);
    if (limits.leaveAsIs)
        return;
    m_voltageEnabledCount = limits.enabledCount;
    if (limits.selected)
        m_selectedVoltage = *limits.selected;
}

// Installation.

bool Controller::installFiles() {
    const InstalledSystem& system = m_services.system;
    if (system.driverInstalled())
        return false;
    if (ask(kQuellar, QStringLiteral("Install the Quellar driver?"), {yes(), no()}) !=
        platform::AlertResponse::First)
        return false;
    if (ask(kQuellarController, m_services.agreement,
            {QStringLiteral("Agree"), QStringLiteral("Disagree")}) !=
        platform::AlertResponse::First)
        return false;
    if (!system.driverInstalled() && !run(HelperVerb::InstallDriver))
        return false;
    if (!system.launchDaemonInstalled() && !run(HelperVerb::InstallConfig))
        return false;
    return system.daemonInstalled() || run(HelperVerb::InstallDaemon);
}

bool Controller::kextLoad() {
    if (!run(HelperVerb::LoadDriver))
        return false;
    for (int check = 0; check < 8; ++check) {
        if (m_services.system.checkKext())
            return true;
        m_services.pause.pause(1.0);
    }
    return false;
}

bool Controller::updateDriver() {
    if (m_services.system.kextUpToDate())
        return true;
    if (ask(kQuellar,
            QStringLiteral("Do you want to update the Quellar driver?\nYour current settings will "
                           "not be affected."),
            {yes(), no()}) != platform::AlertResponse::First)
        return false;
    // The msr module itself carries no version of ours, and unloading it fails where it is
    // built in: only its configuration is replaced.
    return replaceInstalled(HelperVerb::RemoveDriver, HelperVerb::InstallDriver) && kextLoad() &&
           ctlDaemon(true);
}

bool Controller::updateDaemon() {
    const bool wasOn = m_switcherOn;
    if (m_services.system.daemonUpToDate())
        return true;
    if (ask(kQuellar,
            QStringLiteral("Do you want to update the QuellarSwitcher daemon?\nYour current "
                           "settings will not be affected."),
            {yes(), no()}) != platform::AlertResponse::First)
        return false;
    return replaceInstalled(HelperVerb::RemoveDaemon, HelperVerb::InstallDaemon) &&
           ctlDaemon(wasOn);
}

bool Controller::replaceInstalled(HelperVerb remove, HelperVerb install) {
    if (!ctlDaemon(false) || !run(remove))
        return false;
    m_services.pause.pause(0.2);
    if (!run(install))
        return false;
    m_services.pause.pause(0.2);
    return true;
}

bool Controller::uninstallFiles() {
    readSettings(m_services.defaults, m_settings);
    if (ask(kQuellar, QStringLiteral("This will remove Quellar and all its components.\nProceed?"),
            {yes(), no()}) != platform::AlertResponse::First)
        return false;
    run(HelperVerb::UnloadDriver);
    const InstalledSystem& system = m_services.system;
    if (system.controlId() == 0 && system.hasGovernors()) {
        const int kept = system.readBackup(int(m_settings.defValue));
        if (kept != 0) {
            if (!ChangePlist(kept) || system.controlId() != kept)
                return false;
        } else {
            tell(kError, QStringLiteral("Could not activate default driver."));
        }
    }
    if (system.driverInstalled() && !run(HelperVerb::RemoveDriver))
        return false;
    if (system.daemonInstalled() && !run(HelperVerb::RemoveDaemon))
        return false;
    if (system.launchDaemonInstalled() && !run(HelperVerb::RemoveConfig))
        return false;
    // The administrator goes first: forgetting it saves the preferences, which would bring
    // back the domain just removed.
    const QString stored = m_services.keychain.storedAccount();
    const bool forgotten = stored.isEmpty() || keyRem(stored);
    if (auto removed =
            m_services.defaults.removePersistentDomainForName(m_services.defaults.domain());
        !removed)
        platform::log(removed.error());
    return forgotten;
}

bool Controller::restart() {
    if (ask(kQuellarController,
            QStringLiteral(
                "You must restart your Mac for the changes to take effect.\n\nRestart now?"),
            {QStringLiteral("Now"), QStringLiteral("Later")}) != platform::AlertResponse::First)
        return false;
    return run(HelperVerb::Reboot);
}

void Controller::unInstall() {
    const bool stopped = ctlDaemon(false);
    if (!uninstallFiles() && stopped)
        tell(kQuellarController, QStringLiteral("Could not unistall QuellarSwitcher."));
    m_view.refresh();
}

bool Controller::ctlDaemon(bool on) {
    if (!run(on ? HelperVerb::EnableDaemon : HelperVerb::DisableDaemon))
        return false;
    m_switcherOn = on;
    return true;
}

bool Controller::setValue(std::uint32_t packedSetting) {
    if (!m_services.privileged.authorize())
        return false;
    HelperRequest request{HelperVerb::SetControl};
    request.setting = packedSetting & 0xFFFF;
    return m_services.privileged.run(request).has_value();
}

bool Controller::ChangePlist(int control) {
    return run(control == 0 ? HelperVerb::GovernorUserspace : HelperVerb::GovernorRestore);
}

bool Controller::getDefValue() {
    if (m_settings.defValue != 0)
        return true;
    const InstalledSystem& system = m_services.system;
    if (!system.hasGovernors())
        return true; // Nothing to keep: no governor holds the processor.
    m_settings.defValue = system.controlId() != 0 ? 1 : system.readBackup(0);
    if (m_settings.defValue == 0) {
        tell(kError, QStringLiteral("Could not save default value.\n If you are using Quellar 1.x, "
                                    "uninstall it, and try again."));
        return false;
    }
    return true;
}

void Controller::setDriver() {
    m_driverOn = m_services.system.controlId() == 0;
    if (!m_driverOn)
        m_switcherOn = false;
}

void Controller::changeDriver(bool on) {
    if (on) {
        if (!getDefValue()) {
            m_driverOn = false;
        } else {
            createSettings();
            if (!ChangePlist(0)) {
                m_driverOn = false;
            } else {
                m_driverOn = true;
                ctlDaemon(true);
            }
        }
    } else if (!ChangePlist(m_services.system.readBackup(int(m_settings.defValue)))) {
        m_driverOn = true;
    } else {
        m_driverOn = false;
        ctlDaemon(false);
    }
    if (!m_driverOn)
        m_switcherOn = false;
    m_view.refresh();
}

bool Controller::keySet(const QString& name, const QString& password) {
    m_settings.UserName = name;
    createSettings();
    if (!m_services.keychain.add(name, password)) {
        tell(kError,
             QStringLiteral("An error occured while trying to add Quellar to the keychain."));
        return false;
    }
    return true;
}

bool Controller::keyRem(const QString& name) {
    const bool removed = m_services.keychain.remove(name);
    if (!removed)
        tell(kError,
             QStringLiteral("An error occured while trying to remove Quellar from the keychain."));
    m_settings.UserName.clear();
    createSettings();
    return removed;
}

// The launch-daemon file.

bool Controller::SaveSwitchPlist() {
    const InstalledSystem& system = m_services.system;
    if (!system.launchDaemonInstalled())
        return false;
    const platform::DictionaryRef installed = readLaunchDaemonFile(system);
    platform::Dictionary file{{QStringLiteral("Label"), QString::fromUtf8(kLaunchDaemonLabel)}};
    if (installed && installed->count(QStringLiteral("Disabled")))
        file[QStringLiteral("Disabled")] = true;
    platform::Array arguments;
    for (const QString& argument :
         createSArray(m_settings, QString::fromUtf8(kInstalledDaemonPath)))
        arguments.push_back(argument);
    file[QStringLiteral("ProgramArguments")] = platform::Value::newArray(std::move(arguments));
    const auto bytes =
        platform::writeXmlPropertyList(platform::Value::newDictionary(std::move(file)));
    if (!bytes) {
        tell(kError, QStringLiteral("Could not create settings file for launch daemon"));
        return false;
    }
    return run(HelperVerb::WriteConfig, *bytes);
}

bool Controller::LoadSwitcherPlist() {
    const InstalledSystem& system = m_services.system;
    if (!system.launchDaemonInstalled())
        return false;
    const platform::DictionaryRef file = readLaunchDaemonFile(system);
    if (!file)
        platform::log(QStringLiteral("cannot read the launch-daemon file %1")
                          .arg(system.pathOf(kLaunchDaemonPath)));
    const bool disabled = !file || file->count(QStringLiteral("Disabled")) != 0;
    m_switcherOn = m_driverOn && !disabled;
    QStringList arguments;
    if (file) {
        if (const platform::ArrayRef list = (*file)[QStringLiteral("ProgramArguments")].toArray()) {
            for (const platform::Value& argument : *list)
                arguments << argument.toString();
        }
    }
    if (arguments.size() < 4)
        addDefault(std::nullopt);
    else
        getSwitchArr(arguments, m_settings);
    return true;
}

// Editing.

void Controller::selectFrequency(int item) {
    if (item < 0 || item >= int(m_lists.Freq.size()))
        return;
    m_selectedFrequency = item;
    changeFreq();
    m_view.refresh();
}

void Controller::selectVoltage(int item) {
    if (item < 0 || item >= int(m_lists.Volt.size()))
        return;
    m_selectedVoltage = item;
}

void Controller::clickVolt() {
    if (m_settings.allowVoltage)
        return;
    tell(kQuellarController,
         QStringLiteral(
             "WARNING!\nChanging the voltage can make your computer unstable, and result in a "
             "kernel panic.\nPlease read the undervolting document for more information."));
    m_settings.allowVoltage = true;
    createSettings();
}

void Controller::clickDivide(bool halfBus) {
    m_halfBus = halfBus;
    std::optional<std::int32_t> low, high;
    statusWords(low, high);
    fillFrequency(m_lists, low, high, m_busfreq, m_halfBus, m_machine);
    if (m_selectedFrequency >= int(m_lists.Freq.size()) || m_selectedFrequency < 0)
        m_selectedFrequency = m_lists.Freq.empty() ? -1 : 0;
    changeFreq();
    m_view.refresh();
}

void Controller::addFreq(Tab tab, std::optional<int> selectedRow) {
    StateTable& table = tableOf(tab);
    if (selectedRow)
        clearStateArr(table, std::uint32_t(*selectedRow));
    if (m_selectedFrequency >= 0 && m_selectedVoltage >= 0 &&
        m_selectedFrequency < int(m_lists.Freq.size()) &&
        m_selectedVoltage < int(m_lists.Volt.size()))
        addStateArr(table, m_lists.Volt[std::size_t(m_selectedVoltage)],
                    m_lists.Freq[std::size_t(m_selectedFrequency)], m_halfBus);
    sortStateArr(table, SortDirection::Ascending);
    m_view.refresh();
}

void Controller::clearTable(Tab tab, std::optional<int> selectedRow) {
    clearStateArr(tableOf(tab), selectedRow ? std::uint32_t(*selectedRow) : kAllPairs);
    m_view.refresh();
}

void Controller::addDefault(std::optional<Tab> tab) {
    if (!tab || *tab == Tab::Adapter) {
        copyStateArr(m_factory.Def, m_settings.SetA);
        sortStateArr(m_settings.SetA, SortDirection::Ascending);
    }
    if (!tab || *tab == Tab::Battery) {
        copyStateArr(m_factory.Def, m_settings.SetB);
        sortStateArr(m_settings.SetB, SortDirection::Ascending);
    }
    m_view.refresh();
}

void Controller::applyFreq() {
    if (m_selectedFrequency < 0 || m_selectedVoltage < 0 ||
        m_selectedFrequency >= int(m_lists.Freq.size()) ||
        m_selectedVoltage >= int(m_lists.Volt.size()))
        return;
    m_currentState = {m_lists.Freq[std::size_t(m_selectedFrequency)],
                      m_lists.Volt[std::size_t(m_selectedVoltage)]};
    setValue(packedSetting(m_currentState));
}

void Controller::switcherOn(bool on) {
    if (!ctlDaemon(on))
        m_switcherOn = !on;
    m_view.refresh();
}

void Controller::changeSpeed(int item) {
    quellar::changeSpeed(item, m_settings);
}

void Controller::tempLimit(int item) {
    quellar::tempLimit(item, m_settings);
}

// Save and test.

void Controller::runTable(const StateTable& table, const char* name) {
    int number = 0;
    for (const StatePair& pair : table) {
        if (m_stop)
            return;
        if (pair.Freq == 0 || pair.Volt == 0)
            continue;
        ++number;
        m_view.testStatus(
            QStringLiteral("Testing %1 setting No. %2").arg(QLatin1StringView(name)).arg(number));
        if (!setValue(packedSetting(pair)) && !m_services.system.checkKext()) {
            // The driver is gone: nothing more can be tested, and nothing is saved.
            platform::log(QStringLiteral("the processor driver went away during the test"));
            m_stop = true;
            return;
        }
        for (int step = 0; step < 20 && !m_stop; ++step)
            m_services.pause.pause(0.25);
    }
}

void Controller::testSettings() {
    m_testRunning = true;
    const bool wasOn = m_switcherOn;
    m_stop = false;
    const auto finish = [&] {
        m_testRunning = false;
        m_view.testEnded();
    };
    if (emptyStateArr(m_settings.SetA) || emptyStateArr(m_settings.SetB)) {
        tell(kQuellarController,
             QStringLiteral("You have to select values for both battery and adapter."));
        return finish();
    }
    m_services.privileged.deauthenticate();
    if (!m_services.privileged.authorize())
        return finish();
    ctlDaemon(false);
    m_services.pause.pause(0.1);
    if (ask(kQuellar,
            QStringLiteral(
                "Before saving the settings, it's recommended to test them.\nThis test will take 5 "
                "s/setting.\nDo you want to perform this test?"),
            {yes(), no()}) == platform::AlertResponse::First) {
        m_view.testStarted();
        m_load.setSleep(0);
        runTable(m_settings.SetA, "adapter");
        runTable(m_settings.SetB, "battery");
        m_view.testStatus(QString());
        m_load.setSleep(LoadGenerator::kIdle);
        m_services.pause.pause(0.0025);
    }
    // A save that the helper refused or that failed would otherwise pass unnoticed.
    if (!m_stop && !SaveSwitchPlist())
        tell(kError, QStringLiteral("Could not create settings file for launch daemon"));
    ctlDaemon(wasOn);
    finish();
}

// Live display.

void Controller::updateVID() {
    if (const auto vid = readEntry(kVoltageEntry))
        m_curVid = QString::number(*vid / 10000.0, 'f', 4);
    else if (m_services.fallback)
        m_curVid = QStringLiteral("unavailable");
}

void Controller::updateDiv() {
    const auto status = readEntry(kStatusLowEntry);
    m_divRead = status.has_value();
    if (status) {
        const std::uint32_t word = std::uint32_t(*status);
        m_extra = (word >> 14) & 1;
        m_currentdiv = std::int32_t((word >> 8) & 0x1F);
        m_busdiv = (word >> 15) & 1 ? 2 : 1;
    }
}

void Controller::updateCurFreq() {
    const auto bus = readEntry(kBusEntry);
    if (bus)
        m_busfreq = *bus;
    if (bus && m_divRead) {
        m_curFreq =
            QString::number((m_busfreq / m_busdiv) * m_currentdiv + (m_extra ? m_busfreq / 2 : 0));
        return;
    }
    if (m_services.fallback) {
        if (const auto megahertz = m_services.fallback->megahertz())
            m_curFreq = QString::number(*megahertz);
    }
}

void Controller::updateTemp() {
    auto celsius = readEntry(kTemperatureEntry);
    if (!celsius && m_services.fallback) {
        if (const auto kernel = m_services.fallback->celsius())
            celsius = *kernel;
    }
    if (!celsius)
        return;
    const int shown = m_settings.fahrenheitScale ? toFahrenheit(*celsius) : *celsius;
    m_curTemp = QStringLiteral("%1%2%3")
                    .arg(shown)
                    .arg(QChar(0x00B0))
                    .arg(m_settings.fahrenheitScale ? QLatin1Char('F') : QLatin1Char('C'));
}

void Controller::readFreq() {
    updateVID();
    updateDiv();
    updateCurFreq();
    updateTemp();
    const bool allAtOnce = m_settings.checkedItems[kAllAtOnce] != 0;
    if (allAtOnce || m_menuUpdate <= 0) {
        menuOut();
        m_menuUpdate = allAtOnce ? 0 : 1;
    } else {
        --m_menuUpdate;
    }
    m_view.liveValuesChanged();
}

QString statusTitle(const std::array<std::int8_t, 8>& checked, std::uint32_t& menuNr,
                    const QString& frequency, const QString& voltage, const QString& temperature) {
    const bool showFrequency = checked[kShowFrequency], showVoltage = checked[kShowVoltage],
               showTemperature = checked[kShowTemperature];
    const int ticked = int(showFrequency) + int(showVoltage) + int(showTemperature);
    if (!checked[kAllAtOnce] && ticked > 0) {
        const QString* texts[] = {&frequency, &voltage, &temperature};
        for (int tries = 0; tries < 3; ++tries) {
            const std::uint32_t shown = menuNr % 3;
            menuNr = (shown + 1) % 3;
            if (checked[shown])
                return *texts[shown];
        }
    }
    const QString separator = checked[kSmallFont] && ticked >= 2 ? QStringLiteral("\n") : QString();
    QString title;
    if (showFrequency)
        title += QLatin1Char(' ') + frequency + separator;
    if (showVoltage)
        title += QLatin1Char(' ') + voltage + (showFrequency ? QString() : separator);
    if (showTemperature)
        title += QLatin1Char(' ') + temperature;
    return title;
}

void Controller::menuOut() {
    if (!m_settings.showMenu)
        return;
    m_statusTitle =
        quellar::statusTitle(m_settings.checkedItems, m_menuNr, m_curFreq, m_curVid, m_curTemp);
}

int Controller::getChecked() const {
    return int(m_settings.checkedItems[kShowFrequency] != 0) +
           int(m_settings.checkedItems[kShowVoltage] != 0) +
           int(m_settings.checkedItems[kShowTemperature] != 0);
}

void Controller::menuController(int item) {
    if (item < 0 || item > 6)
        return;
    std::int8_t& mark = m_settings.checkedItems[std::size_t(item)];
    const std::int8_t toggled = mark ? 0 : 1;
    if (item <= 2) {
        // Something must stay visible: without an icon, the last value keeps its tick.
        if (!toggled && getChecked() == 1 && m_settings.checkedItems[kHideIcon])
            return;
        mark = toggled;
        createSettings();
        m_view.refresh();
        return;
    }
    mark = toggled;
    createSettings();
    m_menuUpdate = 0;
    menuOut();
    m_view.refresh();
}

void Controller::showMenu(bool flag) {
    m_settings.showMenu = flag;
    m_menuUpdate = 0;
    createSettings();
    m_view.refresh();
}

void Controller::setUpdateInt(int readingsPerSecond) {
    if (readingsPerSecond < 1)
        return;
    m_settings.updateInt = readingsPerSecond;
    createSettings();
}

void Controller::setFahrenheit(bool fahrenheit) {
    m_settings.fahrenheitScale = fahrenheit;
    createSettings();
    m_view.refresh();
}

void Controller::setCheckForNewVersion(bool on) {
    m_settings.checkedItems[kCheckForNewVersion] = on ? 1 : 0;
    createSettings();
}

void Controller::setCpuLoad(int value, int maximum) {
    m_load.setSleep(LoadGenerator::sleepForSlider(value, maximum));
}

} // namespace quellar
