#include "voltaro/core/battery_fields.h"

#include <algorithm>

namespace voltaro {

QString percentText(std::int32_t current, std::int32_t maximum) {
    if (maximum <= 0)
        return {};
    // The product wraps as 32-bit arithmetic does.
    const auto product = std::int32_t(std::uint32_t(current) * 100u);
    const std::int32_t percent = std::min(product / maximum, 100);
    if (percent < 0)
        return {};
    return QStringLiteral("%1 %").arg(percent);
}

bool isSavableReading(const BatteryFields& fields) {
    return fields.revealed && !fields.capacityPercent.isEmpty();
}

LevelBar levelBar(std::int32_t current, std::int32_t maximum) {
    return {double(maximum), double(current), maximum * 0.7, maximum * 0.3};
}

BatteryFields fieldsFromRecord(const batteryDataClass& record, bool revealed,
                               const platform::StringsTable& strings) {
    const auto mAh = [](std::int32_t value) {
        return QStringLiteral("%1 mAh").arg(value);
    };
    const auto yesNo = [&](bool value) {
        return strings.text(value ? QStringLiteral("Yes") : QStringLiteral("No"));
    };
    BatteryFields fields;
    fields.revealed = revealed;
    fields.chargeCurrent = mAh(record.chargeCurrent());
    fields.chargeMaximum = mAh(record.chargeMaximum());
    fields.capacityCurrent = mAh(record.capacityCurrent());
    // The readers' -1 (nothing found) and a typed capacity of 0 are no capacity to show.
    if (record.capacityMaximum() > 0)
        fields.capacityOriginal = mAh(record.capacityMaximum());
    fields.loadcycles = QString::number(record.additionalLoadcycles());
    const auto weeks = record.additionalAgeInWeeks();
    const auto months = record.additionalAgeInMonths();
    // Exactly 8 weeks still shows in weeks.
    if (!weeks || !months)
        fields.age = strings.text(QStringLiteral("Unknown"));
    else if (*weeks > 8)
        fields.age =
            QStringLiteral("%1 %2").arg(*months).arg(strings.text(QStringLiteral("Months")));
    else
        fields.age = QStringLiteral("%1 %2").arg(*weeks).arg(strings.text(QStringLiteral("Weeks")));
    fields.chargeBar = levelBar(record.chargeCurrent(), record.chargeMaximum());
    fields.chargePercent = percentText(record.chargeCurrent(), record.chargeMaximum());
    fields.capacityBar = levelBar(record.capacityCurrent(), record.capacityMaximum());
    fields.capacityPercent = percentText(record.capacityCurrent(), record.capacityMaximum());
    fields.chargerConnected = yesNo(record.additionalChargerConnected());
    fields.batteryCharging = yesNo(record.additionalBatteryCharging());
    return fields;
}

QStringList printLines(const BatteryFields& fields, const QString& architecture) {
    const auto line = [](const QString& name, const QString& value) {
        return QStringLiteral("%1: %2").arg(name, value);
    };
    return {
        line(label::kArchitecture, architecture),
        line(label::kChargeCurrent, fields.chargeCurrent),
        line(label::kChargeMaximum, fields.chargeMaximum),
        line(label::kChargePercent, fields.chargePercent),
        line(label::kCapacityCurrent, fields.capacityCurrent),
        line(label::kCapacityOriginal, fields.capacityOriginal),
        line(label::kCapacityPercent, fields.capacityPercent),
        line(label::kLoadcycles, fields.loadcycles),
        line(label::kAge, fields.age),
        line(label::kChargerConnected, fields.chargerConnected),
        line(label::kBatteryCharging, fields.batteryCharging),
    };
}

} // namespace voltaro
