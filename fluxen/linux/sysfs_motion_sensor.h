#pragma once

#include "fluxen/core/motion_sensor.h"

#include <QString>

namespace fluxen {

/// The notebook's accelerometer through sysfs, every path through `platform::hwPath`:
/// - applesmc: /sys/devices/platform/applesmc.768/position, "(x,y,z)";
/// - hdaps: /sys/devices/platform/hdaps/position, "(x,y)";
/// - industrial I/O: the first /sys/bus/iio/devices/<device> with in_accel_x_raw, scaled by
///   in_accel_x_scale or in_accel_scale and shifted by in_accel_x_offset or in_accel_offset.
/// Looked for in that order. Readings come in the simulation's units (see `SensorReading`).
class SysfsMotionSensor final : public MotionSensor {
public:
    int detect_sms() override;
    bool read_sms_raw(int type, int* x, int* y, int* z) override;

    /// The folder or file found by the last `detect_sms`, for the log.
    const QString& source() const { return m_source; }

private:
    bool readIio(int* x, int* y, int* z) const;

    QString m_source;
};

} // namespace fluxen
