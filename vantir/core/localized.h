#pragma once

#include "platform/core/resources.h"

#include <QStringList>

namespace vantir {

/// The program's resources ("vantir").
const platform::Resources& vantirResources();
/// The program's English strings table, loaded once.
const platform::StringsTable& vantirStrings();

/// The text for `key` in `table`, or the key itself when the table lacks it.
QString localized(const platform::StringsTable& table, const QString& key);
inline QString localized(const QString& key) {
    return localized(vantirStrings(), key);
}

/// `format` with each "%@" replaced by the next of `arguments`, in order; "%%" is a percent
/// sign. Missing arguments leave the empty text.
QString formatted(const QString& format, const QStringList& arguments);

} // namespace vantir
