#pragma once

#include <QString>

namespace platform {

/// Where a program's data folder would be, from what the environment and the user database
/// say. Empty strings stand for "not set".
struct DataFolderSources {
    QString xdgDataHome; ///< $XDG_DATA_HOME
    QString home;        ///< $HOME
    QString passwdHome;  ///< The home folder in the user's passwd entry.
    QString runtimeDir;  ///< $XDG_RUNTIME_DIR
    QString tempDir;     ///< The temporary folder (QDir::tempPath()).
    unsigned userId = 0;
};

/// The folder that holds `program`'s own files ("Vantir" → ".../Vantir"), by one rule:
/// 1. "$XDG_DATA_HOME/<program>" when XDG_DATA_HOME is an absolute path;
/// 2. "$HOME/.local/share/<program>" when HOME is an absolute path;
/// 3. "<passwd home>/.local/share/<program>" when the passwd entry's home is absolute
///    (services and sudo may clear HOME, the user database still knows it);
/// 4. "$XDG_RUNTIME_DIR/<program>" when that is absolute, else "<temp>/<program>-<uid>".
/// Relative paths are ignored everywhere, as the base-directory rules ask. The folder is not
/// created.
QString dataFolder(const QString& program, const DataFolderSources& sources);

/// The same, from this process's environment and passwd entry.
QString dataFolder(const QString& program);

} // namespace platform
