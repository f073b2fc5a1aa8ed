#include "quellar/controller/app/version_check.h"

#include "platform/core/alerts.h"
#include "platform/core/defaults.h"
#include "platform/core/log.h"
#include "platform/network/http_fetch.h"

#include <QDesktopServices>

namespace quellar {

namespace {

constexpr int kDeadlineMs = 10000;
const QString kServerKey = QStringLiteral("UpdateServer");
// Nothing answers here until the project has an update server of its own.
const QString kPlaceholderServer = QStringLiteral("http://localhost:8080/quellar/");

QUrl page(const QUrl& server, const QString& path) {
    return server.resolved(QUrl(path));
}

} // namespace

QUrl updateServer(const platform::Defaults& defaults) {
    QString address = defaults.stringForKey(kServerKey);
    if (address.isEmpty())
        address = kPlaceholderServer;
    if (!address.endsWith(QLatin1Char('/')))
        address += QLatin1Char('/');
    return QUrl(address);
}

bool isNewerVersion(const QByteArray& serverText, const QString& ours) {
    return serverText.trimmed().toDouble() > ours.toDouble();
}

QUrl diagnosticUrl(const QUrl& server, const QString& text) {
    return QUrl(page(server, QStringLiteral("PHP/dbg.php")).toString() + QStringLiteral("?kod=") +
                    QString::fromLatin1(QUrl::toPercentEncoding(text)),
                QUrl::StrictMode);
}

VersionCheck::VersionCheck(QNetworkAccessManager& network, platform::Alerts& alerts, QUrl server)
    : m_network(network), m_alerts(alerts), m_server(std::move(server)) {}

void VersionCheck::findNewVersion() {
    platform::fetch(m_network,
                    {page(m_server, QStringLiteral("PHP/version.php?mode=Version")), kDeadlineMs},
                    [this](platform::FetchResult result) {
                        // A failed fetch reads as version 0: no alert.
                        if (!result) {
                            platform::log(QStringLiteral("version check: %1").arg(result.error()));
                            return;
                        }
                        if (isNewerVersion(*result, QString::fromUtf8(kControllerVersion)))
                            getNewVersDescription();
                    });
}

void VersionCheck::getNewVersDescription() {
    platform::fetch(
        m_network,
        {page(m_server, QStringLiteral("PHP/version.php?mode=Description")), kDeadlineMs},
        [this](platform::FetchResult result) {
            platform::Alert alert;
            alert.style = platform::AlertStyle::Informational;
            alert.messageText = QStringLiteral(
                "A new version of Quellar is available.\nDo you want to download it?");
            alert.informativeText = result ? QString::fromUtf8(*result) : QString();
            alert.buttons = {QStringLiteral("Yes"), QStringLiteral("No")};
            if (m_alerts.runModal(alert) != platform::AlertResponse::First)
                return;
            if (!QDesktopServices::openUrl(page(m_server, QStringLiteral("Quellar.dmg")))) {
                platform::Alert failed;
                failed.messageText = QStringLiteral("Error!");
                failed.informativeText = QStringLiteral("Could not download file");
                m_alerts.runModal(failed);
            }
        });
}

void VersionCheck::sendDBG(const QString& text) {
    platform::fetch(
        m_network, {diagnosticUrl(m_server, text), kDeadlineMs}, [](platform::FetchResult result) {
            if (!result)
                platform::log(QStringLiteral("diagnostic request: %1").arg(result.error()));
        });
}

} // namespace quellar
