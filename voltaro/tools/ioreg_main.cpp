// Our stand-in for the Mac's ioreg: draws a small I/O registry made from /sys (under HW_ROOT),
// with the options the battery monitor uses: -l, -c class, -n name, -p plane, -r, -d depth and
// -w width (ignored: lines are never cut).

#include "platform/core/hw_root.h"
#include "voltaro/tools/power_supply.h"
#include "voltaro/tools/reports.h"

#include <cstdio>

using namespace voltaro::tools;

int main(int argc, char** argv) {
    RegistryView view;
    QString plane = QStringLiteral("IOService");
    // Options as getopt reads them: letters may be joined ("-rc"), and an option's value may
    // follow it at once ("-d1", "-w0") or as the next argument.
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (!argument.startsWith(QLatin1Char('-')) || argument.size() < 2) {
            std::fprintf(stderr, "ioreg: unexpected argument %s\n", argv[i]);
            return 1;
        }
        for (qsizetype j = 1; j < argument.size(); ++j) {
            const QChar option = argument[j];
            if (option == QLatin1Char('l')) {
                view.allProperties = true;
                continue;
            }
            if (option == QLatin1Char('r')) {
                view.rooted = true;
                continue;
            }
            if (!QStringLiteral("cnpdw").contains(option)) {
                std::fprintf(stderr, "ioreg: unknown option -%c\n", char(option.unicode()));
                return 1;
            }
            QString value = argument.mid(j + 1);
            if (value.isEmpty() && i + 1 < argc)
                value = QString::fromLocal8Bit(argv[++i]);
            if (option == QLatin1Char('c'))
                view.className = value;
            else if (option == QLatin1Char('n'))
                view.name = value;
            else if (option == QLatin1Char('p'))
                plane = value;
            else if (option == QLatin1Char('d'))
                view.depth = value.toInt();
            break;
        }
    }
    const Machine machine = readMachine();
    const PowerSupplies supplies =
        readPowerSupplies(platform::hwPath(QStringLiteral("/sys/class/power_supply")));
    const RegistryEntry root = plane == QLatin1String("IODeviceTree")
                                   ? deviceTreeRegistry(machine, supplies)
                                   : serviceRegistry(machine, supplies);
    const QByteArray out = drawRegistry(root, view);
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    return 0;
}
