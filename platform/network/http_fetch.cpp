#include "platform/network/http_fetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>
#include <optional>

namespace platform {

namespace {

// Why a reply was aborted by us rather than failing by itself.
enum class Abort { None, Deadline, TooLarge };

FetchResult resultOf(QNetworkReply& reply, const FetchRequest& request, Abort abort) {
    const QString address = request.url.toDisplayString();
    switch (abort) {
    case Abort::Deadline:
        return Error{QStringLiteral("no whole answer from %1 within %2 ms")
                         .arg(address)
                         .arg(request.deadlineMs)};
    case Abort::TooLarge:
        return Error{QStringLiteral("the answer from %1 is larger than %2 bytes")
                         .arg(address)
                         .arg(request.cap)};
    case Abort::None:
        break;
    }
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && status != 200)
        return Error{QStringLiteral("HTTP status %1 from %2").arg(status).arg(address)};
    if (reply.error() != QNetworkReply::NoError)
        return Error{QStringLiteral("cannot fetch %1: %2").arg(address, reply.errorString())};
    QByteArray body = reply.readAll();
    if (std::size_t(body.size()) > request.cap)
        return resultOf(reply, request, Abort::TooLarge);
    return body;
}

} // namespace

void fetch(QNetworkAccessManager& network, const FetchRequest& request,
           std::function<void(FetchResult)> done) {
    const QString scheme = request.url.scheme();
    if (!request.url.isValid() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        QTimer::singleShot(0, &network, [done = std::move(done), request] {
            done(Error{QStringLiteral("cannot fetch \"%1\": not a web address")
                           .arg(request.url.toDisplayString())});
        });
        return;
    }
    QNetworkRequest networkRequest(request.url);
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                                QNetworkRequest::AlwaysNetwork);
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = network.get(networkRequest);

    auto abort = std::make_shared<Abort>(Abort::None);
    // Qt's transfer timeout restarts with every byte; this timer bounds the whole answer.
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [reply, abort] {
        *abort = Abort::Deadline;
        reply->abort();
    });
    deadline->start(request.deadlineMs);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, abort, cap = request.cap](qint64 received, qint64 total) {
                         if (std::size_t(std::max(received, total)) > cap &&
                             *abort == Abort::None) {
                             *abort = Abort::TooLarge;
                             reply->abort();
                         }
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [reply, abort, request, done = std::move(done)] {
                         reply->deleteLater();
                         done(resultOf(*reply, request, *abort));
                     });
}

FetchResult fetchAndWait(const FetchRequest& request) {
    QNetworkAccessManager network;
    std::optional<FetchResult> result;
    QEventLoop loop;
    fetch(network, request, [&](FetchResult answer) {
        result = std::move(answer);
        loop.quit();
    });
    if (!result)
        loop.exec();
    return std::move(*result);
}

} // namespace platform
