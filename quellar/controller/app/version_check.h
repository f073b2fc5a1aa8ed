#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

namespace platform {
class Alerts;
class Defaults;
} // namespace platform

namespace quellar {

/// The controller's own version, compared with the update server's.
inline constexpr const char* kControllerVersion = "2.0";

/// The maker's server: the defaults key "UpdateServer" names its address (a placeholder until
/// the project has one), under which "PHP/version.php", "PHP/dbg.php" and "Quellar.dmg" live.
QUrl updateServer(const platform::Defaults& defaults);
/// Whether the server's version text is newer than ours, compared as floats; text that is no
/// number reads as 0.
bool isNewerVersion(const QByteArray& serverText, const QString& ours);
/// The diagnostic request's address: "PHP/dbg.php?kod=" and the text, URL-encoded.
QUrl diagnosticUrl(const QUrl& server, const QString& text);

/// The version check and the diagnostic request, on the network's own thread, each request
/// bounded by a deadline. Results come back on the main thread.
class VersionCheck final : public QObject {
public:
    VersionCheck(QNetworkAccessManager& network, platform::Alerts& alerts, QUrl server);

    void findNewVersion();
    void sendDBG(const QString& text);

private:
    void getNewVersDescription();

    QNetworkAccessManager& m_network;
    platform::Alerts& m_alerts;
    QUrl m_server;
};

} // namespace quellar
