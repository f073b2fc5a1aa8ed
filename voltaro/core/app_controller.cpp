#include "voltaro/core/app_controller.h"

#include "platform/core/log.h"
#include "voltaro/core/history.h"
#include "voltaro/core/leading_integer.h"

#include <thread>

namespace voltaro {

// ---------------------------------------------------------------------------------------------
// Readers

ToolReaders::ToolReaders(std::shared_ptr<SystemTools> tools, double appKitVersionNumber)
    : m_tools(std::move(tools)), m_appKitVersionNumber(appKitVersionNumber) {}

std::optional<QByteArray> ToolReaders::runCommand(const QString& commandLine, int bytes) const {
    auto head = m_tools->readShellOutput(commandLine, std::size_t(bytes));
    if (!head)
        return std::nullopt;
    // The buffer is exactly N bytes; what the command did not fill stays NUL.
    head->resize(bytes, '\0');
    return head;
}

int ToolReaders::detectOSX() const {
    return voltaro::detectOSX(m_appKitVersionNumber);
}

platform::Dictionary ToolReaders::readPowerReport(ReportDialect dialect) const {
    auto report = m_tools->runProgram(kSystemProfilerProgram, kPowerReportArguments);
    if (!report)
        return readingDictionaryDefaults();
    return parsePowerReport(*report, dialect);
}

platform::Dictionary ToolReaders::readStandardBatteryData_LEOPARD() const {
    return readPowerReport(ReportDialect::Leopard);
}

platform::Dictionary ToolReaders::readStandardBatteryData_TIGER() const {
    return readPowerReport(ReportDialect::Tiger);
}

std::int32_t ToolReaders::INTEL_capacityMaximum() const {
    return capacityFromShortOutput(runCommand(kIntelCapacityCommand, kCapacityBytes));
}

std::int32_t ToolReaders::PPC_capacityMaximum() const {
    return capacityFromShortOutput(
        runCommand(ppcCapacityCommand(m_appKitVersionNumber), kCapacityBytes));
}

QString ToolReaders::probe(const QString& commandLine) const {
    // A probe that cannot start reads as empty output.
    return classifyComputerType(runCommand(commandLine, kProbeBytes).value_or(QByteArray()));
}

QString ToolReaders::getComputerTypeString() const {
    return probe(kProductNameProbe);
}

QString ToolReaders::getComputerTypeStringLEO() const {
    return probe(kModelIdentifierProbe);
}

QString ToolReaders::getComputerTypeStringTIGER() const {
    return probe(kModelProbe);
}

bool ToolReaders::hasBattery() const {
    auto report = m_tools->runProgram(kSystemProfilerProgram, kPowerReportArguments);
    if (!report)
        return false;
    return powerReportListsBattery(*report);
}

QString ToolReaders::processorArchitecture() const {
    return m_tools->processorArchitecture();
}

QString ToolReaders::UNIVERSAL_getSerial() const {
    // A pipeline that cannot start leaves the buffer as it was made: eleven NUL characters.
    const QByteArray serial =
        runCommand(kSerialCommand, kSerialBytes).value_or(QByteArray(kSerialBytes, '\0'));
    return QString::fromLatin1(serial);
}

std::optional<Age> ToolReaders::age(const std::optional<QString>& customSerial,
                                    const QDateTime& now) const {
    return ageFromSerial(customSerial ? *customSerial : UNIVERSAL_getSerial(), now);
}

std::optional<std::int32_t>
ToolReaders::UNIVERSAL_ageInMonths(const std::optional<QString>& customSerial,
                                   const QDateTime& now) const {
    const auto found = age(customSerial, now);
    return found ? std::optional(found->months) : std::nullopt;
}

std::optional<std::int32_t>
ToolReaders::UNIVERSAL_ageInWeeks(const std::optional<QString>& customSerial,
                                  const QDateTime& now) const {
    const auto found = age(customSerial, now);
    return found ? std::optional(found->weeks) : std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Controller

// What the controller shares with its workers; a worker keeps it alive while it runs, so a
// worker stuck in a tool outlives the controller harmlessly.
struct appController::Shared {
    explicit Shared(ToolReaders readers) : readers(std::move(readers)) {}

    const ToolReaders readers;

    /// The lock `battery`, over the record.
    mutable std::mutex battery;
    batteryDataClass globalBatteryData;

    mutable std::mutex workersMutex;
    std::condition_variable workersDone;
    int runningWorkers = 0;
};

appController::appController(platform::Clock& clock, platform::Alerts& alerts,
                             platform::Defaults& defaults, const platform::StringsTable& strings,
                             std::shared_ptr<SystemTools> tools, double appKitVersionNumber)
    : m_clock(clock), m_alerts(alerts), m_defaults(defaults), m_strings(strings),
      m_shared(std::make_shared<Shared>(ToolReaders(std::move(tools), appKitVersionNumber))),
      m_shownFields(fieldsFromRecord(batteryDataClass(), false, strings)) {}

appController::~appController() {
    m_displayTimer.reset();
    m_workerTimer.reset();
    if (!waitForWorkers(std::chrono::seconds(2)))
        platform::log(QStringLiteral("a battery worker is still running; leaving it behind"));
}

bool appController::identifyComputer() {
    const ToolReaders& readers = m_shared->readers;
    QString family = readers.getComputerTypeString();
    if (family == family::kUnknown)
        family = readers.getComputerTypeStringLEO();
    if (family == family::kUnknown)
        family = readers.getComputerTypeStringTIGER();
    m_globalComputerTypeString = adaptFamilyToLinux(family, readers.hasBattery());
    if (m_globalComputerTypeString == family::kLinuxNotebook)
        m_processorArchitecture = readers.processorArchitecture();
    return isSupportedFamily(m_globalComputerTypeString);
}

platform::Alert appController::unsupportedComputerAlert() const {
    platform::Alert alert;
    alert.messageText = m_strings.text(QStringLiteral("UnsupportedComputerTitle"));
    alert.informativeText = QStringLiteral("%1 (%2)").arg(
        m_strings.text(QStringLiteral("UnsupportedComputerText")), m_globalComputerTypeString);
    alert.buttons = {m_strings.text(QStringLiteral("QuitApp"))};
    return alert;
}

QString appController::architectureText() const {
    return architectureLabel(m_globalComputerTypeString, m_processorArchitecture);
}

bool appController::awakeFromNib(MainWindowOutlets& window) {
    if (!identifyComputer()) {
        m_alerts.runModal(unsupportedComputerAlert());
        return false;
    }
    m_window = &window;
    PreferencesSheet sheet;
    loadPreferences(m_defaults, sheet);
    window.loadPreferences(sheet);
    window.centerWindows();
    window.setArchitecture(architectureText());
    m_displayTimer =
        m_clock.scheduleTimer(1.0, platform::Repeats::Yes, [this] { batteryDataThreadTimer(); });
    batteryDataThreadTimer();
    m_workerTimer =
        m_clock.scheduleTimer(7.0, platform::Repeats::Yes, [this] { batteryGrepThreadTimer(); });
    batteryGrepThreadTimer();
    return true;
}

void appController::batteryDataThreadTimer() {
    bool revealed = false;
    {
        std::lock_guard lock(m_shared->battery);
        revealed = m_shared->globalBatteryData.hasRecievedRealBatteryData();
    }
    {
        std::lock_guard lock(m_shared->battery);
        m_shownFields = fieldsFromRecord(m_shared->globalBatteryData, revealed, m_strings);
    }
    if (m_window)
        m_window->showBatteryFields(m_shownFields);
}

appController::WorkerSettings appController::workerSettings() const {
    return {m_globalComputerTypeString, textForKey(m_defaults, key::kCustomCapacity),
            textForKey(m_defaults, key::kCustomSerial), m_clock.currentDate()};
}

void appController::batteryGrepThreadTimer() {
    {
        std::lock_guard lock(m_shared->workersMutex);
        if (m_shared->runningWorkers >= kMaxRunningWorkers) {
            if (!m_reportedStuckWorkers)
                platform::log(QStringLiteral("%1 battery workers are stuck in the tools; no new "
                                             "one starts until they end")
                                  .arg(m_shared->runningWorkers));
            m_reportedStuckWorkers = true;
            return;
        }
        m_reportedStuckWorkers = false;
        ++m_shared->runningWorkers;
    }
    std::thread([shared = m_shared, settings = workerSettings()] {
        batteryGrepThread(*shared, settings);
        std::lock_guard lock(shared->workersMutex);
        --shared->runningWorkers;
        shared->workersDone.notify_all();
    }).detach();
}

void appController::runWorkerNow() {
    batteryGrepThread(*m_shared, workerSettings());
}

bool appController::waitForWorkers(std::chrono::milliseconds timeout, int atMost) {
    std::unique_lock lock(m_shared->workersMutex);
    return m_shared->workersDone.wait_for(lock, timeout,
                                          [&] { return m_shared->runningWorkers <= atMost; });
}

int appController::runningWorkers() const {
    std::lock_guard lock(m_shared->workersMutex);
    return m_shared->runningWorkers;
}

batteryDataClass appController::globalBatteryData() const {
    std::lock_guard lock(m_shared->battery);
    return m_shared->globalBatteryData;
}

void appController::batteryGrepThread(Shared& shared, const WorkerSettings& settings) {
    const ToolReaders& readers = shared.readers;
    // Outside the lock: the report and the design capacity touch nothing shared.
    const platform::Dictionary reading = readers.detectOSX() == 1
                                             ? readers.readStandardBatteryData_LEOPARD()
                                             : readers.readStandardBatteryData_TIGER();
    std::int32_t designCapacity = -1;
    if (settings.customCapacity)
        designCapacity = leadingInteger(*settings.customCapacity);
    else if (settings.family == family::kPpcNotebook)
        designCapacity = readers.PPC_capacityMaximum();
    else if (settings.family == family::kIntelNotebook || settings.family == family::kLinuxNotebook)
        designCapacity = readers.INTEL_capacityMaximum();

    const auto number = [&](const QString& key) {
        return readingInteger(reading, key);
    };
    const auto flag = [&](const QString& key) {
        return readingFlag(reading, key);
    };

    std::lock_guard lock(shared.battery);
    batteryDataClass& record = shared.globalBatteryData;
    record.setAdditionalLoadcycles(number(reading::kLoadcycles));
    // The age pipelines run with the lock held, as the display may wait for them.
    record.setAdditionalAgeInMonths(
        readers.UNIVERSAL_ageInMonths(settings.customSerial, settings.now));
    record.setAdditionalAgeInWeeks(
        readers.UNIVERSAL_ageInWeeks(settings.customSerial, settings.now));
    record.setCapacityMaximum(designCapacity);
    record.setCapacityCurrent(number(reading::kCurrentCapacity));
    record.setChargeCurrent(number(reading::kCurrentCharge));
    record.setChargeMaximum(number(reading::kMaximumCharge));
    record.setAdditionalBatteryCharging(flag(reading::kCharging));
    record.setAdditionalChargerConnected(flag(reading::kChargerConnected));
    record.setHasRecievedRealBatteryData(true);
}

void appController::preferences_savePreferences(const PreferencesSheet& sheet) {
    storePreferences(m_defaults, sheet);
    batteryGrepThreadTimer();
}

bool appController::savedData_saveData(Voltaro_AppDelegate& delegate) {
    if (!isSavableReading(m_shownFields)) {
        platform::log(QStringLiteral("no capacity percentage to add to the history yet"));
        m_alerts.beep();
        return false;
    }
    const QString date = m_clock.currentDate().toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
    delegate.managedObjectContext().insert(
        {date, QStringLiteral("%1 (%2)").arg(m_shownFields.capacityPercent,
                                             m_shownFields.capacityCurrent)});
    return true;
}

} // namespace voltaro
