#pragma once

#include <QByteArrayView>

#include <optional>

namespace fluxen {

/// One reading of a motion sensor in the simulation's units: x grows with sideways tilt at
/// about 256 units per g (1024 units for a full turn of the notebook).
struct SensorReading {
    int x = 0;
    int y = 0;
    int z = 0;
};

/// About 256 sensor units per g of acceleration.
inline constexpr double kUnitsPerG = 256.0;
/// Standard gravity in m/s^2, the unit of industrial-I/O accelerometers after scaling.
inline constexpr double kStandardGravity = 9.80665;
/// The ThinkPad accelerometer's "position" counts per g, approximately.
inline constexpr double kHdapsCountsPerG = 64.0;

/// The applesmc "position" attribute, "(x,y,z)" with signed integers. Its counts are already
/// about 256 per g and pass unchanged.
std::optional<SensorReading> parseApplesmcPosition(QByteArrayView text);

/// The hdaps "position" attribute, "(x,y)", scaled from about 64 counts per g to the
/// simulation's units; z is 0.
std::optional<SensorReading> parseHdapsPosition(QByteArrayView text);

/// A number of an industrial-I/O attribute ("in_accel_x_raw", "in_accel_scale"): one decimal
/// number, optionally followed by a line break.
std::optional<double> parseIioNumber(QByteArrayView text);

/// An industrial-I/O acceleration, (raw + offset) x scale in m/s^2, in the simulation's units.
int iioToSensorUnits(double raw, double offset, double scale);

} // namespace fluxen
