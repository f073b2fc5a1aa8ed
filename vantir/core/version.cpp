#include "vantir/core/version.h"

#include "vantir/core/localized.h"

#include <QLocale>

namespace vantir {

QDate Version::releaseDate() {
    // The date as the build recorded it, month name and a day padded with a blank.
    const QString built = QStringLiteral("Nov  6 2007");
    return QLocale::c().toDate(built.simplified(), QStringLiteral("MMM d yyyy"));
}

QString Version::versionString() {
    return formatted(localized(QStringLiteral("Version %@ released %@")),
                     {versionName(), releaseDate().toString(QStringLiteral("yyyy/MM/dd"))});
}

} // namespace vantir
