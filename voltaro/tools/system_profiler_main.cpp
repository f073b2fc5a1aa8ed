// Our stand-in for the Mac's system_profiler: prints the SPPowerDataType and
// SPHardwareDataType reports, as text or with -xml as a property list, from /sys (under
// HW_ROOT). Other data types print nothing, as the real tool does.

#include "platform/core/hw_root.h"
#include "voltaro/tools/power_supply.h"
#include "voltaro/tools/reports.h"

#include <QDateTime>

#include <cstdio>

using namespace voltaro::tools;

int main(int argc, char** argv) {
    bool xml = false;
    QStringList dataTypes;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("-xml"))
            xml = true;
        else if (argument == QLatin1String("-detailLevel") || argument == QLatin1String("-timeout"))
            ++i;
        else if (!argument.startsWith(QLatin1Char('-')))
            dataTypes << argument;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QByteArray out;
    for (const QString& dataType : dataTypes) {
        if (dataType == QLatin1String("SPPowerDataType")) {
            const PowerSupplies supplies =
                readPowerSupplies(platform::hwPath(QStringLiteral("/sys/class/power_supply")));
            out += xml ? powerReportXml(supplies, now) : powerReportText(supplies);
        } else if (dataType == QLatin1String("SPHardwareDataType")) {
            const Machine machine = readMachine();
            out += xml ? hardwareReportXml(machine, now) : hardwareReportText(machine);
        }
    }
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    return 0;
}
