#include "voltaro/core/battery_readers.h"

#include "platform/core/property_list.h"
#include "voltaro/core/leading_integer.h"

#include <algorithm>
#include <cmath>

namespace voltaro {

namespace {

using platform::Value;

const QString kBatteryItem = QStringLiteral("spbattery_information");
const QString kChargerItem = QStringLiteral("sppower_ac_charger_information");

// Storing an absent value removes the key, as setting nil would.
void store(platform::Dictionary& reading, const QString& key, const Value& value) {
    if (value.isNone())
        reading.erase(key);
    else
        reading[key] = value;
}

// Flags are true for anything but the exact text "FALSE", an absent value included.
bool notFalse(const Value& value) {
    return !(value.type() == Value::Type::String && value.toString() == QLatin1String("FALSE"));
}

// The report's item dictionaries: top level an array, element 0 a dictionary holding the
// "_items" array. Null for any other shape.
platform::ArrayRef reportItems(QByteArrayView report) {
    const auto root = platform::readPropertyList(report);
    if (!root)
        return nullptr;
    return root->at(0)[QStringLiteral("_items")].toArray();
}

void readLeopardBattery(platform::Dictionary& reading, const Value& item) {
    const Value chargeInfo = item[QStringLiteral("sppower_battery_charge_info")];
    store(reading, reading::kLoadcycles,
          item[QStringLiteral("sppower_battery_health_info")]
              [QStringLiteral("sppower_battery_cycle_count")]);
    store(reading, reading::kCurrentCharge,
          chargeInfo[QStringLiteral("sppower_battery_current_capacity")]);
    store(reading, reading::kMaximumCharge,
          chargeInfo[QStringLiteral("sppower_battery_max_capacity")]);
    store(reading, reading::kCurrentCapacity,
          chargeInfo[QStringLiteral("sppower_battery_max_capacity")]);
    reading[reading::kCharging] =
        notFalse(chargeInfo[QStringLiteral("sppower_battery_is_charging")]);
}

void readTigerBattery(platform::Dictionary& reading, const Value& item) {
    store(reading, reading::kLoadcycles, item[QStringLiteral("sppower_cycles")]);
    store(reading, reading::kCurrentCharge, item[QStringLiteral("sppower_current_value")]);
    store(reading, reading::kMaximumCharge, item[QStringLiteral("sppower_capacity")]);
    store(reading, reading::kCurrentCapacity, item[QStringLiteral("sppower_capacity")]);
}

void readCharger(platform::Dictionary& reading, const Value& item, ReportDialect dialect) {
    reading[reading::kChargerConnected] =
        notFalse(item[QStringLiteral("sppower_battery_charger_connected")]);
    if (dialect == ReportDialect::Tiger)
        reading[reading::kCharging] = notFalse(item[QStringLiteral("sppower_battery_charging")]);
}

} // namespace

int detectOSX(double appKitVersionNumber) {
    return std::floor(appKitVersionNumber) < 949.0 ? 2 : 1;
}

platform::Dictionary readingDictionaryDefaults() {
    const Value one = QStringLiteral("1");
    return {
        {reading::kCurrentCharge, one},   {reading::kMaximumCharge, one},
        {reading::kCurrentCapacity, one}, {reading::kOriginalCapacity, one},
        {reading::kLoadcycles, one},      {reading::kChargerConnected, false},
        {reading::kCharging, false},
    };
}

platform::Dictionary parsePowerReport(QByteArrayView report, ReportDialect dialect) {
    platform::Dictionary reading = readingDictionaryDefaults();
    const platform::ArrayRef items = reportItems(report);
    if (!items)
        return reading;
    // Later items of the same name overwrite what earlier ones stored.
    for (const Value& item : *items) {
        if (item.type() != Value::Type::Dictionary)
            continue;
        const QString name = item[QStringLiteral("_name")].toString();
        if (name == kBatteryItem) {
            if (dialect == ReportDialect::Leopard)
                readLeopardBattery(reading, item);
            else
                readTigerBattery(reading, item);
        }
        if (name == kChargerItem)
            readCharger(reading, item, dialect);
    }
    return reading;
}

std::int32_t readingInteger(const platform::Dictionary& reading, const QString& key) {
    const auto found = reading.find(key);
    return found == reading.end() ? 0 : integerValue(found->second);
}

bool readingFlag(const platform::Dictionary& reading, const QString& key) {
    const auto found = reading.find(key);
    return found != reading.end() && boolValue(found->second);
}

bool powerReportListsBattery(QByteArrayView report) {
    const platform::ArrayRef items = reportItems(report);
    if (!items)
        return false;
    return std::any_of(items->begin(), items->end(), [](const Value& item) {
        return item[QStringLiteral("_name")].toString() == kBatteryItem;
    });
}

std::int32_t capacityFromShortOutput(const std::optional<QByteArray>& output) {
    if (!output)
        return 1;
    const std::int32_t capacity = leadingInteger(QByteArrayView(*output));
    return capacity == 0 ? -1 : capacity;
}

QString ppcCapacityCommand(double appKitVersionNumber) {
    return std::floor(appKitVersionNumber) >= 949.0 ? kPpcCapacityCommandNewer
                                                    : kPpcCapacityCommandOlder;
}

} // namespace voltaro
