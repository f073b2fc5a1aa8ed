#include "voltaro/tools/power_supply.h"

#include "platform/core/hw_root.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace voltaro::tools {

namespace {

// A missing or unreadable attribute reads as empty: the kernel leaves out what it cannot tell.
QByteArray readSmallFile(const QString& path) {
    auto bytes = platform::readHardwareFile(path);
    return bytes ? *bytes : QByteArray();
}

std::optional<std::int64_t> parseNumber(const QString& text) {
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<std::int64_t> nonNegative(std::optional<std::int64_t> value) {
    if (value && *value < 0)
        return std::nullopt;
    return value;
}

// Micro-units to milli-units, to the nearest.
std::optional<std::int64_t> milli(std::optional<std::int64_t> micro) {
    if (!micro)
        return std::nullopt;
    return std::int64_t(std::llround(double(*micro) / 1000.0));
}

// µWh at a voltage in µV to mAh: µWh / µV is Ah.
std::optional<std::int64_t> milliampHours(std::optional<std::int64_t> microwattHours,
                                          std::optional<std::int64_t> microvolts) {
    if (!microwattHours || !microvolts || *microvolts <= 0)
        return std::nullopt;
    return std::int64_t(std::llround(double(*microwattHours) / double(*microvolts) * 1000.0));
}

// One supply's folder: attribute files first, the uevent's POWER_SUPPLY_* lines second.
class Supply {
public:
    explicit Supply(const QString& path) : m_path(path) {
        const QList<QByteArray> lines = readSmallFile(path + QStringLiteral("/uevent")).split('\n');
        for (const QByteArray& line : lines) {
            const qsizetype equals = line.indexOf('=');
            if (line.startsWith("POWER_SUPPLY_") && equals > 0)
                m_uevent.insert(QString::fromUtf8(line.mid(13, equals - 13)).toLower(),
                                cleanText(line.mid(equals + 1)));
        }
    }

    bool has(const QString& name) const {
        return QFile::exists(m_path + QLatin1Char('/') + name) || m_uevent.contains(name);
    }

    QString text(const QString& name) const {
        const QString text = cleanText(readSmallFile(m_path + QLatin1Char('/') + name));
        return text.isEmpty() ? m_uevent.value(name) : text;
    }

    std::optional<std::int64_t> number(const QString& name) const {
        return parseNumber(text(name));
    }

private:
    QString m_path;
    QHash<QString, QString> m_uevent;
};

QString supplyType(const Supply& supply, const QString& name) {
    const QString type = supply.text(QStringLiteral("type"));
    if (!type.isEmpty())
        return type;
    // Older kernels and hand-made trees may lack the type; guess from what is there.
    for (const char* attribute :
         {"charge_now", "charge_full", "energy_now", "energy_full", "capacity", "cycle_count"}) {
        if (supply.has(QString::fromLatin1(attribute)))
            return QStringLiteral("Battery");
    }
    if (supply.has(QStringLiteral("online")) || name.startsWith(QLatin1String("AC")) ||
        name.startsWith(QLatin1String("ADP")))
        return QStringLiteral("Mains");
    return {};
}

Battery readBattery(const Supply& supply, const QString& name) {
    Battery battery;
    battery.name = name;
    const auto number = [&](const char* attribute) {
        return supply.number(QString::fromLatin1(attribute));
    };
    std::optional<std::int64_t> volts = nonNegative(number("voltage_min_design"));
    if (!volts || *volts == 0)
        volts = nonNegative(number("voltage_max_design"));
    if (!volts || *volts == 0)
        volts = nonNegative(number("voltage_now"));
    const auto capacity = [&](const char* charge, const char* energy) {
        if (auto value = nonNegative(number(charge)))
            return milli(value);
        return milliampHours(nonNegative(number(energy)), volts);
    };
    battery.chargeNow = capacity("charge_now", "energy_now");
    battery.chargeFull = capacity("charge_full", "energy_full");
    battery.designCapacity = capacity("charge_full_design", "energy_full_design");
    if (!battery.chargeNow && battery.chargeFull) {
        if (auto percent = nonNegative(number("capacity")))
            battery.chargeNow = *battery.chargeFull * std::min<std::int64_t>(*percent, 100) / 100;
    }
    battery.cycleCount = nonNegative(number("cycle_count"));
    battery.voltage = milli(nonNegative(number("voltage_now")));
    battery.status = supply.text(QStringLiteral("status"));
    if (auto current = milli(number("current_now"))) {
        // sysfs gives the current's size; the Mac tools sign it by its direction.
        const bool discharging = battery.status == QLatin1String("Discharging");
        battery.amperage = discharging ? -std::abs(*current) : std::abs(*current);
    }
    battery.manufacturer = supply.text(QStringLiteral("manufacturer"));
    battery.model = supply.text(QStringLiteral("model_name"));
    battery.serial = supply.text(QStringLiteral("serial_number"));
    return battery;
}

template <typename Field>
std::optional<std::int64_t> sum(const std::vector<Battery>& batteries, Field field) {
    std::optional<std::int64_t> total;
    for (const Battery& battery : batteries) {
        if (battery.*field)
            total = total.value_or(0) + *(battery.*field);
    }
    return total;
}

} // namespace

QString cleanText(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    // Embedded controllers may pad strings with junk that decodes as replacement characters.
    text.removeIf([](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter;
    });
    return text.trimmed();
}

std::optional<Battery> PowerSupplies::combinedBattery() const {
    if (batteries.empty())
        return std::nullopt;
    if (batteries.size() == 1)
        return batteries.front();
    Battery combined = batteries.front();
    combined.chargeNow = sum(batteries, &Battery::chargeNow);
    combined.chargeFull = sum(batteries, &Battery::chargeFull);
    combined.designCapacity = sum(batteries, &Battery::designCapacity);
    combined.amperage = sum(batteries, &Battery::amperage);
    for (const Battery& battery : batteries) {
        if (battery.cycleCount)
            combined.cycleCount = std::max(combined.cycleCount.value_or(0), *battery.cycleCount);
    }
    const bool anyCharging = std::any_of(batteries.begin(), batteries.end(),
                                         [](const Battery& b) { return b.isCharging(); });
    const bool allFull = std::all_of(batteries.begin(), batteries.end(),
                                     [](const Battery& b) { return b.isFull(); });
    if (anyCharging)
        combined.status = QStringLiteral("Charging");
    else if (allFull)
        combined.status = QStringLiteral("Full");
    else
        combined.status = QStringLiteral("Discharging");
    return combined;
}

bool PowerSupplies::chargerConnected() const {
    if (adapterOnline)
        return *adapterOnline;
    return std::any_of(batteries.begin(), batteries.end(), [](const Battery& battery) {
        return battery.isCharging() || battery.isFull() ||
               battery.status == QLatin1String("Not charging");
    });
}

PowerSupplies readPowerSupplies(const QString& folder) {
    PowerSupplies supplies;
    const QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const Supply supply(folder + QLatin1Char('/') + name);
        const QString type = supplyType(supply, name);
        if (type == QLatin1String("Battery")) {
            // Batteries of mice and headsets have the scope "Device"; an empty bay has
            // present 0.
            if (supply.text(QStringLiteral("scope")) == QLatin1String("Device") ||
                supply.text(QStringLiteral("present")) == QLatin1String("0"))
                continue;
            supplies.batteries.push_back(readBattery(supply, name));
            continue;
        }
        if (type.isEmpty() || type == QLatin1String("UPS"))
            continue;
        if (auto online = supply.number(QStringLiteral("online")))
            supplies.adapterOnline = supplies.adapterOnline.value_or(false) || *online != 0;
    }
    return supplies;
}

Machine readMachine() {
    const auto dmi = [](const char* name) {
        return cleanText(readSmallFile(
            platform::hwPath(QStringLiteral("/sys/class/dmi/id/") + QLatin1String(name))));
    };
    const auto deviceTree = [](const char* name) {
        return cleanText(readSmallFile(
            platform::hwPath(QStringLiteral("/proc/device-tree/") + QLatin1String(name))));
    };
    Machine machine;
    machine.productName = dmi("product_name");
    machine.productFamily = dmi("product_family");
    machine.vendor = dmi("sys_vendor");
    machine.serial = dmi("product_serial");
    if (machine.productName.isEmpty())
        machine.productName = deviceTree("model");
    if (machine.serial.isEmpty())
        machine.serial = deviceTree("serial-number");
    const QList<QByteArray> cpuinfo =
        readSmallFile(platform::hwPath(QStringLiteral("/proc/cpuinfo"))).split('\n');
    for (const QByteArray& line : cpuinfo) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray key = line.left(colon).trimmed();
        if (colon > 0 && (key == "model name" || key == "cpu" || key == "uarch")) {
            machine.processorName = cleanText(line.mid(colon + 1));
            break;
        }
    }
    return machine;
}

} // namespace voltaro::tools
