#pragma once

#include <QDate>
#include <QString>

namespace vantir {

/// The program's version numbers and version text.
class Version {
public:
    static int majorVersion() { return 0; }
    static int minorVersion() { return 9; }
    static int buildVersion() { return 30; }
    static QString versionName() { return QStringLiteral("0.99 beta 20 (build 30)"); }
    /// The release date, read from "Nov  6 2007".
    static QDate releaseDate();
    /// "Version 0.99 beta 20 (build 30) released 2007/11/06", from the localised format
    /// "Version %@ released %@".
    static QString versionString();
};

} // namespace vantir
