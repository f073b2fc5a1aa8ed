#pragma once

#include "platform/core/defaults.h"
#include "platform/core/resources.h"
#include "vantir/core/timed_alerts.h"

#include <QByteArrayView>
#include <QUrl>

#include <functional>
#include <optional>

namespace vantir {

/// The newest available version as the version-description document states it.
struct VersionDescription {
    qint64 majorVersion = 0;
    qint64 minorVersion = 0;
    qint64 buildVersion = 0;
    QString versionName;
    QString notes;
    QString downloadURL;
    QString releaseNotesURL;
};

/// Reads a version-description document: an XML property list whose root list's first element
/// is a dictionary. The names of the text keys ("notes", "versionName", "downloadURL",
/// "releaseNotesURL") are looked up in `strings` first. Nothing for an unreadable document,
/// an empty list or a first element that is no dictionary.
std::optional<VersionDescription> parseVersionDescription(QByteArrayView document,
                                                          const platform::StringsTable& strings);

/// Whether `description` names a newer build than this program's: not when its major version
/// is lower, or equal with a lower minor; otherwise when its build number is greater.
bool isNewerVersion(const VersionDescription& description);

/// Where the document is fetched from: the server address kept in the defaults (see
/// `kVersionCheckServerKey`) followed by "/Vantir/version.xml".
QUrl versionDescriptionAddress(const platform::Defaults& defaults);

/// The last steps of the check, once the whole document has arrived: parse it in memory and,
/// for a newer version, offer it in a 20-second timed alert. "Visit Download Site" opens
/// "downloadURL", "More Info Online" opens "releaseNotesURL"; "Download Later" and the timeout
/// do nothing. Answers whether the alert was shown.
bool offerNewerVersion(QByteArrayView document, const platform::StringsTable& strings,
                       TimedAlerts& alerts, const std::function<void(const QUrl&)>& openURL);

} // namespace vantir
