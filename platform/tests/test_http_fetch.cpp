// Fetches from a real HTTP server on the loopback interface, run by the test itself.

#include "platform/network/http_fetch.h"
#include "platform/testing/loopback_http_server.h"
#include "platform/testing/wait.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QTcpServer>

#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

using namespace platform;
using platform::doubles::waitUntil;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

using platform::doubles::LoopbackHttpServer;
using Manner = LoopbackHttpServer::Manner;

// One fetch on this thread's event loop, waited for with a bound well past its deadline.
std::optional<FetchResult> fetchHere(const FetchRequest& request) {
    QNetworkAccessManager network;
    std::optional<FetchResult> result;
    fetch(network, request, [&result](FetchResult answer) { result = std::move(answer); });
    EXPECT_TRUE(waitUntil([&] { return result.has_value(); }, 20000));
    return result;
}

class HttpFetch : public ::testing::Test {
protected:
    HttpFetch() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
};

} // namespace

TEST_F(HttpFetch, AGoodAnswerGivesItsBody) {
    LoopbackHttpServer server(QByteArray("version 2"));
    const auto result = fetchHere({server.url(), 5000});
    ASSERT_TRUE(result && *result) << (result ? result->error().toStdString() : "");
    EXPECT_EQ(result->value(), QByteArray("version 2"));
    EXPECT_EQ(server.requests(), 1);
}

TEST_F(HttpFetch, OtherStatusesAndBadAddressesAreErrors) {
    LoopbackHttpServer missing("not here", 404);
    auto result = fetchHere({missing.url(), 5000});
    ASSERT_TRUE(result);
    ASSERT_FALSE(*result);
    EXPECT_TRUE(result->error().contains(str("404"))) << result->error().toStdString();

    for (const char* address : {"ftp://127.0.0.1/x", "not an address", ""}) {
        result = fetchHere({QUrl(str(address)), 5000});
        ASSERT_TRUE(result);
        EXPECT_FALSE(*result) << address;
    }

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QUrl refused(str("http://127.0.0.1:%1/").arg(closed.serverPort()));
    closed.close();
    result = fetchHere({refused, 5000});
    ASSERT_TRUE(result);
    EXPECT_FALSE(*result);
}

TEST_F(HttpFetch, TheDeadlineBoundsTheWholeAnswer) {
    // A server that never answers, and one that keeps every read busy but never finishes:
    // both end in an error at the deadline, long before the 20-second bound of the wait.
    for (const Manner manner : {Manner::Silent, Manner::Dribble}) {
        LoopbackHttpServer server(manner);
        const auto result = fetchHere({server.url(), 300});
        ASSERT_TRUE(result);
        ASSERT_FALSE(*result);
        EXPECT_TRUE(result->error().contains(str("within 300 ms")))
            << result->error().toStdString();
    }
}

TEST_F(HttpFetch, AnAnswerOverTheCapIsRefused) {
    LoopbackHttpServer server(QByteArray(4096, 'x'));
    const auto result = fetchHere({server.url(), 5000, 1024});
    ASSERT_TRUE(result);
    ASSERT_FALSE(*result);
    EXPECT_TRUE(result->error().contains(str("larger than 1024"))) << result->error().toStdString();
}

TEST_F(HttpFetch, AWorkerThreadCanWaitForTheAnswer) {
    LoopbackHttpServer server(QByteArray("version 2"));
    std::optional<FetchResult> result;
    std::atomic<bool> finished = false;
    std::thread worker([&] {
        result = fetchAndWait({server.url(), 5000});
        finished = true;
    });
    // The server lives on this thread's event loop.
    EXPECT_TRUE(waitUntil([&] { return finished.load(); }, 20000));
    worker.join();
    ASSERT_TRUE(result && *result);
    EXPECT_EQ(result->value(), QByteArray("version 2"));
}
