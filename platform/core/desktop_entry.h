#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

/// What launching needs from a desktop entry file (the "[Desktop Entry]" group; localised
/// keys and other groups are ignored).
struct DesktopEntry {
    QString type;
    QString name;
    QString exec;
    QString startupWMClass;
    bool hidden = false;
};

/// Parses the text of a desktop entry file; nothing when it has no "[Desktop Entry]" group.
std::optional<DesktopEntry> parseDesktopEntry(QByteArrayView text);

/// The program and arguments of an "Exec" value: quoted arguments unquoted, field codes
/// (%f, %U, …) dropped, "%%" kept as "%". Empty for an empty command or an unterminated quote.
QStringList execArguments(const QString& exec);

/// Where desktop entries are looked for, most important first: $XDG_DATA_HOME/applications
/// (default ~/.local/share) and "applications" below each of $XDG_DATA_DIRS (default
/// /usr/local/share:/usr/share).
QStringList desktopEntryFolders();

/// The path of the desktop entry that starts the application called `name` (compared without
/// case): first one whose "StartupWMClass" is the name, then one whose file is called
/// "<name>.desktop", then one whose command's program is called so. Hidden entries and
/// entries of another type than "Application" do not count. Empty when none matches.
QString findDesktopEntry(const QString& name, const QStringList& folders);

} // namespace platform
