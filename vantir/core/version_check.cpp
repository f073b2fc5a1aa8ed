#include "vantir/core/version_check.h"

#include "platform/core/property_list.h"
#include "vantir/core/localized.h"
#include "vantir/core/preferences.h"
#include "vantir/core/version.h"

namespace vantir {

std::optional<VersionDescription> parseVersionDescription(QByteArrayView document,
                                                          const platform::StringsTable& strings) {
    const auto root = platform::readPropertyList(document);
    if (!root) {
        dlog(QStringLiteral("version check: %1").arg(root.error()));
        return std::nullopt;
    }
    const platform::Value first = root->at(0);
    if (!first.toDictionary()) {
        dlog(QStringLiteral("version check: the document holds no version description"));
        return std::nullopt;
    }
    const auto text = [&](const char* key) {
        return first[localized(strings, QString::fromLatin1(key))].toString();
    };
    VersionDescription description;
    description.majorVersion = first[QStringLiteral("majorVersion")].toInteger();
    description.minorVersion = first[QStringLiteral("minorVersion")].toInteger();
    description.buildVersion = first[QStringLiteral("buildVersion")].toInteger();
    description.versionName = text("versionName");
    description.notes = text("notes");
    description.downloadURL = text("downloadURL");
    description.releaseNotesURL = text("releaseNotesURL");
    return description;
}

bool isNewerVersion(const VersionDescription& description) {
    if (description.majorVersion < Version::majorVersion())
        return false;
    if (description.majorVersion == Version::majorVersion() &&
        description.minorVersion < Version::minorVersion())
        return false;
    return description.buildVersion > Version::buildVersion();
}

QUrl versionDescriptionAddress(const platform::Defaults& defaults) {
    QString server = stringForKey(defaults, kVersionCheckServerKey, kDefaultVersionCheckServer);
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    return QUrl(server + QStringLiteral("/Vantir/version.xml"));
}

bool offerNewerVersion(QByteArrayView document, const platform::StringsTable& strings,
                       TimedAlerts& alerts, const std::function<void(const QUrl&)>& openURL) {
    const std::optional<VersionDescription> description =
        parseVersionDescription(document, strings);
    if (!description || !isNewerVersion(*description))
        return false;
    TimedAlert alert;
    alert.title = localized(strings, QStringLiteral("A new version of Vantir is available!"));
    alert.message =
        formatted(localized(strings, QStringLiteral("Release Info for version %@:\n\n%@\n")),
                  {description->versionName, description->notes});
    alert.defaultButton = QStringLiteral("Download Later");
    alert.alternateButton = QStringLiteral("Visit Download Site");
    alert.otherButton = QStringLiteral("More Info Online");
    alert.seconds = 20;
    switch (alerts.runTimedAlert(alert)) {
    case kAlertAlternateReturn:
        openURL(QUrl(description->downloadURL));
        break;
    case kAlertOtherReturn:
        openURL(QUrl(description->releaseNotesURL));
        break;
    default:
        break;
    }
    return true;
}

} // namespace vantir
