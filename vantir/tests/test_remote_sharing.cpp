// Sharing the receiver with another program over the session bus: this process's device finds
// the receiver taken, asks for it, and opens it when the other program (a second process)
// announces it has finished; giving it back is announced to that process in turn.

#include "platform/linux/dbus_distributed_notification_center.h"
#include "platform/testing/wait.h"
#include "vantir/core/remote_device.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace vantir;
using platform::doubles::waitUntil;

namespace {

struct TakenThenFreeSource : ElementSource {
    int opens = 0;
    bool deviceExists() const override { return true; }
    std::vector<int> cookies() const override { return {18, 19, 31}; }
    OpenResult open(bool, const std::vector<int>&, Callout) override {
        return ++opens == 1 ? OpenResult::ExclusiveAccess : OpenResult::Opened;
    }
    void close() override {}
};

// The other program: `peer listen NAME` prints the first such notification and exits.
struct Listener {
    QProcess process;
    explicit Listener(const char* name) {
        process.start(qEnvironmentVariable("PLATFORM_TEST_PEER"),
                      {QStringLiteral("listen"), QString::fromLatin1(name)});
        // It says "ready" once it listens.
        process.waitForReadyRead(10000);
        process.readLine();
    }
    QByteArray heard() {
        process.waitForFinished(10000);
        return process.readAllStandardOutput();
    }
};

void postFromPeer(const QString& name) {
    QProcess peer;
    peer.start(qEnvironmentVariable("PLATFORM_TEST_PEER"),
               {QStringLiteral("post"), name, QString(), QStringLiteral("done")});
    ASSERT_TRUE(peer.waitForFinished(10000));
    ASSERT_EQ(peer.exitCode(), 0);
}

struct NoDelegate : RemoteDeviceDelegate {
    void sendRemoteButtonEvent(int, bool, RemoteDevice*) override {}
    void setRemoteID(int) override {}
};

} // namespace

TEST(RemoteSharing, AsksForATakenReceiverAndTakesItWhenTheOtherProgramIsDone) {
    platform::DBusDistributedNotificationCenter center;
    ASSERT_TRUE(center.isConnected()) << "needs a session bus";
    NoDelegate delegate;
    auto* source = new TakenThenFreeSource;
    IRRemoteDevice device(&delegate, std::unique_ptr<ElementSource>(source), CookieLayout::Newer,
                          QStringLiteral("9.8.0"),
                          RemoteSharing{&center, QStringLiteral("org.notebooksuite.Vantir")});

    Listener request("mac.remotecontrols.RequestForRemoteControl");
    device.startListening();
    EXPECT_FALSE(device.isListeningToRemote());
    EXPECT_TRUE(request.heard().startsWith("mac.remotecontrols.RequestForRemoteControl|"));

    postFromPeer(kFinishedUsingRemoteNotification);
    ASSERT_TRUE(waitUntil([&] { return device.isListeningToRemote(); }));
    EXPECT_EQ(source->opens, 2);

    Listener finished("mac.remotecontrols.FinishedUsingRemoteControl");
    device.stopListening();
    EXPECT_TRUE(finished.heard().startsWith("mac.remotecontrols.FinishedUsingRemoteControl|"));
}
