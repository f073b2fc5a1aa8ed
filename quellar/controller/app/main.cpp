// QuellarController: composes the processor's frequency/voltage tables for mains and battery,
// tests and saves them as the switcher daemon's configuration, and shows live values.

#include "platform/core/command_line.h"
#include "platform/core/defaults.h"
#include "platform/core/event_loop_clock.h"
#include "platform/core/log.h"
#include "platform/core/resources.h"
#include "platform/linux/quit_requests.h"
#include "platform/linux/single_instance.h"
#include "platform/qt/message_box_alerts.h"
#include "quellar/common/core/driver_entries.h"
#include "quellar/controller/app/controller_window.h"
#include "quellar/controller/app/version_check.h"
#include "quellar/controller/core/controller.h"
#include "quellar/controller/core/system_paths.h"
#include "quellar/controller/linux/helper_privileged.h"
#include "quellar/controller/linux/secret_keychain.h"
#include "quellar/controller/linux/user_readings.h"

#include <QApplication>
#include <QFile>
#include <QNetworkAccessManager>
#include <QThread>
#include <QTimer>

#include <cstdlib>

namespace {

using namespace quellar;

class ThreadPause final : public Pause {
public:
    void pause(double seconds) override {
        QThread::usleep(static_cast<unsigned long>(seconds * 1e6));
    }
};

// The test runs on a worker; its questions are asked on the main thread, which owns the windows.
class MainThreadAlerts final : public platform::Alerts {
public:
    explicit MainThreadAlerts(platform::Alerts& alerts) : m_alerts(alerts) {}
    platform::AlertResponse runModal(const platform::Alert& alert) override {
        if (QThread::currentThread() == qApp->thread())
            return m_alerts.runModal(alert);
        platform::AlertResponse answer = platform::AlertResponse::First;
        QMetaObject::invokeMethod(
            qApp, [&] { answer = m_alerts.runModal(alert); }, Qt::BlockingQueuedConnection);
        return answer;
    }
    void beep() override { m_alerts.beep(); }

private:
    platform::Alerts& m_alerts;
};

QString environment(const char* name) {
    return QString::fromLocal8Bit(std::getenv(name));
}

} // namespace

int main(int argc, char** argv) {
    platform::setLogPrefix(QStringLiteral("QuellarController"));
    platform::CommandLine commandLine(
        QStringLiteral("QuellarController"), QString::fromUtf8(kControllerVersion),
        QStringLiteral(
            "Composes the processor's frequency/voltage tables for mains and battery power, tests "
            "and "
            "saves them for QuellarSwitcher, and shows the present frequency, voltage and "
            "temperature.\n\n"
            "Environment: QUELLAR_DRIVER=sim:DIR uses a simulated processor (quellar-sim init "
            "DIR); "
            "QUELLAR_ROOT=DIR puts every system file under DIR; QUELLAR_PRIVILEGED=direct runs "
            "quellar-helper without pkexec."));
    if (const auto status = commandLine.parse(argc, argv))
        return *status;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuellarController"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quellar Controller"));
    QApplication::setDesktopFileName(QStringLiteral("quellar-controller"));
    QApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<ControllerWindow> window;
    platform::SingleInstance guard(QStringLiteral("QuellarController"));
    if (guard.claim([&window] {
            if (window) {
                window->show();
                window->raise();
                window->activateWindow();
            }
        }) == platform::SingleInstance::Outcome::AlreadyRunning)
        return 0;

    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString root =
        environment("QUELLAR_ROOT").isEmpty() ? QStringLiteral("/") : environment("QUELLAR_ROOT");
    const QByteArray selection = qgetenv("QUELLAR_DRIVER");
    const bool simulated = selection.startsWith("sim:");

    std::string problem;
    std::unique_ptr<DriverEntries> registers = openDriverEntries(selection.constData(), problem);
    if (!registers) {
        platform::log(QString::fromStdString(problem));
        return 1;
    }
    std::unique_ptr<DriverEntries> driver;
    KernelReadings kernel;
    if (simulated) {
        if (!problem.empty())
            platform::log(QString::fromStdString(problem));
        driver = std::move(registers);
    } else {
        const bool usable = problem.empty();
        driver =
            std::make_unique<UserDriverEntries>(std::move(registers), usable,
                                                (root == QStringLiteral("/") ? QString() : root) +
                                                    QString::fromUtf8(kPublishedEntriesPath));
    }

    const QString helper = HelperPrivileged::findHelper(programFolder);
    if (helper.isEmpty())
        platform::log(QStringLiteral("no quellar-helper beside %1: nothing can be installed")
                          .arg(programFolder));
    HelperPrivileged privileged(helper,
                                environment("QUELLAR_PRIVILEGED") == QStringLiteral("direct")
                                    ? HelperPrivileged::Mode::Direct
                                    : HelperPrivileged::Mode::Pkexec);
    SecretKeychain keychain;
    const InstalledSystem system(
        {root, programFolder + QStringLiteral("/QuellarSwitcher"),
         simulated ? QString::fromLocal8Bit(selection.mid(4)) : QString()});
    ThreadPause pause;
    platform::MessageBoxAlerts boxes;
    MainThreadAlerts alerts(boxes);
    platform::Defaults defaults(QString::fromUtf8(kDefaultsDomain));
    const platform::Resources resources(QStringLiteral("quellar/controller"));
    QFile agreement(resources.pathForResource(QStringLiteral("agreement"), QStringLiteral("txt")));
    const QString agreementText = agreement.open(QIODevice::ReadOnly)
                                      ? QString::fromUtf8(agreement.readAll())
                                      : QStringLiteral("Install at your own risk.");
    platform::EventLoopClock clock;
    QNetworkAccessManager network;
    VersionCheck versionCheck(network, alerts, updateServer(defaults));

    window = std::make_unique<ControllerWindow>(
        WindowServices{clock, [&](bool) { versionCheck.findNewVersion(); },
                       [&](const QString& text) {
                           versionCheck.sendDBG(text);
                       }});
    Controller controller({alerts, defaults, *driver, privileged, keychain, system, pause,
                           agreementText, simulated ? nullptr : &kernel},
                          *window);
    window->setController(&controller);
    const platform::QuitRequests quitRequests([&window] { window->close(); });
    window->show();
    // The start-up asks its questions over the window, once it is on the screen.
    QTimer::singleShot(0, window.get(), [&] {
        controller.awakeFromNib();
        window->start();
        if (controller.settings().checkedItems[kCheckForNewVersion])
            versionCheck.findNewVersion();
    });
    const int status = application.exec();
    window.reset();
    return status;
}
