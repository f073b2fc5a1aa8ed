// Voltaro, the battery monitor. `--print` runs on a QCoreApplication, so it needs no display.

#include "platform/core/log.h"
#include "platform/linux/quit_requests.h"
#include "platform/linux/single_instance.h"
#include "voltaro/app/voltaro_application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <memory>

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
    std::unique_ptr<voltaro::VoltaroApplication> voltaro;
    // Two copies would save over each other's history; --print above reads only and runs
    // beside a running copy.
    platform::SingleInstance guard(QStringLiteral("Voltaro"));
    if (guard.claim([&voltaro] {
            if (voltaro)
                voltaro->bringForward();
        }) == platform::SingleInstance::Outcome::AlreadyRunning)
        return 0;
    voltaro = std::make_unique<voltaro::VoltaroApplication>(options);
    const platform::QuitRequests quitRequests([&voltaro] { voltaro->quit(); });
    if (!voltaro->start())
        return 1;
    return application.exec();
}
