#pragma once

#include "platform/core/expected.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>

namespace platform {

/// A program's resource folder (images, templates, strings tables, default files). Installed,
/// it is <prefix>/share/notebook-suite/<program> beside the executable's bin folder; while
/// developing, the source tree's <program>/resources. The installed folder wins when both
/// exist.
class Resources {
public:
    /// `program` is the program's folder name in the source tree ("voltaro", "quellar").
    explicit Resources(const QString& program);

    /// Empty when neither folder exists.
    const QString& folder() const { return m_folder; }

    /// The file "<name>.<type>" (just "<name>" when `type` is empty) of the folder, or an empty
    /// string when there is no such file.
    QString pathForResource(const QString& name, const QString& type) const;

private:
    QString m_folder;
};

/// An English strings table: a key's text, or the empty text for a key the table lacks.
/// Stored as "strings/<table>.plist" among a program's resources, an XML property list whose
/// root dictionary maps each key to its text.
class StringsTable {
public:
    StringsTable() = default;

    /// Fails for anything but a dictionary of strings.
    static Expected<StringsTable> parse(QByteArrayView propertyList);
    /// The table `name` of `resources`; a missing or unreadable table is logged once and
    /// answers empty texts.
    static StringsTable load(const Resources& resources, const QString& name);

    QString text(const QString& key) const { return m_texts.value(key); }
    qsizetype size() const { return m_texts.size(); }

private:
    QHash<QString, QString> m_texts;
};

} // namespace platform
