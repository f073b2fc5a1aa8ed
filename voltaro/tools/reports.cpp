#include "voltaro/tools/reports.h"

#include "platform/core/property_list.h"

#include <algorithm>
#include <limits>

namespace voltaro::tools {

namespace {

using platform::Value;

qint64 clamped(std::int64_t value) {
    return std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max());
}

QString flag(bool value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString yesNo(bool value) {
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

void putNumber(platform::Dictionary& dictionary, const QString& key,
               const std::optional<std::int64_t>& value) {
    if (value)
        dictionary[key] = Value(clamped(*value));
}

void putText(platform::Dictionary& dictionary, const QString& key, const QString& value) {
    if (!value.isEmpty())
        dictionary[key] = value;
}

QByteArray report(const QString& dataType, Value items, const QDateTime& now) {
    platform::Dictionary dataTypeEntry{
        {QStringLiteral("_SPCommandLineArguments"),
         Value::newArray(
             {QStringLiteral("/usr/sbin/system_profiler"), QStringLiteral("-xml"), dataType})},
        {QStringLiteral("_dataType"), dataType},
        {QStringLiteral("_detailLevel"), QStringLiteral("0")},
        {QStringLiteral("_items"), std::move(items)},
        {QStringLiteral("_parentDataType"), QStringLiteral("SPHardwareDataType")},
        {QStringLiteral("_timeStamp"), now},
    };
    auto bytes = platform::writeXmlPropertyList(
        Value::newArray({Value::newDictionary(std::move(dataTypeEntry))}));
    return bytes ? *bytes : QByteArray();
}

QString number(const std::optional<std::int64_t>& value) {
    return QString::number(clamped(value.value_or(0)));
}

} // namespace

QByteArray powerReportXml(const PowerSupplies& supplies, const QDateTime& now) {
    platform::Array items;
    if (const auto battery = supplies.combinedBattery()) {
        platform::Dictionary chargeInfo{
            {QStringLiteral("sppower_battery_fully_charged"), flag(battery->isFull())},
            {QStringLiteral("sppower_battery_is_charging"), flag(battery->isCharging())},
        };
        putNumber(chargeInfo, QStringLiteral("sppower_battery_current_capacity"),
                  battery->chargeNow);
        putNumber(chargeInfo, QStringLiteral("sppower_battery_max_capacity"), battery->chargeFull);
        platform::Dictionary healthInfo;
        putNumber(healthInfo, QStringLiteral("sppower_battery_cycle_count"), battery->cycleCount);
        platform::Dictionary modelInfo;
        putText(modelInfo, QStringLiteral("sppower_battery_manufacturer"), battery->manufacturer);
        putText(modelInfo, QStringLiteral("sppower_battery_device_name"), battery->model);
        putText(modelInfo, QStringLiteral("sppower_battery_serial_number"), battery->serial);
        platform::Dictionary item{
            {QStringLiteral("_name"), QStringLiteral("spbattery_information")},
            {QStringLiteral("sppower_battery_charge_info"), Value::newDictionary(chargeInfo)},
            {QStringLiteral("sppower_battery_health_info"), Value::newDictionary(healthInfo)},
            {QStringLiteral("sppower_battery_installed"), flag(true)},
            {QStringLiteral("sppower_battery_model_info"), Value::newDictionary(modelInfo)},
        };
        putNumber(item, QStringLiteral("sppower_current_amperage"), battery->amperage);
        putNumber(item, QStringLiteral("sppower_current_voltage"), battery->voltage);
        items.push_back(Value::newDictionary(std::move(item)));
    }
    const auto battery = supplies.combinedBattery();
    items.push_back(Value::newDictionary({
        {QStringLiteral("_name"), QStringLiteral("sppower_ac_charger_information")},
        {QStringLiteral("sppower_battery_charger_connected"), flag(supplies.chargerConnected())},
        {QStringLiteral("sppower_battery_is_charging"), flag(battery && battery->isCharging())},
    }));
    return report(QStringLiteral("SPPowerDataType"), Value::newArray(std::move(items)), now);
}

QByteArray powerReportText(const PowerSupplies& supplies) {
    QString text = QStringLiteral("Power:\n\n");
    const auto battery = supplies.combinedBattery();
    if (battery) {
        text += QStringLiteral("    Battery Information:\n\n      Model Information:\n");
        if (!battery->serial.isEmpty())
            text += QStringLiteral("          Serial Number: %1\n").arg(battery->serial);
        if (!battery->manufacturer.isEmpty())
            text += QStringLiteral("          Manufacturer: %1\n").arg(battery->manufacturer);
        if (!battery->model.isEmpty())
            text += QStringLiteral("          Device Name: %1\n").arg(battery->model);
        text += QStringLiteral("      Charge Information:\n");
        if (battery->chargeNow)
            text += QStringLiteral("          Charge Remaining (mAh): %1\n")
                        .arg(number(battery->chargeNow));
        text += QStringLiteral("          Fully Charged: %1\n").arg(yesNo(battery->isFull()));
        text += QStringLiteral("          Charging: %1\n").arg(yesNo(battery->isCharging()));
        if (battery->chargeFull)
            text += QStringLiteral("          Full Charge Capacity (mAh): %1\n")
                        .arg(number(battery->chargeFull));
        text += QStringLiteral("      Health Information:\n");
        if (battery->cycleCount)
            text += QStringLiteral("          Cycle Count: %1\n").arg(number(battery->cycleCount));
        text += QStringLiteral("      Battery Installed: Yes\n");
        if (battery->amperage)
            text += QStringLiteral("      Amperage (mA): %1\n").arg(number(battery->amperage));
        if (battery->voltage)
            text += QStringLiteral("      Voltage (mV): %1\n").arg(number(battery->voltage));
        text += QLatin1Char('\n');
    }
    text +=
        QStringLiteral("    AC Charger Information:\n\n      Connected: %1\n      Charging: %2\n\n")
            .arg(yesNo(supplies.chargerConnected()), yesNo(battery && battery->isCharging()));
    return text.toUtf8();
}

QByteArray hardwareReportText(const Machine& machine) {
    QString text = QStringLiteral("Hardware:\n\n    Hardware Overview:\n\n");
    const QString modelName =
        machine.productFamily.isEmpty() ? machine.productName : machine.productFamily;
    if (!modelName.isEmpty())
        text += QStringLiteral("      Model Name: %1\n").arg(modelName);
    if (!machine.productName.isEmpty())
        text += QStringLiteral("      Model Identifier: %1\n").arg(machine.productName);
    if (!machine.processorName.isEmpty())
        text += QStringLiteral("      Processor Name: %1\n").arg(machine.processorName);
    if (!machine.serial.isEmpty())
        text += QStringLiteral("      Serial Number (system): %1\n").arg(machine.serial);
    return (text + QLatin1Char('\n')).toUtf8();
}

QByteArray hardwareReportXml(const Machine& machine, const QDateTime& now) {
    platform::Dictionary item{{QStringLiteral("_name"), QStringLiteral("hardware_overview")}};
    putText(item, QStringLiteral("machine_name"),
            machine.productFamily.isEmpty() ? machine.productName : machine.productFamily);
    putText(item, QStringLiteral("machine_model"), machine.productName);
    putText(item, QStringLiteral("cpu_type"), machine.processorName);
    putText(item, QStringLiteral("serial_number"), machine.serial);
    return report(QStringLiteral("SPHardwareDataType"),
                  Value::newArray({Value::newDictionary(std::move(item))}), now);
}

namespace {

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString cString(const QString& text) {
    return QStringLiteral("<\"%1\">").arg(text);
}

} // namespace

RegistryEntry serviceRegistry(const Machine& machine, const PowerSupplies& supplies) {
    RegistryEntry expert{machine.productName.isEmpty() ? QStringLiteral("Linux")
                                                       : machine.productName,
                         QStringLiteral("IOPlatformExpertDevice"),
                         {},
                         {}};
    if (!machine.productName.isEmpty())
        expert.properties.emplace_back(QStringLiteral("compatible"), cString(machine.productName));
    if (!machine.vendor.isEmpty())
        expert.properties.emplace_back(QStringLiteral("manufacturer"), cString(machine.vendor));
    if (!machine.serial.isEmpty())
        expert.properties.emplace_back(QStringLiteral("IOPlatformSerialNumber"),
                                       quoted(machine.serial));
    if (!machine.productName.isEmpty()) {
        expert.properties.emplace_back(QStringLiteral("product-name"),
                                       cString(machine.productName));
        expert.properties.emplace_back(QStringLiteral("model"), cString(machine.productName));
    }
    expert.properties.emplace_back(QStringLiteral("name"), cString(QStringLiteral("/")));

    // The platform expert always has a child, so that its properties are drawn behind a "|"
    // as on a Mac; the serial pipeline counts on that column.
    RegistryEntry acpi{QStringLiteral("AppleACPIPlatformExpert"),
                       QStringLiteral("AppleACPIPlatformExpert"),
                       {},
                       {}};
    if (const auto battery = supplies.combinedBattery()) {
        RegistryEntry smart{
            QStringLiteral("AppleSmartBattery"), QStringLiteral("AppleSmartBattery"), {}, {}};
        auto& p = smart.properties;
        p.emplace_back(QStringLiteral("ExternalConnected"), yesNo(supplies.chargerConnected()));
        if (battery->chargeFull)
            p.emplace_back(QStringLiteral("MaxCapacity"), number(battery->chargeFull));
        if (battery->voltage)
            p.emplace_back(QStringLiteral("Voltage"), number(battery->voltage));
        if (battery->chargeNow)
            p.emplace_back(QStringLiteral("CurrentCapacity"), number(battery->chargeNow));
        p.emplace_back(
            QStringLiteral("LegacyBatteryInfo"),
            QStringLiteral("{\"Amperage\"=%1,\"Flags\"=%2,\"Capacity\"=%3,\"Current\"=%4,"
                           "\"Voltage\"=%5,\"Cycle Count\"=%6}")
                .arg(number(battery->amperage))
                .arg(supplies.chargerConnected() ? (battery->isCharging() ? 7 : 5) : 4)
                .arg(number(battery->chargeFull), number(battery->chargeNow),
                     number(battery->voltage), number(battery->cycleCount)));
        p.emplace_back(QStringLiteral("IsCharging"), yesNo(battery->isCharging()));
        if (battery->cycleCount)
            p.emplace_back(QStringLiteral("CycleCount"), number(battery->cycleCount));
        if (battery->designCapacity)
            p.emplace_back(QStringLiteral("DesignCapacity"), number(battery->designCapacity));
        p.emplace_back(QStringLiteral("FullyCharged"), yesNo(battery->isFull()));
        if (battery->amperage)
            p.emplace_back(QStringLiteral("Amperage"), number(battery->amperage));
        if (!battery->manufacturer.isEmpty())
            p.emplace_back(QStringLiteral("Manufacturer"), quoted(battery->manufacturer));
        if (!battery->model.isEmpty())
            p.emplace_back(QStringLiteral("DeviceName"), quoted(battery->model));
        if (!battery->serial.isEmpty())
            p.emplace_back(QStringLiteral("BatterySerialNumber"), quoted(battery->serial));
        acpi.children.push_back({QStringLiteral("AppleSmartBatteryManager"),
                                 QStringLiteral("AppleSmartBatteryManager"),
                                 {},
                                 {std::move(smart)}});
    }
    expert.children.push_back(std::move(acpi));
    return {QStringLiteral("Root"), QStringLiteral("IORegistryEntry"), {}, {std::move(expert)}};
}

RegistryEntry deviceTreeRegistry(const Machine& machine, const PowerSupplies& supplies) {
    RegistryEntry device{
        QStringLiteral("device-tree"), QStringLiteral("IOPlatformExpertDevice"), {}, {}};
    if (!machine.productName.isEmpty())
        device.properties.emplace_back(QStringLiteral("model"), cString(machine.productName));
    if (const auto battery = supplies.combinedBattery()) {
        // The design capacity is the third field, where the newer systems' pipeline cuts.
        const QString info =
            QStringLiteral("({\"Amperage\"=%1,\"Flags\"=%2,\"AbsoluteMaxCapacity\"=%3,"
                           "\"Capacity\"=%4,\"Current\"=%5,\"Voltage\"=%6,\"Cycle Count\"=%7})")
                .arg(number(battery->amperage))
                .arg(supplies.chargerConnected() ? (battery->isCharging() ? 7 : 5) : 4)
                .arg(number(battery->designCapacity), number(battery->chargeFull),
                     number(battery->chargeNow), number(battery->voltage),
                     number(battery->cycleCount));
        RegistryEntry pmu{QStringLiteral("pmu"), QStringLiteral("IOService"), {}, {}};
        pmu.children.push_back({QStringLiteral("battery"),
                                QStringLiteral("IOService"),
                                {{QStringLiteral("IOBatteryInfo"), info}},
                                {}});
        device.children.push_back(std::move(pmu));
    }
    return {QStringLiteral("Root"), QStringLiteral("IORegistryEntry"), {}, {std::move(device)}};
}

namespace {

struct Drawing {
    const RegistryView& view;
    QString out;
    quint64 nextId = 0x100000100;

    bool matches(const RegistryEntry& entry) const {
        return (!view.className.isEmpty() && entry.className == view.className) ||
               (!view.name.isEmpty() && entry.name == view.name);
    }

    void draw(const RegistryEntry& entry, const QString& indent, bool last, int level) {
        out += QStringLiteral("%1+-o %2  <class %3, id 0x%4, registered, matched, active, busy 0 "
                              "(0 ms), retain %5>\n")
                   .arg(indent, entry.name, entry.className)
                   .arg(nextId++, 0, 16)
                   .arg(5 + int(entry.children.size()));
        const QString childIndent = indent + (last ? QStringLiteral("  ") : QStringLiteral("| "));
        const bool drawsChildren =
            !entry.children.empty() && (view.depth == 0 || level < view.depth);
        if ((view.allProperties || matches(entry)) && !entry.properties.empty()) {
            const QString prefix =
                childIndent + (drawsChildren ? QStringLiteral("| ") : QStringLiteral("  "));
            out += prefix + QStringLiteral("{\n");
            for (const auto& [key, value] : entry.properties)
                out += QStringLiteral("%1  \"%2\" = %3\n").arg(prefix, key, value);
            out += prefix + QStringLiteral("}\n") + prefix + QLatin1Char('\n');
        }
        if (!drawsChildren)
            return;
        for (std::size_t i = 0; i < entry.children.size(); ++i)
            draw(entry.children[i], childIndent, i + 1 == entry.children.size(), level + 1);
    }

    // -r: every matching entry drawn as a root of its own.
    void drawRooted(const RegistryEntry& entry) {
        if (matches(entry)) {
            draw(entry, QString(), true, 1);
            out += QLatin1Char('\n');
            return;
        }
        for (const RegistryEntry& child : entry.children)
            drawRooted(child);
    }
};

} // namespace

QByteArray drawRegistry(const RegistryEntry& root, const RegistryView& view) {
    Drawing drawing{view, {}};
    if (view.rooted)
        drawing.drawRooted(root);
    else
        drawing.draw(root, QString(), true, 1);
    return drawing.out.toUtf8();
}

} // namespace voltaro::tools
