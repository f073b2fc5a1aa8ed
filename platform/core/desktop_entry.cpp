#include "platform/core/desktop_entry.h"

#include "platform/core/file_io.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace platform {

namespace {

// The escapes of a desktop entry's string values.
QString unescapeValue(const QString& value) {
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            result += c;
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's':
            result += QLatin1Char(' ');
            break;
        case 'n':
            result += QLatin1Char('\n');
            break;
        case 't':
            result += QLatin1Char('\t');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        default:
            // "\\" and the escapes of Exec's quoting, which execArguments undoes.
            if (next == QLatin1Char('\\'))
                result += QLatin1Char('\\');
            else
                result += QLatin1Char('\\') + next;
        }
    }
    return result;
}

} // namespace

std::optional<DesktopEntry> parseDesktopEntry(QByteArrayView text) {
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    bool inEntry = false;
    bool found = false;
    DesktopEntry entry;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            found = found || inEntry;
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unescapeValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Type"))
            entry.type = value;
        else if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key == QLatin1String("Exec"))
            entry.exec = value;
        else if (key == QLatin1String("StartupWMClass"))
            entry.startupWMClass = value;
        else if (key == QLatin1String("Hidden"))
            entry.hidden = value == QLatin1String("true");
    }
    if (!found)
        return std::nullopt;
    return entry;
}

QStringList execArguments(const QString& exec) {
    QStringList arguments;
    QString current;
    // An argument that was only a field code is dropped; an empty quoted one is kept.
    bool hasArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c == QLatin1Char('%') && i + 1 < exec.size()) {
            // A field code stands for files, addresses or the icon, which a plain start has
            // none of; "%%" is a percent sign.
            if (exec[++i] == QLatin1Char('%')) {
                current += QLatin1Char('%');
                hasArgument = true;
            }
            continue;
        }
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && i + 1 < exec.size())
                current += exec[++i];
            else
                current += c;
            continue;
        }
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (hasArgument)
                arguments << current;
            current.clear();
            hasArgument = false;
            continue;
        }
        hasArgument = true;
        if (c == QLatin1Char('"'))
            quoted = true;
        else
            current += c;
    }
    if (quoted)
        return {};
    if (hasArgument)
        arguments << current;
    return arguments;
}

QStringList desktopEntryFolders() {
    QStringList folders;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    folders << dataHome + QStringLiteral("/applications");
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& folder : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            folders << folder + QStringLiteral("/applications");
    }
    return folders;
}

QString findDesktopEntry(const QString& name, const QStringList& folders) {
    if (name.isEmpty())
        return {};
    struct Candidate {
        QString path;
        DesktopEntry entry;
    };
    std::vector<Candidate> candidates;
    for (const QString& folder : folders) {
        QDirIterator files(folder, {QStringLiteral("*.desktop")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            const auto bytes = readFile(path);
            if (!bytes)
                continue;
            auto entry = parseDesktopEntry(*bytes);
            if (!entry || entry->hidden || entry->type != QLatin1String("Application"))
                continue;
            candidates.push_back({path, std::move(*entry)});
        }
    }
    const auto same = [&name](const QString& other) {
        return other.compare(name, Qt::CaseInsensitive) == 0;
    };
    for (const Candidate& candidate : candidates) {
        if (same(candidate.entry.startupWMClass))
            return candidate.path;
    }
    for (const Candidate& candidate : candidates) {
        if (same(QFileInfo(candidate.path).completeBaseName()))
            return candidate.path;
    }
    for (const Candidate& candidate : candidates) {
        const QStringList arguments = execArguments(candidate.entry.exec);
        if (!arguments.isEmpty() && same(QFileInfo(arguments.first()).fileName()))
            return candidate.path;
    }
    return {};
}

} // namespace platform
