// Distributed notifications between two processes on a real session bus (the test runs under
// its own dbus-run-session).

#include "platform/linux/dbus_distributed_notification_center.h"
#include "platform/testing/wait.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

class DBusNotificationsTest : public ::testing::Test {
protected:
    static QString peer() { return qEnvironmentVariable("PLATFORM_TEST_PEER"); }
};

} // namespace

TEST_F(DBusNotificationsTest, AnotherProcessHearsWhatWePost) {
    DBusDistributedNotificationCenter center;
    ASSERT_TRUE(center.isConnected());
    QProcess listener;
    listener.start(peer(), {str("listen"), str("example.Request")});
    ASSERT_TRUE(listener.waitForReadyRead(10000));
    ASSERT_EQ(listener.readLine().trimmed(), QByteArray("ready"));

    center.post(str("example.Unrelated"), QString(), Value());
    center.post(str("example.Request"), str("sender"),
                Value::newDictionary({{str("key"), str("IR receiver")}}));
    ASSERT_TRUE(listener.waitForFinished(10000));
    EXPECT_EQ(listener.exitCode(), 0);
    EXPECT_EQ(listener.readAll().trimmed(), QByteArray("example.Request|sender|key=IR receiver"));
}

TEST_F(DBusNotificationsTest, WeHearWhatAnotherProcessPostsAndOurOwnPosts) {
    DBusDistributedNotificationCenter center;
    std::vector<DistributedNotification> heard;
    center.addObserver(this, str("example.Finished"), QString(),
                       [&](const DistributedNotification& note) { heard.push_back(note); });
    int others = 0;
    center.addObserver(this, str("example.Finished"), str("someone else"),
                       [&](const DistributedNotification&) { ++others; });

    ASSERT_EQ(
        QProcess::execute(peer(), {str("post"), str("example.Finished"), str("peer"), str("done")}),
        0);
    ASSERT_TRUE(platform::doubles::waitUntil([&] { return heard.size() == 1; }));
    EXPECT_EQ(heard[0].object, str("peer"));
    EXPECT_EQ(heard[0].userInfo[str("key")].toString(), str("done"));

    center.post(str("example.Finished"), str("self"), Value());
    ASSERT_TRUE(platform::doubles::waitUntil([&] { return heard.size() == 2; }));
    EXPECT_EQ(heard[1].object, str("self"));
    EXPECT_TRUE(heard[1].userInfo.isNone());
    EXPECT_EQ(others, 0);

    center.removeObserver(this);
    center.post(str("example.Finished"), str("self"), Value());
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(heard.size(), 2u);
}
