// The single-copy guard between this test and a second process on a real session bus (the
// test runs under its own dbus-run-session).

#include "platform/linux/single_instance.h"

#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <gtest/gtest.h>

using platform::SingleInstance;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

// Runs "peer claim PROGRAM" and answers its status; the event loop of this process runs
// meanwhile, so that it can answer the peer's call.
int peerClaims(const QString& program,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess peer;
    peer.setProcessEnvironment(environment);
    peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    peer.start(qEnvironmentVariable("PLATFORM_TEST_PEER"), {str("claim"), program});
    QEventLoop loop;
    QObject::connect(&peer, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (peer.state() != QProcess::NotRunning)
        loop.exec();
    EXPECT_EQ(peer.state(), QProcess::NotRunning) << "the peer did not finish";
    return peer.exitStatus() == QProcess::NormalExit ? peer.exitCode() : -1;
}

} // namespace

TEST(SingleInstance, ALaterCopyBringsTheFirstForwardAndStops) {
    int activations = 0;
    SingleInstance guard(str("GuardTest"));
    ASSERT_EQ(guard.claim([&activations] { ++activations; }), SingleInstance::Outcome::First);
    EXPECT_EQ(guard.busName(), str("org.notebooksuite.GuardTest"));

    EXPECT_EQ(peerClaims(str("GuardTest")), 0);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(peerClaims(str("GuardTest")), 0);
    EXPECT_EQ(activations, 2);
    EXPECT_EQ(peerClaims(str("OtherProgram")), 10) << "each program has its own name";
}

TEST(SingleInstance, TheNameIsFreeAgainOnceTheFirstCopyHasGone) {
    EXPECT_EQ(peerClaims(str("Reclaimed")), 10);
    SingleInstance guard(str("Reclaimed"));
    EXPECT_EQ(guard.claim([] {}), SingleInstance::Outcome::First);
}

TEST(SingleInstance, WithoutASessionBusTheProgramRunsUnguarded) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(str("DBUS_SESSION_BUS_ADDRESS"), str("unix:path=/nonexistent/bus"));
    EXPECT_EQ(peerClaims(str("NoBus"), environment), 11);
}
