// The newer-version check against a small HTTP server on the loopback interface.

#include "platform/core/log.h"
#include "platform/testing/loopback_http_server.h"
#include "platform/testing/wait.h"
#include "vantir/app/version_checker.h"
#include "vantir/core/preferences.h"
#include "vantir/core/version_check.h"
#include "vantir/tests/scripted_timed_alerts.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantir;

namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

using platform::doubles::LoopbackHttpServer;

using vantir::testing::ScriptedTimedAlerts;

QByteArray document(int minor, int build) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><array>"
                          "<dict><key>majorVersion</key><integer>0</integer>"
                          "<key>minorVersion</key><integer>%1</integer>"
                          "<key>buildVersion</key><integer>%2</integer>"
                          "<key>versionName</key><string>0.99 beta 21</string>"
                          "<key>notes</key><string>Fewer bugs.</string>"
                          "<key>downloadURL</key><string>https://example.org/get</string>"
                          "<key>releaseNotesURL</key><string>https://example.org/notes</string>"
                          "</dict></array></plist>")
        .arg(minor)
        .arg(build)
        .toUtf8();
}

struct Case {
    const char* name;
    int minor;
    int build;
    int answer;
    bool offered;
    const char* opened;
};

class VersionCheckTest : public ::testing::TestWithParam<Case> {
protected:
    VersionCheckTest() : defaults(str("Vantir"), folder.path()) {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        registerDefaultSettings(defaults);
        platform::setLogSink([this](const QString& line) { logLines.append(line); });
    }
    ~VersionCheckTest() override { platform::setLogSink({}); }

    /// Runs one check and waits, with a bound, for it to end.
    void check() {
        VersionChecker checker(alerts, [this](const QUrl& url) { opened.append(url); });
        bool finished = false;
        checker.checkVersionOnline(versionDescriptionAddress(defaults), [&] { finished = true; });
        ASSERT_TRUE(platform::doubles::waitUntil([&] { return finished; }, 20000));
    }

    QTemporaryDir folder;
    platform::Defaults defaults;
    ScriptedTimedAlerts alerts;
    QList<QUrl> opened;
    QStringList logLines;
};

} // namespace

TEST_P(VersionCheckTest, OffersOnlyANewerBuild) {
    LoopbackHttpServer server(document(GetParam().minor, GetParam().build));
    defaults.setString(server.address(), kVersionCheckServerKey);
    alerts.answer = GetParam().answer;
    check();
    EXPECT_EQ(server.requestLines(), QStringList{str("GET /Vantir/version.xml HTTP/1.1")});
    if (!GetParam().offered) {
        EXPECT_TRUE(alerts.shown.empty());
        EXPECT_TRUE(opened.isEmpty());
        return;
    }
    ASSERT_EQ(alerts.shown.size(), 1u);
    const TimedAlert& alert = alerts.shown[0];
    EXPECT_EQ(alert.title, str("A new version of Vantir is available!"));
    EXPECT_EQ(alert.message, str("Release Info for version 0.99 beta 21:\n\nFewer bugs.\n"));
    EXPECT_EQ(alert.defaultButton, str("Download Later"));
    EXPECT_EQ(alert.alternateButton, str("Visit Download Site"));
    EXPECT_EQ(alert.otherButton, str("More Info Online"));
    EXPECT_EQ(alert.seconds, 20);
    if (GetParam().opened)
        EXPECT_EQ(opened, QList<QUrl>{QUrl(str(GetParam().opened))});
    else
        EXPECT_TRUE(opened.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, VersionCheckTest,
    ::testing::Values(
        Case{"NewerBuildLaterOrTimeout", 9, 31, kAlertDefaultReturn, true, nullptr},
        Case{"NewerBuildVisit", 9, 31, kAlertAlternateReturn, true, "https://example.org/get"},
        Case{"NewerBuildMoreInfo", 9, 31, kAlertOtherReturn, true, "https://example.org/notes"},
        Case{"SameBuild", 9, 30, kAlertDefaultReturn, false, nullptr},
        Case{"OlderMinor", 8, 99, kAlertDefaultReturn, false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VersionCheckTest, AnUnreachableServerOnlyLogs) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    defaults.setString(str("http://127.0.0.1:%1").arg(port), kVersionCheckServerKey);
    check();
    EXPECT_TRUE(alerts.shown.empty());
    ASSERT_EQ(logLines.size(), 1);
    EXPECT_TRUE(logLines[0].startsWith(str("didFailWithError: "))) << logLines[0].toStdString();
}

TEST_F(VersionCheckTest, AServerThatTricklesForeverIsGivenUpAtTheDeadline) {
    // Every read gets a byte in time, so only a deadline for the whole answer ends the check.
    LoopbackHttpServer trickling(LoopbackHttpServer::Manner::Dribble);
    defaults.setString(trickling.address(), kVersionCheckServerKey);
    check();
    EXPECT_TRUE(alerts.shown.empty());
    ASSERT_EQ(logLines.size(), 1);
    EXPECT_TRUE(logLines[0].startsWith(str("didFailWithError: "))) << logLines[0].toStdString();
}
