#pragma once

#include "platform/core/expected.h"
#include "platform/core/value.h"

#include <QString>

namespace platform {

/// The user defaults of one domain (a program's settings), kept as an XML property list
/// "<folder>/<domain>.plist". The folder is `$XDG_CONFIG_HOME`, or `~/.config` when that is
/// unset or not absolute.
///
/// Reads look first at the domain's own values, then at the registered defaults. Absent keys
/// read as NO, 0, an empty string, empty data, an invalid date or a null container. Containers
/// come out and go in as deep copies, so changing a returned array changes nothing stored.
/// Changes stay in memory until `synchronize` (or destruction) writes the file atomically.
///
/// An unreadable file is moved aside (kept, never written over) with one log line, and the
/// domain starts empty.
class Defaults {
public:
    explicit Defaults(QString domain, QString folder = configFolder());
    ~Defaults();
    Defaults(const Defaults&) = delete;
    Defaults& operator=(const Defaults&) = delete;

    static QString configFolder();

    const QString& domain() const { return m_domain; }
    /// Where the domain is stored.
    QString path() const { return pathForDomain(m_domain); }

    Value objectForKey(const QString& key) const;
    bool boolForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    double floatForKey(const QString& key) const;
    QString stringForKey(const QString& key) const;
    QByteArray dataForKey(const QString& key) const;
    QDateTime dateForKey(const QString& key) const;
    ArrayRef arrayForKey(const QString& key) const;
    DictionaryRef dictionaryForKey(const QString& key) const;

    /// Stores a deep copy of `value`; a none value removes the key.
    void setObject(const Value& value, const QString& key);
    void setBool(bool value, const QString& key) { setObject(value, key); }
    void setInteger(qint64 value, const QString& key) { setObject(value, key); }
    void setFloat(double value, const QString& key) { setObject(value, key); }
    void setString(const QString& value, const QString& key) { setObject(value, key); }
    void setData(const QByteArray& value, const QString& key) { setObject(value, key); }
    void setDate(const QDateTime& value, const QString& key) { setObject(value, key); }
    void removeObjectForKey(const QString& key);

    /// Values answered for keys the domain lacks. They live in memory only, are never written,
    /// and a later registration of the same key replaces the earlier one.
    void registerDefaults(const Dictionary& defaults);

    /// Writes pending changes. Answers whether the file now holds what memory holds.
    bool synchronize();

    /// Another domain (or this one) read as a whole from its file: a deep copy, or a null
    /// reference when the domain has no file or cannot be read.
    DictionaryRef persistentDomainForName(const QString& name) const;
    /// Replaces a whole domain's file with `domain`.
    Expected<void> setPersistentDomain(const Dictionary& domain, const QString& name);
    /// Deletes a whole domain's file.
    Expected<void> removePersistentDomainForName(const QString& name);

private:
    QString pathForDomain(const QString& name) const;
    Dictionary load(const QString& name) const;

    QString m_domain;
    QString m_folder;
    Dictionary m_values;
    Dictionary m_registered;
    bool m_dirty = false;
};

} // namespace platform
