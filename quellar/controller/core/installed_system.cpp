#include "quellar/controller/core/installed_system.h"

#include "platform/core/hw_path.h"
#include "platform/core/process.h"
#include "platform/core/property_list.h"
#include "quellar/controller/core/system_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace quellar {

namespace {

QByteArray readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64 * 1024);
}

constexpr const char* kOldSettingsPath = "/etc/quellar/Settings.plist";

} // namespace

InstalledSystem::InstalledSystem(Locations locations) : m_locations(std::move(locations)) {
    while (m_locations.root.size() > 1 && m_locations.root.endsWith(QLatin1Char('/')))
        m_locations.root.chop(1);
}

QString InstalledSystem::pathOf(const char* systemPath) const {
    if (m_locations.root == QStringLiteral("/"))
        return QString::fromUtf8(systemPath);
    return m_locations.root + QString::fromUtf8(systemPath);
}

bool InstalledSystem::driverInstalled() const {
    return QFileInfo::exists(pathOf(kModulesLoadPath));
}
bool InstalledSystem::daemonInstalled() const {
    return QFileInfo::exists(pathOf(kInstalledDaemonPath));
}
bool InstalledSystem::launchDaemonInstalled() const {
    return QFileInfo::exists(pathOf(kLaunchDaemonPath));
}
bool InstalledSystem::fileIsMissing() const {
    return !driverInstalled() || !daemonInstalled() || !launchDaemonInstalled();
}

bool versionUpToDate(const QString& installed, const QString& bundled) {
    const QStringList mine = bundled.split(QLatin1Char('.'));
    const QStringList theirs = installed.split(QLatin1Char('.'));
    if (mine.size() != theirs.size())
        return false;
    if (installed == bundled)
        return true;
    for (qsizetype i = 0; i < mine.size(); ++i) {
        const int bundledPart = mine[i].toInt(), installedPart = theirs[i].toInt();
        if (bundledPart > installedPart)
            return false;
        if (bundledPart < installedPart)
            return true;
    }
    return true;
}

bool InstalledSystem::kextUpToDate() const {
    const QString stamp = pathOf(kDriverStampPath);
    if (!QFileInfo::exists(stamp))
        return false;
    return versionUpToDate(QString::fromUtf8(readSmallFile(stamp).trimmed()),
                           QString::fromUtf8(kDriverVersion));
}

double InstalledSystem::checkSwitcher(const QString& program) {
    if (!QFileInfo::exists(program))
        return 0;
    // The daemon answers -v on standard error; the shell joins it to standard output.
    const auto run = platform::runProgram(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("exec \"$0\" -v 2>&1"), program});
    if (!run)
        return 0;
    const QString text = QString::fromUtf8(run->standardOutput);
    if (text.isEmpty())
        return 0;
    if (text == QStringLiteral("Default throttling still running."))
        return 0.1;
    const qsizetype at = text.indexOf(QStringLiteral("version "));
    if (at < 0)
        return 0;
    static const QRegularExpression number(QStringLiteral("\\A[0-9]*\\.?[0-9]*"));
    return number.match(text.mid(at + 8)).captured().toDouble();
}

bool InstalledSystem::daemonUpToDate() const {
    const QString installed = pathOf(kInstalledDaemonPath);
    if (!QFileInfo::exists(installed))
        return true;
    return !(checkSwitcher(m_locations.bundledDaemon) > checkSwitcher(installed));
}

bool InstalledSystem::checkKext() const {
    if (!m_locations.simulatedProcessor.isEmpty())
        return QFileInfo(m_locations.simulatedProcessor).isDir();
    return QFileInfo(pathOf(kDriverModulePath)).isDir();
}

int InstalledSystem::controlId() const {
    const QDir cpus(pathOf(kCpuFolder));
    static const QRegularExpression cpu(QStringLiteral("\\Acpu[0-9]+\\z"));
    for (const QString& name : cpus.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!cpu.match(name).hasMatch())
            continue;
        const QString governor = cpus.filePath(name + QStringLiteral("/cpufreq/scaling_governor"));
        if (QFileInfo::exists(governor) && readSmallFile(governor).trimmed() != kDaemonGovernor)
            return 1;
    }
    return 0;
}

bool InstalledSystem::hasGovernors() const {
    const QDir cpus(pathOf(kCpuFolder));
    for (const QString& name :
         cpus.entryList({QStringLiteral("cpu*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (QFileInfo::exists(cpus.filePath(name + QStringLiteral("/cpufreq/scaling_governor"))))
            return true;
    }
    return false;
}

int InstalledSystem::readBackup(int fallback) const {
    const QByteArray kept = readSmallFile(pathOf(kGovernorBackupPath)).trimmed();
    return kept.isEmpty() ? fallback : 1;
}

QString InstalledSystem::machineModel() const {
    return QString::fromUtf8(
        readSmallFile(QString::fromStdString(platform::hwPath("/sys/class/dmi/id/product_name")))
            .trimmed());
}

PowerStates statesFromLimits(std::optional<std::int32_t> statusLow,
                             std::optional<std::int32_t> statusHigh) {
    if (!statusLow || !statusHigh)
        return {};
    const std::uint32_t low = std::uint32_t(*statusLow), high = std::uint32_t(*statusHigh);
    const std::uint32_t highestFrequency = (high >> 8) & 0x7F, highestVoltage = high & 0x3F;
    const std::uint32_t lowestRatio = (low >> 24) & 0x1F, lowestVoltage = (high >> 16) & 0x3F;
    if (highestFrequency == 0 || lowestRatio == 0)
        return {};
    return {powerStateBlob((highestFrequency << 8) | highestVoltage),
            powerStateBlob((lowestRatio << 8) | lowestVoltage)};
}

PowerStates InstalledSystem::factoryStates(std::optional<std::int32_t> statusLow,
                                           std::optional<std::int32_t> statusHigh) const {
    if (!m_locations.simulatedProcessor.isEmpty()) {
        // One packed control value per line, in the platform's order (fastest first).
        PowerStates states;
        const QByteArray list = readSmallFile(m_locations.simulatedProcessor +
                                              QStringLiteral("/PerformanceStateArray"));
        for (const QByteArray& line : list.split('\n')) {
            bool ok = false;
            const uint control = line.trimmed().toUInt(&ok);
            if (ok && control > 0 && control <= 0xFFFF)
                states.push_back(powerStateBlob(control));
        }
        if (!states.empty())
            return states;
    }
    return statesFromLimits(statusLow, statusHigh);
}

PowerStates InstalledSystem::oldSettings() const {
    const auto parsed = platform::readPropertyList(readSmallFile(pathOf(kOldSettingsPath)));
    PowerStates states;
    if (!parsed)
        return states;
    if (const platform::ArrayRef list = (*parsed)[QStringLiteral("DefaultValues")].toArray()) {
        for (const platform::Value& state : *list) {
            if (state.type() == platform::Value::Type::Data)
                states.push_back(state.toData());
        }
    }
    return states;
}

} // namespace quellar
