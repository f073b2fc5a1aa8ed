#include "vantir/app/version_checker.h"

#include "platform/core/log.h"
#include "platform/network/http_fetch.h"
#include "vantir/core/localized.h"
#include "vantir/core/version_check.h"

namespace vantir {

namespace {

constexpr int kTimeoutMilliseconds = 5000;

} // namespace

VersionChecker::VersionChecker(TimedAlerts& alerts, OpenURL openURL)
    : m_alerts(alerts), m_openURL(std::move(openURL)) {}

void VersionChecker::checkVersionOnline(const QUrl& address, std::function<void()> finished) {
    platform::fetch(m_network, {address, kTimeoutMilliseconds},
                    [this, finished = std::move(finished)](platform::FetchResult document) {
                        if (!document) {
                            platform::log(
                                QStringLiteral("didFailWithError: %1").arg(document.error()));
                        } else {
                            // The whole document, parsed in memory once it has arrived.
                            offerNewerVersion(*document, vantirStrings(), m_alerts, m_openURL);
                        }
                        if (finished)
                            finished();
                    });
}

} // namespace vantir
