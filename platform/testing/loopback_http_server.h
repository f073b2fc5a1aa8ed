#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

namespace platform::doubles {

/// A web server on 127.0.0.1 for tests of the programs' fetches, served on the event loop of
/// the thread that made it. It answers each whole request in one `Manner` and remembers the
/// request lines ("GET /path HTTP/1.1").
class LoopbackHttpServer {
public:
    enum class Manner {
        Whole,   ///< The status line, headers and body at once, then the connection closes.
        Silent,  ///< Reads the request and never answers.
        Dribble, ///< Headers for a long body, then one byte every 20 ms, forever.
    };

    explicit LoopbackHttpServer(QByteArray body, int status = 200, Manner manner = Manner::Whole);
    explicit LoopbackHttpServer(Manner manner);
    ~LoopbackHttpServer();

    /// "http://127.0.0.1:<port>".
    QString address() const;
    /// The address with `path` ("/version.xml") after it.
    QUrl url(const QString& path = QStringLiteral("/version.xml")) const;

    const QStringList& requestLines() const { return m_requestLines; }
    int requests() const { return int(m_requestLines.size()); }

private:
    void answer(QTcpSocket* socket);

    QByteArray m_body;
    int m_status;
    Manner m_manner;
    QHash<QTcpSocket*, QByteArray> m_pending;
    QStringList m_requestLines;
    QTcpServer m_server;
};

} // namespace platform::doubles
