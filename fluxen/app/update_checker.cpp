#include "fluxen/app/update_checker.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <atomic>
#include <memory>

namespace fluxen {

std::optional<QByteArray> fetchBody(const QUrl& url, int timeoutMs) {
    if (!url.isValid() || url.scheme() != QLatin1String("http"))
        return std::nullopt;
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The transfer timeout restarts with every byte; this one bounds the whole answer.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply.get(), &QNetworkReply::abort);
    deadline.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status != 200)
        return std::nullopt;
    return reply->readAll();
}

UpdateChecker::~UpdateChecker() {
    if (m_thread.joinable())
        m_thread.join();
}

bool UpdateChecker::pingHome(const QUrl& url, int timeoutMs, QObject* context, Answer onAnswer) {
    if (m_thread.joinable())
        return false;
    QPointer<QObject> receiver(context);
    m_thread = std::thread([url, timeoutMs, receiver, onAnswer = std::move(onAnswer)] {
        std::optional<QByteArray> body = fetchBody(url, timeoutMs);
        if (!receiver)
            return;
        QMetaObject::invokeMethod(
            receiver.data(),
            [receiver, onAnswer, body = std::move(body)] {
                if (receiver)
                    onAnswer(body);
            },
            Qt::QueuedConnection);
    });
    return true;
}

} // namespace fluxen
