#include "quellar/controller/linux/user_readings.h"

#include "platform/core/hw_file.h"
#include "platform/core/hw_path.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace quellar {

namespace {

// Published values older than this come from a daemon that no longer runs.
constexpr qint64 kFreshSeconds = 5;

std::optional<long long> readNumber(const std::string& path) {
    const platform::HardwareFile file = platform::readHardwareFile(path, 4096);
    if (!file.ok())
        return std::nullopt;
    bool ok = false;
    const long long number = QByteArray::fromStdString(file.content).trimmed().toLongLong(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

std::string readText(const std::string& path) {
    const platform::HardwareFile file = platform::readHardwareFile(path, 4096);
    return file.ok() ? QByteArray::fromStdString(file.content).trimmed().toStdString()
                     : std::string();
}

} // namespace

UserDriverEntries::UserDriverEntries(std::unique_ptr<DriverEntries> registers, bool registersUsable,
                                     QString published)
    : m_registers(std::move(registers)), m_registersUsable(registersUsable && m_registers),
      m_published(std::move(published)) {}

std::optional<std::int32_t> publishedEntry(const QByteArray& text, const char* name) {
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 2 || fields[0] != name)
            continue;
        bool ok = false;
        const int value = fields[1].toInt(&ok);
        if (ok)
            return value;
    }
    return std::nullopt;
}

bool UserDriverEntries::read(const char* name, std::int32_t& value) {
    if (m_registersUsable)
        return m_registers->read(name, value);
    const QFileInfo info(m_published);
    if (!info.exists() || info.lastModified().secsTo(QDateTime::currentDateTime()) > kFreshSeconds)
        return false;
    const platform::HardwareFile file = platform::readHardwareFile(m_published.toStdString(), 4096);
    if (!file.ok())
        return false;
    const auto found = publishedEntry(QByteArray::fromStdString(file.content), name);
    if (!found)
        return false;
    value = *found;
    return true;
}

std::optional<int> KernelReadings::megahertz() {
    const auto kilohertz =
        readNumber(platform::hwPath("/sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq"));
    if (!kilohertz)
        return std::nullopt;
    return int(*kilohertz / 1000);
}

std::optional<int> KernelReadings::celsius() {
    const QDir hwmon(QString::fromStdString(platform::hwPath("/sys/class/hwmon")));
    for (const QString& name : hwmon.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const std::string folder = hwmon.filePath(name).toStdString();
        const std::string sensor = readText(folder + "/name");
        if (sensor != "coretemp" && sensor != "k10temp")
            continue;
        if (const auto milli = readNumber(folder + "/temp1_input"))
            return int(*milli / 1000);
    }
    if (const auto milli = readNumber(platform::hwPath("/sys/class/thermal/thermal_zone0/temp")))
        return int(*milli / 1000);
    return std::nullopt;
}

} // namespace quellar
