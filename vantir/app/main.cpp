// The Vantir program: loads (and upgrades) the archive of actions, listens to the remote and
// performs what its buttons are bound to, and looks for a newer version; `--dump-archive`
// shows an archive as the program reads it.

#include "platform/core/command_line.h"
#include "platform/core/event_loop_clock.h"
#include "platform/core/log.h"
#include "platform/core/notification_center.h"
#include "platform/core/resources.h"
#include "platform/linux/dbus_distributed_notification_center.h"
#include "platform/linux/logind_sleep_wake.h"
#include "platform/linux/quit_requests.h"
#include "platform/linux/single_instance.h"
#include "platform/qt/message_box_alerts.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_front_application.h"
#include "vantir/app/desktop_actions.h"
#include "vantir/app/editor_window.h"
#include "vantir/app/osd_window.h"
#include "vantir/app/preferences_window.h"
#include "vantir/app/qt_file_panels.h"
#include "vantir/app/status_item.h"
#include "vantir/app/timed_alert_panel.h"
#include "vantir/app/version_checker.h"
#include "vantir/core/controller.h"
#include "vantir/core/dump_archive.h"
#include "vantir/core/osd_templates.h"
#include "vantir/core/preferences.h"
#include "vantir/core/repository.h"
#include "vantir/core/version.h"
#include "vantir/core/version_check.h"
#include "vantir/linux/evdev_remote_device.h"
#include "vantir/linux/sound_player.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>

#include <cstdio>

namespace {

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

int runProgram(int argc, char** argv, const QString& remoteDevicePath) {
    QApplication application(argc, argv);
    // The program lives in the tray; closing its windows does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Two copies would load, upgrade and save one archive over each other.
    platform::SingleInstance guard(QStringLiteral("Vantir"));
    // A second start brings the editor forward, once it exists.
    std::function<void()> bringForward = [] {
    };
    if (guard.claim([&bringForward] { bringForward(); }) ==
        platform::SingleInstance::Outcome::AlreadyRunning)
        return 0;
    // Unsaved edits in the editor are asked about before the program ends.
    std::function<bool()> mayQuit = [] {
        return true;
    };
    const auto quit = [&mayQuit] {
        if (mayQuit())
            QCoreApplication::quit();
    };
    const platform::QuitRequests quitRequests(quit);
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

    // The receiver: the one named on the command line or in the settings, else the first found.
    platform::DBusDistributedNotificationCenter distributed;
    const vantir::RemoteSharing sharing{&distributed, QStringLiteral("org.notebooksuite.Vantir")};
    const QString devicePath = !remoteDevicePath.isEmpty()
                                   ? remoteDevicePath
                                   : defaults.stringForKey(QStringLiteral("RemoteDevicePath"));
    auto container = std::make_unique<vantir::RemoteDeviceContainer>();
    container->instantiateAndAddRemoteDevice([&](vantir::RemoteDeviceDelegate* delegate) {
        return std::make_unique<vantir::EvdevRemoteDevice>(
            delegate, clock,
            [&defaults] { return defaults.floatForKey(QStringLiteral("RemoteHoldThreshold")); },
            devicePath, sharing);
    });
    vantir::DialogTimedAlerts timedAlerts(clock);
    vantir::IRAppleRemoteHandler remote(clock, defaults, &timedAlerts, std::move(container));

    Display* display = platform::x11::applicationDisplay();
    platform::x11::X11FrontApplication frontApplication(display);
    vantir::DesktopActions actions(model, display, frontApplication, alerts, timedAlerts, defaults,
                                   clock);
    const platform::Resources resources(QStringLiteral("vantir"));
    vantir::PaplaySoundPlayer sounds(resources.folder() + QStringLiteral("/sounds"));
    platform::LogindSleepWake sleepWake;
    const vantir::OSDTemplates templates = vantir::OSDTemplates::standard();
    vantir::OSDWindow osdWindow(vantir::OSDWindow::Kind::Window, templates, defaults, clock);
    vantir::OSDWindow fullscreenWindow(vantir::OSDWindow::Kind::Fullscreen, templates, defaults,
                                       clock);
    vantir::ControllerServices controllerServices{clock,      preferences, notifications,
                                                  repository, remote,      actions.scriptRunner(),
                                                  sounds,     sleepWake,   frontApplication};
    controllerServices.osd = &osdWindow;
    controllerServices.fullscreenOsd = &fullscreenWindow;
    controllerServices.eventPoster = &actions.eventPoster();
    vantir::VNTController controller(std::move(controllerServices));
    osdWindow.setKeyHandler([&controller](vantir::DisplayKey key, bool shift) {
        controller.keyDown(key, shift, false);
    });
    fullscreenWindow.setKeyHandler([&controller](vantir::DisplayKey key, bool shift) {
        controller.keyDown(key, shift, true);
    });
    vantir::PreferencesWindowHooks preferencesHooks;
    preferencesHooks.shownTab = [&controller](bool visible, const QString& tab) {
        controller.setCurrentPreferencesTab(tab);
        controller.setPreferencesIsVisible(visible);
    };
    preferencesHooks.remoteID = [&controller] {
        return controller.appleRemoteID();
    };
    vantir::PreferencesWindow preferencesWindow(preferences, alerts, preferencesHooks);
    vantir::EditorDocument editorDocument(repository, alerts, notifications);
    vantir::EditorWindow editor(editorDocument, templates,
                                [](const vantir::VNTAction& action) { action.perform(); });
    mayQuit = [&editorDocument] {
        return editorDocument.shouldClose();
    };
    vantir::StatusItemWindows windows;
    windows.showPreferences = [&preferencesWindow] {
        preferencesWindow.showPreferencesPanel();
    };
    windows.showEditor = [&editor] {
        editor.showEditor();
    };
    windows.quit = quit;
    bringForward = windows.showEditor;
    vantir::StatusItem statusItem(controller, windows);
    controller.applicationDidFinishLaunching();

    vantir::VersionChecker checker(timedAlerts,
                                   [](const QUrl& url) { QDesktopServices::openUrl(url); });
    if (defaults.boolForKey(QStringLiteral("LookForUpdate")))
        checker.checkVersionOnline(vantir::versionDescriptionAddress(defaults));
    const int status = application.exec();
    controller.applicationWillTerminate();
    return status;
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
    const QCommandLineOption remoteDevice(
        QStringLiteral("remote-device"),
        QStringLiteral("Read the remote from PATH: an input device (/dev/input/eventN), or a FIFO "
                       "or file of input event records. Without it, the setting "
                       "\"RemoteDevicePath\" or the first remote receiver found is used."),
        QStringLiteral("PATH"));
    commandLine.addOption(remoteDevice);
    if (const auto status = commandLine.parse(argc, argv))
        return *status;
    if (commandLine.isSet(dumpArchive))
        return dump(argc, argv, commandLine.value(dumpArchive));
    return runProgram(argc, argv, commandLine.value(remoteDevice));
}
