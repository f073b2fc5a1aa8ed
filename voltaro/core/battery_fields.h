#pragma once

#include "platform/core/resources.h"
#include "voltaro/core/battery_record.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace voltaro {

/// A level bar: the value against its maximum, with the thresholds below which it warns and
/// turns critical.
struct LevelBar {
    double maximum = 0;
    double value = 0;
    double warning = 0;
    double critical = 0;
    friend bool operator==(const LevelBar&, const LevelBar&) = default;
};

/// Everything the display refresh puts into the main window.
struct BatteryFields {
    /// False until the first worker run has completed; the ten text fields stay hidden until
    /// then.
    bool revealed = false;
    QString chargeCurrent;    ///< "%d mAh"
    QString chargeMaximum;    ///< "%d mAh"
    QString chargePercent;    ///< "%i %", empty when there is no valid percentage
    QString capacityCurrent;  ///< "%d mAh"
    QString capacityOriginal; ///< "%d mAh", empty when no design capacity was found
    QString capacityPercent;  ///< "%i %", empty when there is no valid percentage
    QString loadcycles;       ///< "%d"
    QString age;              ///< "%d Months", "%d Weeks" or "Unknown"
    QString chargerConnected; ///< "Yes" or "No"
    QString batteryCharging;  ///< "Yes" or "No"
    LevelBar chargeBar;
    LevelBar capacityBar;
    friend bool operator==(const BatteryFields&, const BatteryFields&) = default;
};

/// The percentage of `current` against `maximum`: (current × 100) ÷ maximum in signed 32-bit
/// arithmetic, truncated toward zero, at most 100, as "%i %". A maximum of 0 or less (none
/// found, or the reader's -1 for "not found") has no percentage, nor has a quotient below 0;
/// both give the empty text.
QString percentText(std::int32_t current, std::int32_t maximum);

/// Whether the fields hold a reading worth keeping in the history: a real one (after the first
/// worker) with a capacity percentage.
bool isSavableReading(const BatteryFields& fields);

/// The bar of `current` against `maximum`: warning at 70 %, critical at 30 % of the maximum.
LevelBar levelBar(std::int32_t current, std::int32_t maximum);

/// The fields for a record. `revealed` is taken as given: the display reads it apart.
BatteryFields fieldsFromRecord(const batteryDataClass& record, bool revealed,
                               const platform::StringsTable& strings);

/// The labels of the window's fields, in the window's order, and the `--print` lines.
namespace label {
inline const QString kArchitecture = QStringLiteral("Architecture");
inline const QString kChargeCurrent = QStringLiteral("Current charge");
inline const QString kChargeMaximum = QStringLiteral("Full charge capacity");
inline const QString kChargePercent = QStringLiteral("Charge level");
inline const QString kCapacityCurrent = QStringLiteral("Present capacity");
inline const QString kCapacityOriginal = QStringLiteral("Design capacity");
inline const QString kCapacityPercent = QStringLiteral("Battery health");
inline const QString kLoadcycles = QStringLiteral("Cycle count");
inline const QString kAge = QStringLiteral("Computer age");
inline const QString kChargerConnected = QStringLiteral("Charger connected");
inline const QString kBatteryCharging = QStringLiteral("Charging");
} // namespace label

/// The window's fields as "label: value" lines, in the window's order.
QStringList printLines(const BatteryFields& fields, const QString& architecture);

} // namespace voltaro
