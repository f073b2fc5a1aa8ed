// How long a decided remote event takes to reach the performer, by hand:
// build/bin/vantir-remote-bench [EVENTS]. Play clicks are written as input event records into a
// FIFO that the program's receiver reads on the real event loop; each click is decided when its
// click window ends, and the time from that moment to the performer's call is the latency. The
// window is shortened to 20 ms so that a thousand clicks take seconds, not minutes.

#include "platform/core/event_loop_clock.h"
#include "platform/core/front_application.h"
#include "platform/core/log.h"
#include "platform/core/notification_center.h"
#include "platform/core/sleep_wake.h"
#include "vantir/core/controller.h"
#include "vantir/core/osd_display.h"
#include "vantir/core/preferences.h"
#include "vantir/core/repository.h"
#include "vantir/core/script_runner.h"
#include "vantir/linux/evdev_remote_device.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace vantir;

QString str(const char* text) {
    return QString::fromUtf8(text);
}

struct Silent : ScriptRunner, SoundPlayer, platform::SleepWake, platform::FrontApplication {
    bool callScriptNamed(const QString&, const QMap<QString, QString>&) override { return true; }
    void play(const QString&) override {}
    void setHandlers(std::function<void()>, std::function<void()>) override {}
    QString frontApplicationName() const override { return {}; }
    void setChangeHandler(std::function<void(const QString&)>) override {}
};

const char* const kArchive =
    "<plist version=\"1.0\"><dict><key>Version</key><integer>30</integer>"
    "<key>Library</key><array><dict><key>class</key><string>VNTAKeystroke</string>"
    "<key>uuid</key><string>K</string><key>name</key><string>Key</string></dict></array>"
    "<key>Remotes</key><array><dict><key>class</key><string>VNTAppleRemote</string>"
    "<key>childs</key><array><dict><key>class</key><string>VNTTriggerLayer</string>"
    "<key>name</key><string>Main</string><key>childs</key><array>"
    "<dict><key>class</key><string>VNTTriggerAppleRemote</string><key>osdb</key>"
    "<integer>1</integer><key>childs</key><array><dict><key>class</key>"
    "<string>VNTTriggerAction</string><key>uuid</key><string>K</string></dict></array></dict>"
    "</array></dict></array></dict></array></dict></plist>";

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int events = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    platform::setLogSink([](const QString&) {});
    QTemporaryDir folder;
    const QString fifo = folder.path() + str("/remote");
    if (::mkfifo(fifo.toLocal8Bit().constData(), 0600) != 0)
        return 1;

    platform::EventLoopClock clock;
    platform::NotificationCenter notifications;
    platform::Defaults defaults(str("Vantir"), folder.path());
    registerDefaultSettings(defaults);
    defaults.setFloat(500, str("DoubleClickSpeed"));
    defaults.setBool(false, str("AnnounceActivationStatus"));
    Preferences preferences(defaults, notifications);
    ModelContext model(clock, notifications, &preferences);
    VNTRepository repository(model);
    repository.adopt(*parseArchive(QByteArrayView(kArchive)));

    const double window = clickWindow(defaults);
    std::vector<double> latencies;
    double keyUpRead = 0;
    QElapsedTimer steady;
    steady.start();
    auto container = std::make_unique<RemoteDeviceContainer>();
    container->instantiateAndAddRemoteDevice([&](RemoteDeviceDelegate* delegate) {
        return std::make_unique<EvdevRemoteDevice>(
            delegate, clock, [] { return 0.5; }, fifo);
    });
    IRAppleRemoteHandler remote(clock, defaults, nullptr, std::move(container));
    // The interpreter hears Play at its key-up, when the click window starts: note the moment.
    struct Stamp : RemoteDeviceDelegate {
        IRAppleRemoteHandler* handler;
        QElapsedTimer* steady;
        double* keyUpRead;
        void sendRemoteButtonEvent(int identifier, bool pressed, RemoteDevice* device) override {
            *keyUpRead = double(steady->nsecsElapsed()) / 1e6;
            handler->sendRemoteButtonEvent(identifier, pressed, device);
        }
        void setRemoteID(int remoteID) override { handler->setRemoteID(remoteID); }
    } stamp;
    stamp.handler = &remote;
    stamp.steady = &steady;
    stamp.keyUpRead = &keyUpRead;
    remote.appleRemote()->setDelegate(&stamp);
    Silent silent;
    VNTController controller(
        {clock, preferences, notifications, repository, remote, silent, silent, silent, silent});
    controller.setActivated(true);
    controller.showLayer(0);

    const int writer = ::open(fifo.toLocal8Bit().constData(), O_WRONLY);
    auto click = [&] {
        input_event records[4]{};
        records[0] = {{}, EV_KEY, KEY_PLAYPAUSE, 1};
        records[1] = {{}, EV_SYN, SYN_REPORT, 0};
        records[2] = {{}, EV_KEY, KEY_PLAYPAUSE, 0};
        records[3] = {{}, EV_SYN, SYN_REPORT, 0};
        if (::write(writer, records, sizeof records) != ssize_t(sizeof records))
            QCoreApplication::exit(1);
    };
    // The decision is due one click window after the key-up was read.
    model.setPerformer(str("VNTAKeystroke"), [&](const VNTAction&) {
        latencies.push_back(double(steady.nsecsElapsed()) / 1e6 - (keyUpRead + window * 1e3));
        if (int(latencies.size()) == events)
            QCoreApplication::quit();
        else
            QTimer::singleShot(0, click);
        return true;
    });
    QTimer::singleShot(0, click);
    const int status = application.exec();
    if (status != 0 || latencies.empty())
        return 1;
    std::printf("%d decided events through a FIFO on the event loop\n", int(latencies.size()));
    std::printf("latency after the click window: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                percentile(latencies, 0.5), percentile(latencies, 0.99),
                percentile(latencies, 1.0));
    ::close(writer);
    return 0;
}
