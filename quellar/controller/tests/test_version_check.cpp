#include "platform/testing/loopback_http_server.h"
#include "platform/testing/scripted_alerts.h"
#include "platform/testing/wait.h"
#include "quellar/controller/app/version_check.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

using namespace quellar;
using platform::doubles::LoopbackHttpServer;
using platform::doubles::waitUntil;

TEST(VersionCheck, ComparesAsFloats) {
    EXPECT_TRUE(isNewerVersion("2.1\n", QStringLiteral("2.0")));
    EXPECT_FALSE(isNewerVersion("2.0", QStringLiteral("2.0")));
    EXPECT_FALSE(isNewerVersion("<html>not found</html>", QStringLiteral("2.0")))
        << "garbage is version 0";
}

TEST(VersionCheck, ANewerVersionIsOfferedWithItsDescription) {
    LoopbackHttpServer server("9.5");
    QNetworkAccessManager network;
    platform::doubles::ScriptedAlerts alerts;
    alerts.answers = {platform::AlertResponse::Second};
    VersionCheck check(network, alerts, QUrl(server.address() + QStringLiteral("/quellar/")));
    check.findNewVersion();
    ASSERT_TRUE(waitUntil([&] { return !alerts.shown.empty(); }));
    EXPECT_EQ(
        alerts.shown[0].messageText,
        QStringLiteral("A new version of Quellar is available.\nDo you want to download it?"));
    EXPECT_EQ(alerts.shown[0].informativeText, QStringLiteral("9.5"));
    EXPECT_EQ(
        server.requestLines(),
        (QStringList{QStringLiteral("GET /quellar/PHP/version.php?mode=Version HTTP/1.1"),
                     QStringLiteral("GET /quellar/PHP/version.php?mode=Description HTTP/1.1")}));
}

TEST(VersionCheck, AFailedFetchShowsNothing) {
    LoopbackHttpServer server("9.5", 404);
    QNetworkAccessManager network;
    platform::doubles::ScriptedAlerts alerts;
    VersionCheck check(network, alerts, QUrl(server.address() + QStringLiteral("/")));
    check.findNewVersion();
    ASSERT_TRUE(waitUntil([&] { return server.requests() == 1; }));
    waitUntil([&] { return !alerts.shown.empty(); }, 300);
    EXPECT_TRUE(alerts.shown.empty());
}

TEST(Diagnostic, TheTextIsUrlEncoded) {
    LoopbackHttpServer server("ok");
    QNetworkAccessManager network;
    platform::doubles::ScriptedAlerts alerts;
    VersionCheck check(network, alerts, QUrl(server.address() + QStringLiteral("/")));
    check.sendDBG(QStringLiteral("bus=200 MHz&ratio=12/6;\u00B0C#"));
    ASSERT_TRUE(waitUntil([&] { return server.requests() == 1; }));
    EXPECT_EQ(server.requestLines().first(),
              QStringLiteral(
                  "GET /PHP/dbg.php?kod=bus%3D200%20MHz%26ratio%3D12%2F6%3B%C2%B0C%23 HTTP/1.1"));
}
