#include "platform/core/data_folder.h"

#include <QDir>

#include <pwd.h>
#include <unistd.h>

namespace platform {

QString dataFolder(const QString& program, const DataFolderSources& sources) {
    if (QDir::isAbsolutePath(sources.xdgDataHome))
        return QDir::cleanPath(sources.xdgDataHome) + QLatin1Char('/') + program;
    for (const QString& home : {sources.home, sources.passwdHome}) {
        if (QDir::isAbsolutePath(home))
            return QDir::cleanPath(home) + QStringLiteral("/.local/share/") + program;
    }
    // Without any home there is no lasting place that belongs to this user. The runtime
    // folder is private to the user (though emptied at logout); a folder in the shared
    // temporary folder carries the user id so that two users never share one.
    if (QDir::isAbsolutePath(sources.runtimeDir))
        return QDir::cleanPath(sources.runtimeDir) + QLatin1Char('/') + program;
    return QDir::cleanPath(sources.tempDir) +
           QStringLiteral("/%1-%2").arg(program).arg(sources.userId);
}

QString dataFolder(const QString& program) {
    DataFolderSources sources;
    sources.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    sources.home = qEnvironmentVariable("HOME");
    sources.userId = ::getuid();
    // Only asked when the environment has no usable home: a lookup may go to the network.
    if (!QDir::isAbsolutePath(sources.xdgDataHome) && !QDir::isAbsolutePath(sources.home)) {
        if (const passwd* entry = ::getpwuid(sources.userId); entry && entry->pw_dir)
            sources.passwdHome = QString::fromLocal8Bit(entry->pw_dir);
    }
    sources.runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    sources.tempDir = QDir::tempPath();
    return dataFolder(program, sources);
}

} // namespace platform
