#include "platform/testing/loopback_http_server.h"

#include <QTcpSocket>
#include <QTimer>

namespace platform::doubles {

LoopbackHttpServer::LoopbackHttpServer(QByteArray body, int status, Manner manner)
    : m_body(std::move(body)), m_status(status), m_manner(manner) {
    if (!m_server.listen(QHostAddress::LocalHost))
        qFatal("the loopback server cannot listen: %s", qPrintable(m_server.errorString()));
    QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket] { answer(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                m_pending.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

LoopbackHttpServer::LoopbackHttpServer(Manner manner) : LoopbackHttpServer({}, 200, manner) {}

LoopbackHttpServer::~LoopbackHttpServer() {
    // The connections still open die with the server; they must not call back into it then.
    for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>())
        QObject::disconnect(socket, nullptr, nullptr, nullptr);
}

QString LoopbackHttpServer::address() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
}

QUrl LoopbackHttpServer::url(const QString& path) const {
    return QUrl(address() + path);
}

void LoopbackHttpServer::answer(QTcpSocket* socket) {
    QByteArray& request = m_pending[socket];
    request += socket->readAll();
    if (!request.contains("\r\n\r\n"))
        return;
    m_requestLines.append(QString::fromLatin1(request.left(request.indexOf("\r\n"))));
    request.clear();
    switch (m_manner) {
    case Manner::Silent:
        return;
    case Manner::Whole:
        socket->write("HTTP/1.1 " + QByteArray::number(m_status) + " Answer\r\nContent-Length: " +
                      QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
        socket->disconnectFromHost();
        return;
    case Manner::Dribble: {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        auto* drip = new QTimer(socket);
        QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write("x"); });
        drip->start(20);
        return;
    }
    }
}

} // namespace platform::doubles
