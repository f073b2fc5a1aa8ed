#pragma once

#include "platform/core/expected.h"
#include "platform/core/value.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace voltaro {

/// Keys of the reading dictionary that the power-report readers fill.
namespace reading {
inline const QString kCurrentCharge = QStringLiteral("CURRENT_CHARGE");
inline const QString kMaximumCharge = QStringLiteral("MAXIMUM_CHARGE");
inline const QString kCurrentCapacity = QStringLiteral("CURRENT_CAPACITY");
inline const QString kOriginalCapacity = QStringLiteral("ORIGINAL_CAPACITY");
inline const QString kLoadcycles = QStringLiteral("LOADCYCLES");
inline const QString kChargerConnected = QStringLiteral("CHARGER_CONNECTED");
inline const QString kCharging = QStringLiteral("CHARGING");
} // namespace reading

/// The two dialects of the power report: 10.5 and later (`Leopard`) and 10.4 (`Tiger`).
enum class ReportDialect { Leopard, Tiger };

/// The power report's command, run directly (no shell), with its two arguments.
inline const QString kSystemProfilerProgram = QStringLiteral("/usr/sbin/system_profiler");
inline const QStringList kPowerReportArguments = {QStringLiteral("SPPowerDataType"),
                                                  QStringLiteral("-xml")};

/// The design-capacity pipelines and the bytes read of their output.
inline const QString kIntelCapacityCommand =
    QStringLiteral("/usr/sbin/ioreg -l | grep DesignCapacity | cut -d = -f2");
inline const QString kPpcCapacityCommandNewer = QStringLiteral(
    "/usr/sbin/ioreg -p IODeviceTree -n \"battery\" -w 0 | grep IOBatteryInfo | cut -d, -f3 | "
    "cut -d= -f2 | cut -d} -f1");
inline const QString kPpcCapacityCommandOlder = QStringLiteral(
    "/usr/sbin/ioreg -p IODeviceTree -n \"battery\" -w 0 | grep IOBatteryInfo | cut -d, -f7 | "
    "cut -d= -f2 | cut -d} -f1");
/// Room for the blank that `cut` leaves, a sign, every digit of a 32-bit number and the line's
/// end, so that large and paired batteries keep their whole design capacity.
inline constexpr int kCapacityBytes = 16;

/// The first AppKit version of Mac OS X 10.5. Our Linux stand-ins speak the newer dialect, so
/// the program takes this as its own version number.
inline constexpr double kAppKitVersionNumber10_5 = 949.0;

/// The system generation: 1 for 10.5 or later (floor of the AppKit version at least 949),
/// 2 for 10.4.
int detectOSX(double appKitVersionNumber);

/// The reading dictionary before any parsing: every number the text "1", both flags false.
platform::Dictionary readingDictionaryDefaults();

/// Reads a `system_profiler SPPowerDataType -xml` report. Anything that is not a property list
/// whose top level is an array, whose element 0 is a dictionary with an "_items" array, leaves
/// the defaults as they are. Absent numbers remove their key, so they read as 0 later.
platform::Dictionary parsePowerReport(QByteArrayView report, ReportDialect dialect);

/// A value of the reading dictionary as the worker takes it: by the leading-integer rule, an
/// absent key giving 0.
std::int32_t readingInteger(const platform::Dictionary& reading, const QString& key);
/// A flag of the reading dictionary; an absent key is false.
bool readingFlag(const platform::Dictionary& reading, const QString& key);

/// Whether a power report lists a battery item.
bool powerReportListsBattery(QByteArrayView report);

/// A design capacity from the short read of a capacity pipeline: 1 when the shell could not
/// be started, -1 when the leading integer of the output is 0, the leading integer otherwise.
std::int32_t capacityFromShortOutput(const std::optional<QByteArray>& output);

/// The PPC capacity pipeline for an AppKit version (the same floor test as `detectOSX`).
QString ppcCapacityCommand(double appKitVersionNumber);

} // namespace voltaro
