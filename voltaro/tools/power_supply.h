#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace voltaro::tools {

/// One battery as sysfs describes it, in the units the Mac tools print: capacities in mAh,
/// voltage in mV, current in mA (negative while discharging).
///
/// sysfs gives `charge_*` in µAh and `energy_*` in µWh. Energies become mAh through the
/// battery's `voltage_min_design` (the voltage its energy is rated at); without it through
/// `voltage_max_design`, then `voltage_now`. A value that is missing, not a number or
/// negative stays unknown.
struct Battery {
    QString name;
    std::optional<std::int64_t> chargeNow;
    std::optional<std::int64_t> chargeFull;
    std::optional<std::int64_t> designCapacity;
    std::optional<std::int64_t> cycleCount;
    std::optional<std::int64_t> voltage;
    std::optional<std::int64_t> amperage;
    QString status; ///< "Charging", "Discharging", "Full", "Not charging", "Unknown" or empty
    QString manufacturer;
    QString model;
    QString serial;

    bool isCharging() const { return status == QLatin1String("Charging"); }
    bool isFull() const { return status == QLatin1String("Full"); }
};

/// The power supplies of the machine.
struct PowerSupplies {
    /// The system's batteries (not those of mice or headsets), in name order.
    std::vector<Battery> batteries;
    /// Whether a mains or USB adapter is online; unknown when no adapter reports it.
    std::optional<bool> adapterOnline;

    /// All batteries as one: capacities and charges added up, the highest cycle count, charging
    /// when any charges, full when all are. Unknown when there is no battery.
    std::optional<Battery> combinedBattery() const;
    /// The adapter's state, or when no adapter says, whether a battery charges or is full.
    bool chargerConnected() const;
};

/// Reads the supplies in `folder` (a /sys/class/power_supply). Each attribute is read from its
/// file and, failing that, from the supply's uevent. Missing, unreadable or garbage files leave
/// values unknown and never fail.
PowerSupplies readPowerSupplies(const QString& folder);

/// What the machine says of itself.
struct Machine {
    QString productName;   ///< "MacBookPro12,1", "20KHCTO1WW", … empty when unknown
    QString productFamily; ///< "ThinkPad X1 Carbon 6th", … may be empty
    QString vendor;
    /// Empty when unknown or unreadable (the DMI serial is readable by root only).
    QString serial;
    QString processorName;
};

/// Reads /sys/class/dmi/id, or for machines without DMI /proc/device-tree, and /proc/cpuinfo,
/// all through HW_ROOT.
Machine readMachine();

/// Text of a sysfs file as a printable line: control characters dropped, blanks trimmed.
QString cleanText(const QByteArray& bytes);

} // namespace voltaro::tools
