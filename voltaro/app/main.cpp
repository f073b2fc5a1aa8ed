// Voltaro, the battery monitor. `--print` runs on a QCoreApplication, so it needs no display.

#include "platform/core/log.h"
#include "voltaro/app/voltaro_application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    platform::setLogPrefix(QStringLiteral("Voltaro"));
    voltaro::Options options;
    if (const auto status = voltaro::parseOptions(argc, argv, options))
        return *status;
    if (options.print) {
        QCoreApplication application(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return voltaro::printFields(options, out, err);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Voltaro"));
    QApplication::setDesktopFileName(QStringLiteral("voltaro"));
    // Closing the main window quits, once the history is saved; other windows do not count.
    QApplication::setQuitOnLastWindowClosed(false);
    voltaro::VoltaroApplication voltaro(options);
    if (!voltaro.start())
        return 1;
    return application.exec();
}
