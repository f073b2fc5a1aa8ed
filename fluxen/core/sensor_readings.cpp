#include "fluxen/core/sensor_readings.h"

#include <QByteArray>
#include <QList>

#include <cmath>
#include <limits>

namespace fluxen {

namespace {

// "(a,b,...)" with exactly `count` integers; blanks around the numbers are allowed.
std::optional<QList<int>> parseTuple(QByteArrayView text, int count) {
    const QByteArray trimmed = text.toByteArray().trimmed();
    if (trimmed.size() < 2 || !trimmed.startsWith('(') || !trimmed.endsWith(')'))
        return std::nullopt;
    const QList<QByteArray> parts = trimmed.mid(1, trimmed.size() - 2).split(',');
    if (parts.size() != count)
        return std::nullopt;
    QList<int> values;
    for (const QByteArray& part : parts) {
        bool ok = false;
        const int value = part.trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
        values.append(value);
    }
    return values;
}

int toSensorUnits(double value) {
    const double limit = std::numeric_limits<int>::max() / 2.0;
    return static_cast<int>(std::lround(std::clamp(value, -limit, limit)));
}

} // namespace

std::optional<SensorReading> parseApplesmcPosition(QByteArrayView text) {
    const auto values = parseTuple(text, 3);
    if (!values)
        return std::nullopt;
    return SensorReading{values->at(0), values->at(1), values->at(2)};
}

std::optional<SensorReading> parseHdapsPosition(QByteArrayView text) {
    const auto values = parseTuple(text, 2);
    if (!values)
        return std::nullopt;
    const double scale = kUnitsPerG / kHdapsCountsPerG;
    return SensorReading{toSensorUnits(values->at(0) * scale), toSensorUnits(values->at(1) * scale),
                         0};
}

std::optional<double> parseIioNumber(QByteArrayView text) {
    const QByteArray trimmed = text.toByteArray().trimmed();
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int iioToSensorUnits(double raw, double offset, double scale) {
    return toSensorUnits((raw + offset) * scale / kStandardGravity * kUnitsPerG);
}

} // namespace fluxen
