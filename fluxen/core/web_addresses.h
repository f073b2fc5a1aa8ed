#pragma once

#include <QByteArrayView>
#include <QString>
#include <QUrl>

namespace fluxen {

inline constexpr char kProgramName[] = "Fluxen";
inline constexpr char kProgramVersion[] = "1.5";

/// The defaults key that holds the update server's address, and its value when absent. The
/// update check asks "<server>/mysoft/mysoft.php?soft=Fluxen&version=1.5".
inline constexpr char kUpdateServerKey[] = "updateServer";
inline constexpr char kDefaultUpdateServer[] = "http://updates.fluxen.example";
/// How long the update check waits for the whole answer, in milliseconds.
inline constexpr int kUpdateCheckTimeoutMs = 10000;

/// The address the update check asks, for a server address such as "http://host:8080".
QUrl updateCheckUrl(const QString& server);

/// Whether the server's answer reports a newer version: the body is exactly "update
/// available", nothing before or after it.
bool isUpdateAvailable(QByteArrayView body);

/// The maker's homepage, opened by the "www" link.
QUrl homepageUrl();

/// The donation form's address, opened by the "donate" link, percent-encoded exactly as the
/// form expects it. (QUrl would write "%2d" as the equivalent "-".)
QByteArray donationAddress();

} // namespace fluxen
