#include "fluxen/app/update_checker.h"

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <optional>

namespace fluxen {
namespace {

// A tiny web server on loopback: answers every request with `body`, or stays silent.
class LoopbackServer {
public:
    explicit LoopbackServer(std::optional<QByteArray> body, int status = 200) {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
        QObject::connect(&server, &QTcpServer::newConnection, [this, body, status] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                QObject::connect(
                    socket, &QTcpSocket::readyRead, socket, [this, socket, body, status] {
                        const QByteArray request = socket->readAll();
                        requests << request.left(request.indexOf("\r\n"));
                        if (!body)
                            return; // silent
                        socket->write("HTTP/1.1 " + QByteArray::number(status) +
                                      " Whatever\r\nContent-Type: text/plain\r\nContent-Length: " +
                                      QByteArray::number(body->size()) +
                                      "\r\nConnection: close\r\n\r\n" + *body);
                        socket->disconnectFromHost();
                    });
            }
        });
    }
    QString address() const {
        return QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
    }

    QTcpServer server;
    QList<QByteArray> requests;
};

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
    LoopbackServer server(QByteArray("update available"));
    const Outcome outcome = check(server.address(), 5000);
    ASSERT_TRUE(outcome.body);
    EXPECT_EQ(*outcome.body, QByteArray("update available"));
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests.first(), QByteArray("GET /mysoft/mysoft.php?soft=Fluxen HTTP/1.1"));
}

TEST(UpdateCheck, FailuresGiveNoAnswer) {
    LoopbackServer broken(QByteArray("oops"), 500);
    EXPECT_FALSE(check(broken.address(), 5000).body);

    LoopbackServer silent(std::nullopt);
    EXPECT_FALSE(check(silent.address(), 300).body); // the time runs out

    // Headers and then a byte now and then, never the whole body: the limit is for the
    // whole answer, not for each read.
    QTcpServer trickling;
    ASSERT_TRUE(trickling.listen(QHostAddress::LocalHost));
    QObject::connect(&trickling, &QTcpServer::newConnection, [&trickling] {
        while (QTcpSocket* socket = trickling.nextPendingConnection()) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
            auto* drip = new QTimer(socket);
            QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write("x"); });
            drip->start(20);
        }
    });
    EXPECT_FALSE(
        check(QStringLiteral("http://127.0.0.1:%1").arg(trickling.serverPort()), 300).body);

    LoopbackServer good(QByteArray("update available"));
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
    LoopbackServer silent(std::nullopt);
    QObject context;
    UpdateChecker checker;
    const QUrl url(silent.address());
    EXPECT_TRUE(checker.pingHome(url, 200, &context, [](auto) {}));
    EXPECT_FALSE(checker.pingHome(url, 200, &context, [](auto) {}));
    // Destroying the checker waits for the running check, bounded by its timeout.
}

} // namespace
} // namespace fluxen
