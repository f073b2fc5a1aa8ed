#include "platform/core/log.h"
#include "platform/linux/freedesktop_notifier.h"
#include "platform/linux/logind_sleep_wake.h"
#include "platform/testing/wait.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include <gtest/gtest.h>

using namespace platform;
using platform::doubles::waitUntil;

namespace {

struct Call {
    QString appName;
    quint32 replacesId;
    QString summary;
    QString body;
};

/// A notification server of our own on the test's private session bus: it answers increasing
/// ids and keeps every call.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotificationServer(const QString& connectionName)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)) {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                             QDBusConnection::ExportScriptableSlots);
        m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~FakeNotificationServer() override {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
        QDBusConnection::disconnectFromBus(m_bus.name());
    }

    std::vector<Call> calls;

public Q_SLOTS:
    Q_SCRIPTABLE quint32 Notify(const QString& appName, quint32 replacesId, const QString&,
                                const QString& summary, const QString& body, const QStringList&,
                                const QVariantMap&, int) {
        calls.push_back({appName, replacesId, summary, body});
        return replacesId != 0 ? replacesId : ++m_lastId;
    }

private:
    QDBusConnection m_bus;
    quint32 m_lastId = 40;
};

struct CapturedLog {
    QStringList lines;
    CapturedLog() {
        setLogSink([this](const QString& line) { lines << line; });
    }
    ~CapturedLog() { setLogSink({}); }
};

Notification level(const QString& body, const QString& identifier = QStringLiteral("LEVEL")) {
    return {QStringLiteral("Kelvane"), QStringLiteral("Kelvane"), body, identifier};
}

} // namespace

TEST(FreedesktopNotifier, SameIdentifierReplacesTheBubble) {
    FakeNotificationServer server(QStringLiteral("server-replace"));
    FreedesktopNotifier notifier;
    notifier.post(level(QStringLiteral("one")));
    notifier.post(level(QStringLiteral("two")));
    notifier.post(level(QStringLiteral("other"), QStringLiteral("OTHER")));
    ASSERT_TRUE(waitUntil([&] { return server.calls.size() == 3; }));
    EXPECT_EQ(server.calls.front().appName, QStringLiteral("Kelvane"));
    EXPECT_EQ(server.calls.front().summary, QStringLiteral("Kelvane"));
    EXPECT_EQ(server.calls.front().replacesId, 0u);
    const auto two = std::find_if(server.calls.begin(), server.calls.end(), [](const Call& call) {
        return call.body == QStringLiteral("two");
    });
    const auto other = std::find_if(server.calls.begin(), server.calls.end(), [](const Call& call) {
        return call.body == QStringLiteral("other");
    });
    ASSERT_TRUE(two != server.calls.end() && other != server.calls.end());
    EXPECT_EQ(two->replacesId, 41u) << "the answer to the first post names the bubble";
    EXPECT_EQ(other->replacesId, 0u) << "another identifier opens its own bubble";
}

TEST(FreedesktopNotifier, BurstEndsInTheNewestText) {
    FakeNotificationServer server(QStringLiteral("server-burst"));
    FreedesktopNotifier notifier;
    for (int step = 1; step <= 5; ++step)
        notifier.post(level(QString::number(step)));
    ASSERT_TRUE(waitUntil(
        [&] { return !server.calls.empty() && server.calls.back().body == QStringLiteral("5"); }));
    EXPECT_LE(server.calls.size(), 2u) << "posts made while waiting are merged";
    EXPECT_NE(server.calls.back().replacesId, 0u);
}

TEST(FreedesktopNotifier, WithoutAServerOneLineAndNothingElse) {
    CapturedLog log;
    FreedesktopNotifier notifier;
    notifier.post(level(QStringLiteral("one"), QString()));
    notifier.post(level(QStringLiteral("two"), QString()));
    ASSERT_TRUE(waitUntil([&] { return !log.lines.isEmpty(); }));
    notifier.post(level(QStringLiteral("three"), QString()));
    EXPECT_FALSE(waitUntil([&] { return log.lines.size() > 1; }, 300));
    EXPECT_TRUE(log.lines.first().startsWith(QStringLiteral("notifications cannot be shown")));
}

TEST(LogindSleepWake, PrepareForSleepCallsSleepThenWake) {
    QDBusConnection login =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("login"));
    ASSERT_TRUE(login.registerService(QStringLiteral("org.freedesktop.login1")));
    LogindSleepWake sleepWake(QDBusConnection::sessionBus());
    QStringList calls;
    sleepWake.setHandlers([&] { calls << QStringLiteral("sleep"); },
                          [&] { calls << QStringLiteral("wake"); });
    for (bool start : {true, false}) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << start;
        login.send(signal);
    }
    EXPECT_TRUE(waitUntil([&] { return calls.size() == 2; }));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("sleep"), QStringLiteral("wake")}));
    QDBusConnection::disconnectFromBus(QStringLiteral("login"));
}

TEST(LogindSleepWake, NoBusIsOneLogLine) {
    CapturedLog log;
    LogindSleepWake sleepWake(QDBusConnection(QStringLiteral("not connected")));
    EXPECT_EQ(log.lines.size(), 1);
}

#include "test_desktop_dbus.moc"
