#pragma once

#include "platform/core/alerts.h"
#include "platform/core/clock.h"
#include "platform/core/defaults.h"
#include "platform/core/resources.h"
#include "voltaro/core/battery_fields.h"
#include "voltaro/core/battery_readers.h"
#include "voltaro/core/battery_record.h"
#include "voltaro/core/machine.h"
#include "voltaro/core/preferences.h"
#include "voltaro/core/system_tools.h"

#include <QDateTime>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace voltaro {

class Voltaro_AppDelegate;

/// The tool readers of the main controller. They keep no state between calls, so any number of
/// workers may run them at once on their own threads.
class ToolReaders {
public:
    ToolReaders(std::shared_ptr<SystemTools> tools, double appKitVersionNumber);

    /// The short-output routine: the head of a shell pipeline's output as exactly `bytes`
    /// bytes, the unread tail NUL. Nothing when the shell cannot be started.
    std::optional<QByteArray> runCommand(const QString& commandLine, int bytes) const;

    int detectOSX() const;
    platform::Dictionary readStandardBatteryData_LEOPARD() const;
    platform::Dictionary readStandardBatteryData_TIGER() const;
    std::int32_t INTEL_capacityMaximum() const;
    std::int32_t PPC_capacityMaximum() const;

    QString getComputerTypeString() const;
    QString getComputerTypeStringLEO() const;
    QString getComputerTypeStringTIGER() const;
    /// Whether the power report lists a battery (the Linux test for a notebook).
    bool hasBattery() const;
    QString processorArchitecture() const;

    /// The hardware serial: 11 characters, NUL where the pipeline printed nothing.
    QString UNIVERSAL_getSerial() const;
    /// The age from `customSerial` when it holds text, else from the hardware serial; unknown
    /// when that serial holds no date.
    std::optional<std::int32_t> UNIVERSAL_ageInMonths(const std::optional<QString>& customSerial,
                                                      const QDateTime& now) const;
    std::optional<std::int32_t> UNIVERSAL_ageInWeeks(const std::optional<QString>& customSerial,
                                                     const QDateTime& now) const;

private:
    platform::Dictionary readPowerReport(ReportDialect dialect) const;
    QString probe(const QString& commandLine) const;
    std::optional<Age> age(const std::optional<QString>& customSerial, const QDateTime& now) const;

    std::shared_ptr<SystemTools> m_tools;
    double m_appKitVersionNumber;
};

/// What the main window shows for the controller.
class MainWindowOutlets {
public:
    virtual ~MainWindowOutlets() = default;
    /// Fills the preferences sheet (once, at start).
    virtual void loadPreferences(const PreferencesSheet& sheet) = 0;
    /// Centres the main and about windows on the screen.
    virtual void centerWindows() = 0;
    virtual void setArchitecture(const QString& text) = 0;
    /// The display refresh, every second.
    virtual void showBatteryFields(const BatteryFields& fields) = 0;
};

/// The main controller: machine identification, the shared battery record with its lock, the
/// refresh cycle and the preferences actions.
///
/// A worker is started every 7 seconds, once at start and on each save of the preferences,
/// each on its own thread and without waiting for the previous one; one lock serialises their
/// writes to the record. Workers stuck in a tool that never ends would pile up, one every
/// 7 seconds, so no new one starts while `kMaxRunningWorkers` are running. The display copies the
/// record into the window every second on the main thread, and reveals the fields once the first
/// worker has finished. Workers take what they need from the main thread when they start (the
/// family, the custom capacity and serial, the date), so they share nothing with it but the record.
class appController {
public:
    appController(platform::Clock& clock, platform::Alerts& alerts, platform::Defaults& defaults,
                  const platform::StringsTable& strings, std::shared_ptr<SystemTools> tools,
                  double appKitVersionNumber = kAppKitVersionNumber10_5);
    /// Stops the timers and waits a little for running workers; a worker stuck in a tool is
    /// left to finish on its own.
    ~appController();
    appController(const appController&) = delete;
    appController& operator=(const appController&) = delete;

    /// The start-up sequence: machine identification (an unsupported computer gets the alert
    /// and the answer false, and the caller quits), the preferences sheet, the windows, the
    /// architecture field, then the 1-second display timer and the 7-second worker timer, each
    /// also run once at once.
    bool awakeFromNib(MainWindowOutlets& window);

    /// Runs the model probes (and the Linux battery test) and keeps the family. Answers
    /// whether the computer is supported.
    bool identifyComputer();
    const QString& globalComputerTypeString() const { return m_globalComputerTypeString; }
    /// The alert for an unsupported computer.
    platform::Alert unsupportedComputerAlert() const;
    QString architectureText() const;

    /// The display refresh: copies the record into the window's fields.
    void batteryDataThreadTimer();
    /// Starts one worker on a thread of its own, unless `kMaxRunningWorkers` are running.
    void batteryGrepThreadTimer();
    static constexpr int kMaxRunningWorkers = 4;
    /// Runs one worker on the calling thread and waits for it.
    void runWorkerNow();
    /// Waits until no more than `atMost` workers are running; false on timeout.
    bool waitForWorkers(std::chrono::milliseconds timeout, int atMost = 0);
    /// Workers started and not yet finished.
    int runningWorkers() const;

    /// The fields the display refresh last showed (the start values' before the first).
    const BatteryFields& shownFields() const { return m_shownFields; }
    /// A copy of the record, taken under the lock.
    batteryDataClass globalBatteryData() const;

    /// The preferences sheet's save: stores the settings, then starts a worker at once.
    void preferences_savePreferences(const PreferencesSheet& sheet);

    /// The history button: adds today's entry with the capacity texts the window shows.
    /// Before the first reading, or without a capacity percentage, it adds nothing, beeps and
    /// answers false.
    bool savedData_saveData(Voltaro_AppDelegate& delegate);

private:
    struct Shared;
    struct WorkerSettings {
        QString family;
        std::optional<QString> customCapacity;
        std::optional<QString> customSerial;
        QDateTime now;
    };
    WorkerSettings workerSettings() const;
    static void batteryGrepThread(Shared& shared, const WorkerSettings& settings);

    platform::Clock& m_clock;
    platform::Alerts& m_alerts;
    platform::Defaults& m_defaults;
    const platform::StringsTable& m_strings;
    std::shared_ptr<Shared> m_shared;
    MainWindowOutlets* m_window = nullptr;
    QString m_globalComputerTypeString = family::kUnknown;
    QString m_processorArchitecture;
    BatteryFields m_shownFields;
    bool m_reportedStuckWorkers = false;
    std::unique_ptr<platform::Timer> m_displayTimer;
    std::unique_ptr<platform::Timer> m_workerTimer;
};

} // namespace voltaro
