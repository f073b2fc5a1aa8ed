#include "fluxen/app/update_checker.h"
#include "platform/testing/loopback_http_server.h"

#include <QByteArray>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>
#include <optional>

namespace fluxen {
namespace {

using platform::doubles::LoopbackHttpServer;

struct Outcome {
    bool arrived = false;
    std::optional<QByteArray> body;
};

Outcome check(const QString& address, int timeoutMs) {
    QObject context;
    Outcome outcome;
    {
        UpdateChecker checker;
        EXPECT_TRUE(
            checker.pingHome(QUrl(address + QStringLiteral("/mysoft/mysoft.php?soft=Fluxen")),
                             timeoutMs, &context, [&](std::optional<QByteArray> body) {
                                 outcome.arrived = true;
                                 outcome.body = body;
                             }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.arrived; }, 10000));
    }
    return outcome;
}

TEST(UpdateCheck, AsksTheServerOffTheMainThread) {
    LoopbackHttpServer server(QByteArray("update available"));
    const Outcome outcome = check(server.address(), 5000);
    ASSERT_TRUE(outcome.body);
    EXPECT_EQ(*outcome.body, QByteArray("update available"));
    ASSERT_EQ(server.requests(), 1);
    EXPECT_EQ(server.requestLines().first(),
              QStringLiteral("GET /mysoft/mysoft.php?soft=Fluxen HTTP/1.1"));
}

TEST(UpdateCheck, FailuresGiveNoAnswer) {
    LoopbackHttpServer broken(QByteArray("oops"), 500);
    EXPECT_FALSE(check(broken.address(), 5000).body);

    LoopbackHttpServer silent(LoopbackHttpServer::Manner::Silent);
    EXPECT_FALSE(check(silent.address(), 300).body); // the time runs out

    // Headers and then a byte now and then, never the whole body: the limit is for the
    // whole answer, not for each read.
    LoopbackHttpServer trickling(LoopbackHttpServer::Manner::Dribble);
    EXPECT_FALSE(check(trickling.address(), 300).body);

    LoopbackHttpServer good(QByteArray("update available"));
    EXPECT_FALSE(
        check(good.address().replace(QStringLiteral("http:"), QStringLiteral("ftp:")), 300).body)
        << "only plain http is asked";

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    EXPECT_FALSE(check(QStringLiteral("http://127.0.0.1:%1").arg(port), 5000).body);
}

TEST(UpdateCheck, OnlyOneCheckAtATime) {
    LoopbackHttpServer silent(LoopbackHttpServer::Manner::Silent);
    QObject context;
    UpdateChecker checker;
    const QUrl url(silent.address());
    EXPECT_TRUE(checker.pingHome(url, 200, &context, [](auto) {}));
    EXPECT_FALSE(checker.pingHome(url, 200, &context, [](auto) {}));
    // Destroying the checker waits for the running check, bounded by its timeout.
}

} // namespace
} // namespace fluxen
