#include "fluxen/linux/sysfs_motion_sensor.h"

#include "fluxen/core/sensor_readings.h"
#include "platform/core/hw_root.h"

#include <QDir>

#include <optional>

namespace fluxen {

namespace {

const QString kApplesmcPosition = QStringLiteral("/sys/devices/platform/applesmc.768/position");
const QString kHdapsPosition = QStringLiteral("/sys/devices/platform/hdaps/position");
const QString kIioDevices = QStringLiteral("/sys/bus/iio/devices");

std::optional<QByteArray> readAttribute(const QString& path) {
    auto bytes = platform::readHardwareFile(path);
    if (!bytes)
        return std::nullopt;
    return *bytes;
}

std::optional<SensorReading> readPosition(const QString& hardwarePath, int type) {
    const auto text = readAttribute(platform::hwPath(hardwarePath));
    if (!text)
        return std::nullopt;
    return type == kApplesmcSensor ? parseApplesmcPosition(*text) : parseHdapsPosition(*text);
}

std::optional<double> iioNumber(const QString& folder, const QString& name) {
    const auto text = readAttribute(folder + QLatin1Char('/') + name);
    return text ? parseIioNumber(*text) : std::nullopt;
}

// One axis: raw counts, the axis's own scale and offset or the shared ones.
std::optional<int> iioAxis(const QString& folder, char axis) {
    const QString prefix = QStringLiteral("in_accel_") + QLatin1Char(axis);
    const auto raw = iioNumber(folder, prefix + QStringLiteral("_raw"));
    if (!raw)
        return std::nullopt;
    auto scale = iioNumber(folder, prefix + QStringLiteral("_scale"));
    if (!scale)
        scale = iioNumber(folder, QStringLiteral("in_accel_scale"));
    if (!scale)
        return std::nullopt;
    auto offset = iioNumber(folder, prefix + QStringLiteral("_offset"));
    if (!offset)
        offset = iioNumber(folder, QStringLiteral("in_accel_offset"));
    return iioToSensorUnits(*raw, offset.value_or(0), *scale);
}

} // namespace

int SysfsMotionSensor::detect_sms() {
    m_source.clear();
    int x = 0, y = 0, z = 0;
    if (readPosition(kApplesmcPosition, kApplesmcSensor)) {
        m_source = kApplesmcPosition;
        return kApplesmcSensor;
    }
    if (readPosition(kHdapsPosition, kHdapsSensor)) {
        m_source = kHdapsPosition;
        return kHdapsSensor;
    }
    const QDir devices(platform::hwPath(kIioDevices));
    const QStringList names = devices.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        m_source = devices.filePath(name);
        if (readIio(&x, &y, &z))
            return kIioSensor;
    }
    m_source.clear();
    return kNoSensor;
}

bool SysfsMotionSensor::readIio(int* x, int* y, int* z) const {
    const auto sideways = iioAxis(m_source, 'x');
    if (!sideways)
        return false;
    *x = *sideways;
    // A two-axis device has no z; a missing axis reads as 0.
    *y = iioAxis(m_source, 'y').value_or(0);
    *z = iioAxis(m_source, 'z').value_or(0);
    return true;
}

bool SysfsMotionSensor::read_sms_raw(int type, int* x, int* y, int* z) {
    switch (type) {
    case kApplesmcSensor:
    case kHdapsSensor: {
        const auto reading =
            readPosition(type == kApplesmcSensor ? kApplesmcPosition : kHdapsPosition, type);
        if (!reading)
            return false;
        *x = reading->x;
        *y = reading->y;
        *z = reading->z;
        return true;
    }
    case kIioSensor:
        return !m_source.isEmpty() && readIio(x, y, z);
    default:
        return false;
    }
}

} // namespace fluxen
