#pragma once

#include "vantir/core/timed_alerts.h"

#include <QNetworkAccessManager>
#include <QUrl>

#include <functional>

namespace vantir {

/// The newer-version check: fetches the version-description document (no cached copy, five
/// seconds at most for the whole answer) and offers a newer version in a timed alert. A failure
/// only logs "didFailWithError: …".
class VersionChecker {
public:
    using OpenURL = std::function<void(const QUrl&)>;

    VersionChecker(TimedAlerts& alerts, OpenURL openURL);

    /// Starts the check; `finished` is called once it is over, whatever its outcome.
    void checkVersionOnline(const QUrl& address, std::function<void()> finished = {});

private:
    TimedAlerts& m_alerts;
    OpenURL m_openURL;
    QNetworkAccessManager m_network;
};

} // namespace vantir
