// Fluxen: a liquid of soft particles that follows the notebook's tilt.

#include "fluxen/app/dt_view.h"
#include "fluxen/app/fluxen_window.h"
#include "fluxen/core/web_addresses.h"
#include "fluxen/linux/sysfs_motion_sensor.h"
#include "platform/core/command_line.h"
#include "platform/core/defaults.h"
#include "platform/core/event_loop_clock.h"
#include "platform/core/log.h"
#include "platform/core/resources.h"
#include "platform/linux/quit_requests.h"
#include "platform/linux/single_instance.h"

#include <QApplication>
#include <QSurfaceFormat>

int main(int argc, char** argv) {
    platform::setLogPrefix(QLatin1String(fluxen::kProgramName));
    platform::CommandLine commandLine(
        QLatin1String(fluxen::kProgramName), QLatin1String(fluxen::kProgramVersion),
        QStringLiteral(
            "A liquid of soft particles that follows the notebook's tilt.\n"
            "Any key toggles full screen; a click pours the liquid anew. Without a motion sensor\n"
            "the left and right arrow keys tilt the liquid and the down arrow levels it.\n"
            "Settings: $XDG_CONFIG_HOME/Fluxen.plist, written at quit. The update check asks the\n"
            "address under the key \"updateServer\" (default %1).")
            .arg(QLatin1String(fluxen::kDefaultUpdateServer)));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Tilt with the arrow keys even when a motion sensor exists."));
    commandLine.addOption(simulate);
    // Read before the application object exists: it would need a display.
    if (const auto status = commandLine.parse(argc, argv))
        return *status;

    // Fixed-function OpenGL needs a compatibility context for every widget of the program.
    QSurfaceFormat::setDefaultFormat(fluxen::liquidSurfaceFormat());
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(fluxen::kProgramName));
    QCoreApplication::setApplicationVersion(QLatin1String(fluxen::kProgramVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("fluxen"));

    // Two copies would save over each other's settings at quit.
    fluxen::FluxenWindow* shown = nullptr;
    platform::SingleInstance guard(QLatin1String(fluxen::kProgramName));
    if (guard.claim([&shown] {
            if (!shown)
                return;
            shown->showNormal();
            shown->raise();
            shown->activateWindow();
        }) == platform::SingleInstance::Outcome::AlreadyRunning)
        return 0;

    fluxen::SysfsMotionSensor hardware;
    fluxen::ManualTilt arrows;
    fluxen::MotionSensor* sensor = &hardware;
    fluxen::ManualTilt* tilt = nullptr;
    if (commandLine.isSet(simulate) || hardware.detect_sms() == fluxen::kNoSensor) {
        platform::log(commandLine.isSet(simulate)
                          ? QStringLiteral("simulated tilt: the arrow keys tilt the liquid")
                          : QStringLiteral("no motion sensor; the arrow keys tilt the liquid"));
        sensor = &arrows;
        tilt = &arrows;
    } else {
        platform::log(QStringLiteral("motion sensor: %1").arg(hardware.source()));
    }

    platform::Defaults defaults(QLatin1String(fluxen::kDefaultsDomain));
    platform::EventLoopClock clock;
    platform::Resources resources(QStringLiteral("fluxen"));
    if (resources.folder().isEmpty())
        platform::log(QStringLiteral("resources not found; the liquid is drawn untextured"));

    // Quitting saves the settings (aboutToQuit below), whoever asks.
    const platform::QuitRequests quitRequests([] { QCoreApplication::quit(); });
    fluxen::FluxenWindow window(clock, defaults, resources, *sensor, tilt);
    shown = &window;
    QObject::connect(&application, &QCoreApplication::aboutToQuit, window.view(),
                     &fluxen::DTView::applicationShouldTerminate);
    window.show();
    return application.exec();
}
