#pragma once

#include "voltaro/tools/power_supply.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace voltaro::tools {

/// `system_profiler SPPowerDataType -xml`: the newer dialect's report, an array holding one
/// dictionary whose "_items" are the battery item "spbattery_information" (when there is a
/// battery) and the charger item "sppower_ac_charger_information". Flags are the texts "TRUE"
/// and "FALSE"; unknown numbers are left out.
QByteArray powerReportXml(const PowerSupplies& supplies, const QDateTime& now);
/// The same as text, as `system_profiler SPPowerDataType` prints it.
QByteArray powerReportText(const PowerSupplies& supplies);

/// `system_profiler SPHardwareDataType`: the "Hardware Overview" with its "Model Name",
/// "Model Identifier", "Processor Name" and "Serial Number (system)" lines, each only when
/// known.
QByteArray hardwareReportText(const Machine& machine);
QByteArray hardwareReportXml(const Machine& machine, const QDateTime& now);

/// The I/O registry as `ioreg` draws it: an entry with its class, its properties (already in
/// ioreg's notation) and its children.
struct RegistryEntry {
    QString name;
    QString className;
    std::vector<std::pair<QString, QString>> properties;
    std::vector<RegistryEntry> children;
};

/// The IOService plane: the platform expert (product-name, IOPlatformSerialNumber, …) and,
/// with a battery, an AppleSmartBattery (DesignCapacity, MaxCapacity, CurrentCapacity,
/// CycleCount, …).
RegistryEntry serviceRegistry(const Machine& machine, const PowerSupplies& supplies);
/// The IODeviceTree plane: with a battery, an entry "battery" whose "IOBatteryInfo" holds the
/// design capacity ("AbsoluteMaxCapacity") as its third field.
RegistryEntry deviceTreeRegistry(const Machine& machine, const PowerSupplies& supplies);

/// What to draw: properties of every entry (-l), of entries of a class (-c) or with a name
/// (-n); with `rooted` (-r) only the subtrees of matching entries; `depth` (-d) limits the
/// levels drawn, 0 for all.
struct RegistryView {
    bool allProperties = false;
    QString className;
    QString name;
    bool rooted = false;
    int depth = 0;
};
QByteArray drawRegistry(const RegistryEntry& root, const RegistryView& view);

} // namespace voltaro::tools
