#include "kelvane/app/fetch_updater.h"
#include "platform/testing/loopback_http_server.h"
#include "platform/testing/manual_clock.h"
#include "platform/testing/recording_notifier.h"
#include "platform/testing/wait.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kelvane;
using platform::doubles::LoopbackHttpServer;

namespace {

const QByteArray kDescription =
    "<plist version=\"1.0\"><dict><key>version</key><string>1.10</string>"
    "<key>url</key><string>https://kelvane.example.org/get</string></dict></plist>";

struct UpdaterFixture {
    QTemporaryDir folder;
    platform::Defaults defaults{QStringLiteral("Kelvane"), folder.path()};
    platform::doubles::ManualClock clock;
    platform::doubles::RecordingNotifier notifier;
    FetchUpdater updater{clock, defaults, &notifier, QStringLiteral("1.9")};
};

} // namespace

TEST(UpdateDescription, ParsesAndComparesVersions) {
    const auto parsed = parseUpdateDescription(kDescription);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed->version, QStringLiteral("1.10"));
    EXPECT_TRUE(isNewerVersion(QStringLiteral("1.10"), QStringLiteral("1.9")));
    EXPECT_FALSE(isNewerVersion(QStringLiteral("1.2"), QStringLiteral("1.2")));
    EXPECT_FALSE(parseUpdateDescription("<html>not found</html>").ok());
    EXPECT_FALSE(parseUpdateDescription("<plist version=\"1.0\"><dict/></plist>").ok());
}

TEST(FetchUpdater, ScheduledCheckFetchesAndAnnouncesANewerVersionOnce) {
    LoopbackHttpServer server(kDescription);
    UpdaterFixture u;
    u.defaults.setString(server.url(QStringLiteral("/update.plist")).toString(),
                         QStringLiteral("SUFeedURL"));
    u.updater.scheduleCheckWithInterval(3600);
    u.clock.advance(3600);
    ASSERT_TRUE(platform::doubles::waitUntil(
        [&] { return server.requests() == 1 && !u.notifier.posted.empty(); }));
    EXPECT_EQ(u.notifier.posted[0].title, QStringLiteral("Kelvane 1.10 is available"));
    u.clock.advance(3600);
    ASSERT_TRUE(platform::doubles::waitUntil([&] { return server.requests() == 2; }));
    bool secondDone = false;
    u.updater.checkForUpdates([&](auto) { secondDone = true; });
    ASSERT_TRUE(platform::doubles::waitUntil([&] { return secondDone; }));
    EXPECT_EQ(u.notifier.posted.size(), 1u);
    EXPECT_EQ(server.requestLines().first(), QStringLiteral("GET /update.plist HTTP/1.1"));
}

TEST(FetchUpdater, CheckAtLaunchOnlyWhenAsked) {
    LoopbackHttpServer server(kDescription);
    UpdaterFixture u;
    u.defaults.setString(server.url().toString(), QStringLiteral("SUFeedURL"));
    u.updater.start();
    u.clock.advance(1);
    EXPECT_EQ(u.clock.pendingTimers(), 0);
    u.defaults.setBool(true, QStringLiteral("SUCheckAtStartup"));
    u.updater.start();
    u.clock.advance(1);
    EXPECT_TRUE(platform::doubles::waitUntil([&] { return server.requests() == 1; }));
}

TEST(FetchUpdater, SilentServerEndsInAnErrorWithinTheDeadline) {
    LoopbackHttpServer server(LoopbackHttpServer::Manner::Silent);
    UpdaterFixture u;
    u.defaults.setString(server.url().toString(), QStringLiteral("SUFeedURL"));
    u.updater.setDeadlineMs(300);
    std::optional<bool> ok;
    u.updater.checkForUpdates([&](auto found) { ok = found.ok(); });
    ASSERT_TRUE(platform::doubles::waitUntil([&] { return ok.has_value(); }, 5000));
    EXPECT_FALSE(*ok);
    EXPECT_TRUE(u.notifier.posted.empty());
}
