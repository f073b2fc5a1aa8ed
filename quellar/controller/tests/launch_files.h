#pragma once

// The switcher's launch file as the tests write it: a sound set of the daemon's eleven
// arguments, and the property list that carries a list of arguments.

#include "platform/core/property_list.h"
#include "quellar/controller/core/system_paths.h"

#include <QByteArray>
#include <QStringList>

namespace quellar::testing {

inline QStringList goodArguments() {
    return {QString::fromUtf8(kInstalledDaemonPath),
            QStringLiteral("-a"),
            QStringLiteral("3102:2584:"),
            QStringLiteral("-b"),
            QStringLiteral("1548:"),
            QStringLiteral("-l"),
            QStringLiteral("25:75"),
            QStringLiteral("-i"),
            QStringLiteral("20"),
            QString(),
            QString()};
}

/// A launch file with `arguments` as its "ProgramArguments" beside the keys of `extra`.
inline QByteArray launchFile(const QStringList& arguments, platform::Dictionary extra = {}) {
    platform::Array list;
    for (const QString& argument : arguments)
        list.push_back(argument);
    extra[QStringLiteral("ProgramArguments")] = platform::Value::newArray(std::move(list));
    return *platform::writeXmlPropertyList(platform::Value::newDictionary(std::move(extra)));
}

} // namespace quellar::testing
