// The Vantir program. For now it loads (and upgrades) the archive of actions, checks it, and
// looks for a newer version; `--dump-archive` shows an archive as the program reads it.

#include "platform/core/command_line.h"
#include "platform/core/event_loop_clock.h"
#include "platform/core/front_application.h"
#include "platform/core/log.h"
#include "platform/core/notification_center.h"
#include "platform/linux/quit_requests.h"
#include "platform/linux/single_instance.h"
#include "platform/qt/message_box_alerts.h"
#include "platform/x11/x11_display.h"
#include "vantir/app/desktop_actions.h"
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

// FIXME: the X11 watcher of the front application takes this one's place once it lands.
class NoFrontApplication final : public platform::FrontApplication {
public:
    QString frontApplicationName() const override { return {}; }
    void setChangeHandler(std::function<void(const QString&)>) override {}
};

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
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
    // Two copies would load, upgrade and save one archive over each other.
    platform::SingleInstance guard(QStringLiteral("Vantir"));
    // FIXME: bring the editor forward once this build has one.
    if (guard.claim([] {}) == platform::SingleInstance::Outcome::AlreadyRunning)
        return 0;
    const platform::QuitRequests quitRequests([] { QCoreApplication::quit(); });
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
    NoFrontApplication front;
    vantir::DialogTimedAlerts actionAlerts(clock);
    const vantir::DesktopActions actions(platform::x11::applicationDisplay(), front, alerts,
                                         actionAlerts, defaults, clock);
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
    platform::CommandLine commandLine(
        QStringLiteral("Vantir"), vantir::Version::versionName(),
        QStringLiteral(
            "Maps the buttons of a remote control to keystrokes, mouse events and scripts.\n"
            "The archive lives in $XDG_DATA_HOME/Vantir/archive.xml (~/.local/share by default),\n"
            "the settings in $XDG_CONFIG_HOME/Vantir.plist (~/.config by default)."));
    const QCommandLineOption dumpArchive(
        QStringLiteral("dump-archive"),
        QStringLiteral("Read FILE as Vantir reads its archive (upgrading older archives, dropping "
                       "duplicate buttons) and write the result as an XML property list on "
                       "standard output; FILE is not changed."),
        QStringLiteral("FILE"));
    commandLine.addOption(dumpArchive);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    if (commandLine.isSet(dumpArchive))
        return dump(argc, argv, commandLine.value(dumpArchive));
    return runProgram(argc, argv);
}
