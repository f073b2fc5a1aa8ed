#pragma once

#include "kelvane/core/kelvane_controller.h"
#include "platform/core/expected.h"

#include <QNetworkAccessManager>

namespace kelvane {

/// What the update address answers: a property list {"version": "1.3", "url": "https://…"}.
struct UpdateDescription {
    QString version;
    QString url;
};
platform::Expected<UpdateDescription> parseUpdateDescription(const QByteArray& bytes);
/// Whether dotted version `candidate` ("1.10") is later than `current` ("1.9").
bool isNewerVersion(const QString& candidate, const QString& current);

/// Checks for a newer Kelvane: at launch when "SUCheckAtStartup" is on, then at the scheduled
/// interval. The description is fetched from the address under "SUFeedURL" (by default a
/// placeholder, https://kelvane.example.org/update.plist, which a distribution replaces) with a
/// deadline; the network work happens off the main thread inside QtNetwork. A newer version is
/// announced once per run with a notification; failures are one log line each.
class FetchUpdater final : public Updater {
public:
    FetchUpdater(platform::Clock& clock, platform::Defaults& defaults, platform::Notifier* notifier,
                 QString currentVersion);

    /// Starts the checks the settings ask for at launch.
    void start();
    void scheduleCheckWithInterval(double seconds) override;
    /// One check now; `done` (for tests) is called with what it found.
    void checkForUpdates(std::function<void(platform::Expected<UpdateDescription>)> done = {});

    static inline const QString kDefaultFeed =
        QStringLiteral("https://kelvane.example.org/update.plist");
    static constexpr int kDeadlineMs = 15000;
    void setDeadlineMs(int milliseconds) { m_deadlineMs = milliseconds; }

private:
    platform::Clock& m_clock;
    platform::Defaults& m_defaults;
    platform::Notifier* m_notifier;
    QString m_currentVersion;
    QNetworkAccessManager m_network;
    std::unique_ptr<platform::Timer> m_launchCheck;
    std::unique_ptr<platform::Timer> m_scheduledCheck;
    QString m_announced;
    int m_deadlineMs = kDeadlineMs;
};

} // namespace kelvane
