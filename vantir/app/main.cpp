// The Vantir program. For now it loads (and upgrades) the archive of actions, checks it, and
// looks for a newer version; `--dump-archive` shows an archive as the program reads it.

#include "platform/core/event_loop_clock.h"
#include "platform/core/log.h"
#include "platform/core/notification_center.h"
#include "platform/qt/message_box_alerts.h"
#include "vantir/app/qt_file_panels.h"
#include "vantir/app/timed_alert_panel.h"
#include "vantir/app/version_checker.h"
#include "vantir/core/dump_archive.h"
#include "vantir/core/preferences.h"
#include "vantir/core/repository.h"
#include "vantir/core/version.h"
#include "vantir/core/version_check.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>

#include <cstdio>

namespace {

constexpr int kUsageError = 2;

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

QString usage() {
    return QStringLiteral(
        "usage: Vantir [--dump-archive FILE]\n"
        "\n"
        "Maps the buttons of a remote control to keystrokes, mouse events and scripts.\n"
        "\n"
        "  --dump-archive FILE  read FILE as Vantir reads its archive (upgrading older\n"
        "                       archives, dropping duplicate buttons) and write the result\n"
        "                       as an XML property list on standard output; FILE is not changed\n"
        "  --version            show the version\n"
        "  --help               show this help\n"
        "\n"
        "The archive lives in $XDG_DATA_HOME/Vantir/archive.xml (~/.local/share by default),\n"
        "the settings in $XDG_CONFIG_HOME/Vantir.plist (~/.config by default).\n");
}

int dump(int argc, char** argv, const QString& path) {
    QCoreApplication application(argc, argv);
    platform::EventLoopClock clock;
    platform::NotificationCenter notifications;
    vantir::ModelContext model(clock, notifications, nullptr);
    const auto xml = vantir::dumpArchive(path, model);
    if (!xml) {
        print(stderr, QStringLiteral("Vantir: %1\n").arg(xml.error()));
        return 1;
    }
    std::fwrite(xml->constData(), 1, std::size_t(xml->size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int runProgram(int argc, char** argv) {
    QApplication application(argc, argv);
    platform::Defaults defaults(QStringLiteral("Vantir"));
    vantir::registerDefaultSettings(defaults);
    platform::NotificationCenter notifications;
    vantir::Preferences preferences(defaults, notifications);
    preferences.applyDebugSwitches();

    platform::EventLoopClock clock;
    vantir::ModelContext model(clock, notifications, &preferences);
    platform::MessageBoxAlerts alerts;
    vantir::DialogFilePanels panels;
    vantir::RepositoryServices services;
    services.alerts = &alerts;
    services.panels = &panels;
    vantir::VNTRepository repository(model, services);
    if (repository.load() == vantir::LoadOutcome::QuitRequested)
        return 0;
    for (const vantir::VNTTriggerLayer& layer : repository.layersOfFirstRemote())
        layer.checkOSDBDuplicates(&alerts);
    platform::log(QStringLiteral("archive loaded from %1; the remote, display and editor are "
                                 "not part of this build yet")
                      .arg(repository.archiveFilename()));

    if (!defaults.boolForKey(QStringLiteral("LookForUpdate")))
        return 0;
    vantir::DialogTimedAlerts timedAlerts(clock);
    vantir::VersionChecker checker(timedAlerts,
                                   [](const QUrl& url) { QDesktopServices::openUrl(url); });
    checker.checkVersionOnline(vantir::versionDescriptionAddress(defaults),
                               [] { QCoreApplication::quit(); });
    return application.exec();
}

} // namespace

int main(int argc, char** argv) {
    platform::setLogPrefix(QStringLiteral("Vantir"));
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            print(stdout, usage());
            return 0;
        }
        if (argument == QLatin1String("--version")) {
            print(stdout, QStringLiteral("Vantir %1\n").arg(vantir::Version::versionName()));
            return 0;
        }
        if (argument == QLatin1String("--dump-archive")) {
            if (i + 1 >= argc) {
                print(stderr, QStringLiteral("Vantir: --dump-archive needs a FILE\n"));
                return kUsageError;
            }
            return dump(argc, argv, QString::fromLocal8Bit(argv[i + 1]));
        }
        print(stderr, QStringLiteral("Vantir: unknown option '%1'\n%2").arg(argument, usage()));
        return kUsageError;
    }
    return runProgram(argc, argv);
}
