#include "kelvane/app/fetch_updater.h"

#include "platform/core/log.h"
#include "platform/core/property_list.h"
#include "platform/network/http_fetch.h"

#include <QVersionNumber>

namespace kelvane {

platform::Expected<UpdateDescription> parseUpdateDescription(const QByteArray& bytes) {
    const auto plist = platform::readPropertyList(bytes);
    if (!plist)
        return platform::Error{plist.error()};
    const platform::Value& root = *plist;
    const QString version = root[QStringLiteral("version")].toString();
    if (!root.toDictionary() || version.isEmpty() || QVersionNumber::fromString(version).isNull())
        return platform::Error{QStringLiteral("the update description names no version")};
    return UpdateDescription{version, root[QStringLiteral("url")].toString()};
}

bool isNewerVersion(const QString& candidate, const QString& current) {
    return QVersionNumber::fromString(candidate) > QVersionNumber::fromString(current);
}

FetchUpdater::FetchUpdater(platform::Clock& clock, platform::Defaults& defaults,
                           platform::Notifier* notifier, QString currentVersion)
    : m_clock(clock), m_defaults(defaults), m_notifier(notifier),
      m_currentVersion(std::move(currentVersion)) {}

void FetchUpdater::start() {
    if (m_defaults.boolForKey(QStringLiteral("SUCheckAtStartup")))
        m_launchCheck =
            m_clock.scheduleTimer(0, platform::Repeats::No, [this] { checkForUpdates(); });
}

void FetchUpdater::scheduleCheckWithInterval(double seconds) {
    m_scheduledCheck.reset();
    if (seconds > 0)
        m_scheduledCheck =
            m_clock.scheduleTimer(seconds, platform::Repeats::Yes, [this] { checkForUpdates(); });
}

void FetchUpdater::checkForUpdates(
    std::function<void(platform::Expected<UpdateDescription>)> done) {
    QString feed = m_defaults.stringForKey(QStringLiteral("SUFeedURL"));
    if (feed.isEmpty())
        feed = kDefaultFeed;
    platform::FetchRequest request;
    request.url = QUrl(feed);
    request.deadlineMs = m_deadlineMs;
    request.cap = 64 * 1024;
    platform::fetch(m_network, request, [this, done, feed](platform::FetchResult result) {
        platform::Expected<UpdateDescription> found =
            result ? parseUpdateDescription(*result) : platform::Error{result.error()};
        if (!found) {
            platform::log(QStringLiteral("update check failed: %1").arg(found.error()));
        } else if (isNewerVersion(found->version, m_currentVersion) &&
                   m_announced != found->version) {
            m_announced = found->version;
            platform::log(
                QStringLiteral("Kelvane %1 is available (%2)").arg(found->version, found->url));
            if (m_notifier)
                m_notifier->post({QStringLiteral("Kelvane"),
                                  QStringLiteral("Kelvane %1 is available").arg(found->version),
                                  found->url, QStringLiteral("KELVANE_UPDATE")});
        }
        if (done)
            done(std::move(found));
    });
}

} // namespace kelvane
