#pragma once

#include "platform/core/resources.h"
#include "voltaro/core/system_tools.h"

#include <QHash>

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

namespace voltaro::fakes {

/// Tools that answer from tables. Shell command lines answer their text (empty when unknown);
/// the power report answers per call, counted from 0, and a call can be held until released.
class FakeTools final : public SystemTools {
public:
    std::optional<QByteArray> readShellOutput(const QString& commandLine,
                                              std::size_t maxBytes) override {
        std::lock_guard lock(m_mutex);
        commandLines.push_back(commandLine);
        if (shellFails)
            return std::nullopt;
        return shellOutputs.value(commandLine).left(qsizetype(maxBytes));
    }

    std::optional<QByteArray> runProgram(const QString& program,
                                         const QStringList& arguments) override {
        std::unique_lock lock(m_mutex);
        programs.push_back(program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
        const int call = m_calls++;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !m_held.contains(call); });
        if (programFails)
            return std::nullopt;
        const auto found = reports.find(call);
        return found != reports.end() ? found->second : report;
    }

    QString processorArchitecture() override { return QStringLiteral("AMD"); }

    void hold(int call) {
        std::lock_guard lock(m_mutex);
        m_held.insert(call);
    }
    void release(int call) {
        std::lock_guard lock(m_mutex);
        m_held.erase(call);
        m_changed.notify_all();
    }
    /// Waits until `count` calls of the power report have started.
    bool waitForCalls(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_calls >= count; });
    }
    int calls() {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    void setShellOutput(const QString& commandLine, const QByteArray& output) {
        std::lock_guard lock(m_mutex);
        shellOutputs.insert(commandLine, output);
    }
    void setReport(const QByteArray& bytes) {
        std::lock_guard lock(m_mutex);
        report = bytes;
    }
    void setReport(int call, const QByteArray& bytes) {
        std::lock_guard lock(m_mutex);
        reports[call] = bytes;
    }

    // Set before any worker runs, or through the setters.
    QHash<QString, QByteArray> shellOutputs;
    QByteArray report;
    std::map<int, QByteArray> reports;
    bool shellFails = false;
    bool programFails = false;
    std::vector<QString> commandLines;
    std::vector<QString> programs;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<int> m_held;
    int m_calls = 0;
};

/// The program's own English strings table.
inline platform::StringsTable englishStrings() {
    return platform::StringsTable::load(platform::Resources(QStringLiteral("voltaro")),
                                        QStringLiteral("Localizable"));
}

/// A newer-dialect power report with the given figures.
inline QByteArray leopardReport(int current, int maximum, int cycles, bool charging,
                                bool connected) {
    const auto flag = [](bool value) {
        return value ? "TRUE" : "FALSE";
    };
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><array><dict><key>_items</key><array>
<dict><key>_name</key><string>spbattery_information</string>
<key>sppower_battery_charge_info</key><dict>
<key>sppower_battery_current_capacity</key><integer>%1</integer>
<key>sppower_battery_is_charging</key><string>%4</string>
<key>sppower_battery_max_capacity</key><integer>%2</integer></dict>
<key>sppower_battery_health_info</key><dict>
<key>sppower_battery_cycle_count</key><integer>%3</integer></dict></dict>
<dict><key>_name</key><string>sppower_ac_charger_information</string>
<key>sppower_battery_charger_connected</key><string>%5</string></dict>
</array></dict></array></plist>)")
        .arg(current)
        .arg(maximum)
        .arg(cycles)
        .arg(QLatin1String(flag(charging)), QLatin1String(flag(connected)))
        .toUtf8();
}

} // namespace voltaro::fakes
