#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

namespace voltaro {

/// Machine families, kept by the controller for the life of the program.
namespace family {
inline const QString kIntelNotebook = QStringLiteral("INTEL_NOTEBOOK");
inline const QString kPpcNotebook = QStringLiteral("PPC_NOTEBOOK");
inline const QString kNotSupported = QStringLiteral("NOT_SUPPORTED");
inline const QString kUnknown = QStringLiteral("UNKNOWN");
/// Ours, for Linux: a machine that is no Apple notebook but has a battery. Its design
/// capacity comes from the same pipeline as an Intel notebook's; its architecture label from
/// the processor.
inline const QString kLinuxNotebook = QStringLiteral("LINUX_NOTEBOOK");
} // namespace family

/// The model probes, each read with `kProbeBytes` bytes.
inline const QString kProductNameProbe = QStringLiteral("/usr/sbin/ioreg -l | grep product-name");
inline const QString kModelIdentifierProbe =
    QStringLiteral("/usr/sbin/system_profiler SPHardwareDataType | grep \"Model Identifier\"");
inline const QString kModelProbe =
    QStringLiteral("/usr/sbin/system_profiler SPHardwareDataType | grep Model");
inline constexpr int kProbeBytes = 40;

/// The serial-number pipeline and its byte limit.
inline const QString kSerialCommand = QStringLiteral(
    "/usr/sbin/ioreg -c 'IOPlatformExpertDevice' | awk '/IOPlatformSerialNumber/ {print $4}' | "
    "cut -b 2-12");
inline constexpr int kSerialBytes = 11;

/// The family named by a probe's output: plain, case-sensitive substring tests in a fixed
/// order, later hits overriding earlier ones, so any "MacBook" wins, then "PowerBook", then
/// "iMac" and "PowerMac" (not supported); anything else is "UNKNOWN".
QString classifyComputerType(QByteArrayView probeOutput);

/// Whether a family may run.
bool isSupportedFamily(const QString& family);

/// The family after the probes, adapted to Linux: a machine counts as a notebook exactly when
/// it has a battery. With a battery, a family the probes could not place becomes
/// `kLinuxNotebook`; without one, a notebook family becomes "NOT_SUPPORTED".
QString adaptFamilyToLinux(const QString& probedFamily, bool hasBattery);

/// The text of the architecture field for a supported family.
QString architectureLabel(const QString& family, const QString& processorArchitecture);

/// The architecture of the processor described by /proc/cpuinfo ("INTEL", "AMD", "ARM", "PPC",
/// "RISCV", …); `fallbackArchitecture` (as QSysInfo names it, "x86_64") decides when the text
/// names no vendor.
QString processorArchitectureLabel(QByteArrayView cpuinfo, const QString& fallbackArchitecture);

/// Whether a serial holds a date of manufacture: a year digit at position 2 and a week of the
/// year, 01 to 53, at positions 3-4. Serials of other makers, and an unreadable serial (eleven
/// NUL characters), hold none.
bool serialHoldsDate(const QString& serial);

/// The computer's age from an 11-character serial: the year digit at position 2, the week at
/// positions 3-4, month = week / 4 (carried into the neighbouring years when it is 0 or 13), day 1
/// at 00:00 EST (UTC-5). Exactly eleven blanks give 0. Months are 30 days. Unknown when the
/// serial holds no date, rather than an age counted from the year 0.
struct Age {
    std::int32_t weeks = 0;
    std::int32_t months = 0;
};
std::optional<Age> ageFromSerial(const QString& serial, const QDateTime& now);

/// The manufacture date that `ageFromSerial` counts from, in seconds since 1970 (UTC).
double manufactureDateSeconds(const QString& serial);

} // namespace voltaro
