#include "fluxen/core/web_addresses.h"

namespace fluxen {

namespace {

constexpr char kHomepage[] = "http://www.fluxen.example/";
constexpr char kDonationHost[] = "https://www.paypal.com";
constexpr char kDonationAccount[] = "donations@fluxen.example";

} // namespace

QUrl updateCheckUrl(const QString& server) {
    QString base = server.trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QString address =
        base + QStringLiteral("/mysoft/mysoft.php?soft=%1&version=%2")
                   .arg(QLatin1String(kProgramName), QLatin1String(kProgramVersion));
    // Escape what a URL cannot hold as it stands (spaces, non-ASCII letters) as UTF-8, and
    // keep the characters that give the address its shape.
    return QUrl::fromEncoded(QUrl::toPercentEncoding(address, "!$&'()*+,;=:/?#[]@%~"),
                             QUrl::StrictMode);
}

bool isUpdateAvailable(QByteArrayView body) {
    return body == QByteArrayView("update available");
}

QUrl homepageUrl() {
    return QUrl(QLatin1String(kHomepage));
}

QByteArray donationAddress() {
    // Built by concatenation: the query holds "%2d", which a QString::arg would take for a
    // placeholder.
    const QByteArray query = QByteArray("cmd=_donations&business=") +
                             QUrl::toPercentEncoding(QLatin1String(kDonationAccount)) +
                             "&item_name=" + kProgramName +
                             "&no_shipping=0&no_note=1&tax=0&currency_code=EUR&lc=US"
                             "&bn=PP%2dDonationsBF&charset=UTF%2d8";
    return QByteArray(kDonationHost) + "/cgi-bin/webscr?" + query;
}

} // namespace fluxen
