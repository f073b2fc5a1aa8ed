#include "voltaro/core/machine.h"

#include "voltaro/core/leading_integer.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <limits>

namespace voltaro {

namespace {

bool contains(QByteArrayView text, const char* needle) {
    return QByteArray::fromRawData(text.data(), text.size()).contains(needle);
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar with astronomical year
// numbering (year 0 exists), counted in 400-year eras that start on 1 March.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int32_t truncated(double value) {
    if (std::isnan(value))
        return 0;
    return std::int32_t(std::clamp(std::trunc(value),
                                   double(std::numeric_limits<std::int32_t>::min()),
                                   double(std::numeric_limits<std::int32_t>::max())));
}

} // namespace

QString classifyComputerType(QByteArrayView probeOutput) {
    QString result = family::kUnknown;
    if (contains(probeOutput, "iMac"))
        result = family::kNotSupported;
    if (contains(probeOutput, "PowerMac"))
        result = family::kNotSupported;
    if (contains(probeOutput, "PowerBook"))
        result = family::kPpcNotebook;
    if (contains(probeOutput, "MacBookAir"))
        result = family::kIntelNotebook;
    if (contains(probeOutput, "MacBook"))
        result = family::kIntelNotebook;
    if (contains(probeOutput, "MacBookPro"))
        result = family::kIntelNotebook;
    return result;
}

bool isSupportedFamily(const QString& family) {
    return family == family::kIntelNotebook || family == family::kPpcNotebook ||
           family == family::kLinuxNotebook;
}

QString adaptFamilyToLinux(const QString& probedFamily, bool hasBattery) {
    if (hasBattery)
        return isSupportedFamily(probedFamily) ? probedFamily : family::kLinuxNotebook;
    return isSupportedFamily(probedFamily) ? family::kNotSupported : probedFamily;
}

QString architectureLabel(const QString& family, const QString& processorArchitecture) {
    if (family == family::kIntelNotebook)
        return QStringLiteral("INTEL");
    if (family == family::kPpcNotebook)
        return QStringLiteral("PPC");
    return processorArchitecture;
}

QString processorArchitectureLabel(QByteArrayView cpuinfo, const QString& fallbackArchitecture) {
    if (contains(cpuinfo, "GenuineIntel"))
        return QStringLiteral("INTEL");
    if (contains(cpuinfo, "AuthenticAMD"))
        return QStringLiteral("AMD");
    if (contains(cpuinfo, "HygonGenuine"))
        return QStringLiteral("HYGON");
    if (contains(cpuinfo, "CentaurHauls") || contains(cpuinfo, "VIA VIA VIA"))
        return QStringLiteral("VIA");
    if (contains(cpuinfo, "CPU implementer"))
        return QStringLiteral("ARM");
    if (contains(cpuinfo, "PowerPC") || contains(cpuinfo, "PowerMac") ||
        contains(cpuinfo, "\ncpu\t\t: POWER") || contains(cpuinfo, "altivec"))
        return QStringLiteral("PPC");
    if (contains(cpuinfo, "\nisa\t\t: rv") || contains(cpuinfo, "isa\t\t: rv"))
        return QStringLiteral("RISCV");
    const QString arch = fallbackArchitecture.toLower();
    if (arch == QLatin1String("x86_64") || arch == QLatin1String("i386"))
        return QStringLiteral("X86");
    if (arch.startsWith(QLatin1String("arm")))
        return QStringLiteral("ARM");
    if (arch.startsWith(QLatin1String("power")))
        return QStringLiteral("PPC");
    if (arch.startsWith(QLatin1String("riscv")))
        return QStringLiteral("RISCV");
    return fallbackArchitecture.toUpper();
}

double manufactureDateSeconds(const QString& serial) {
    // The year digit: 0-8 are 2000-2008, 9 is 1999; anything else reads by the leading-integer
    // rule as it stands, so a letter gives year 0.
    QString year = serial.mid(2, 1);
    if (year.size() == 1 && year[0] >= QLatin1Char('0') && year[0] <= QLatin1Char('8'))
        year = QStringLiteral("200") + year;
    else if (year == QLatin1String("9"))
        year = QStringLiteral("1999");
    const std::int64_t yearNumber = leadingInteger(year);
    const std::int32_t week = leadingInteger(serial.mid(3, 2));
    const std::int64_t month = week / 4;
    // Month 0 is December of the year before, month 13 January of the year after.
    const std::int64_t monthIndex = yearNumber * 12 + (month - 1);
    const std::int64_t carriedYear = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    const int carriedMonth = int(monthIndex - carriedYear * 12) + 1;
    constexpr double kEstOffsetSeconds = 5 * 3600;
    return double(daysFromCivil(carriedYear, carriedMonth, 1)) * 86400.0 + kEstOffsetSeconds;
}

bool serialHoldsDate(const QString& serial) {
    const auto isDigit = [&](qsizetype position) {
        return position < serial.size() && serial[position] >= QLatin1Char('0') &&
               serial[position] <= QLatin1Char('9');
    };
    if (!isDigit(2) || !isDigit(3) || !isDigit(4))
        return false;
    const int week = leadingInteger(serial.mid(3, 2));
    return week >= 1 && week <= 53;
}

std::optional<Age> ageFromSerial(const QString& serial, const QDateTime& now) {
    if (serial == QString(11, QLatin1Char(' ')))
        return Age{};
    if (!serialHoldsDate(serial))
        return std::nullopt;
    const double interval =
        double(now.toMSecsSinceEpoch()) / 1000.0 - manufactureDateSeconds(serial);
    Age age;
    age.months = truncated(interval / 60 / 60 / 24 / 30);
    age.weeks = truncated(interval / 60 / 60 / 24 / 7);
    return age;
}

} // namespace voltaro
