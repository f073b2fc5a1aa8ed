#include "vantir/app/version_checker.h"

#include "platform/core/log.h"
#include "vantir/core/localized.h"
#include "vantir/core/version_check.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace vantir {

namespace {

constexpr int kTimeoutMilliseconds = 5000;

} // namespace

VersionChecker::VersionChecker(TimedAlerts& alerts, OpenURL openURL)
    : m_alerts(alerts), m_openURL(std::move(openURL)) {}

void VersionChecker::checkVersionOnline(const QUrl& address, std::function<void()> finished) {
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(kTimeoutMilliseconds);
    QNetworkReply* reply = m_network.get(request);
    QObject::connect(
        reply, &QNetworkReply::finished, reply, [this, reply, finished = std::move(finished)] {
            reply->deleteLater();
            if (reply->error() != QNetworkReply::NoError) {
                platform::log(QStringLiteral("didFailWithError: %1").arg(reply->errorString()));
            } else {
                // The whole document, parsed in memory once it has arrived.
                offerNewerVersion(reply->readAll(), vantirStrings(), m_alerts, m_openURL);
            }
            if (finished)
                finished();
        });
}

} // namespace vantir
