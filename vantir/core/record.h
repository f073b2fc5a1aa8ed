#pragma once

#include "platform/core/value.h"
#include "vantir/core/virtual_keys.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vantir {

using platform::Array;
using platform::ArrayRef;
using platform::Dictionary;
using platform::DictionaryRef;
using platform::Value;

class VNTMutableDictionary;

/// Reads a virtual key of a record.
using VirtualGetter = std::function<Value(const VNTMutableDictionary& self)>;
/// Writes a virtual key of a record.
using VirtualSetter = std::function<void(const VNTMutableDictionary& self, const Value& value)>;

/// One class of the record tree: its name (what is stored under "class"), its base, what a new
/// instance sets up, and the virtual keys it implements. Virtual keys are found by message name
/// ("privateLayers" for reading "layers", "setPrivateLayers:" for writing it) along the chain
/// of bases, so a subclass inherits and may replace its base's keys.
struct RecordClass {
    QString name;
    const RecordClass* base = nullptr;
    /// Runs after the base's initialisation on every new instance.
    std::function<void(const VNTMutableDictionary& self)> initialise;
    QHash<QString, VirtualGetter> getters;
    QHash<QString, VirtualSetter> setters;
    /// Virtual keys whose value changes with a stored key ("isMoveMouseType" with
    /// "mouseEventType"); their change is announced with it.
    QHash<QString, QStringList> dependentKeys;

    /// Implements `key`, which must be one this class brings: its reading accessor, and its
    /// writing accessor exactly when the key is writable.
    void addVirtualKey(const VirtualKey& key, VirtualGetter getter, VirtualSetter setter = {});
    /// Announces the change of the virtual key `dependent` with every change of `storedKey`.
    void addDependentKey(const QString& storedKey, const VirtualKey& dependent);

    bool isKindOf(const QString& className) const;
    const VirtualGetter* findGetter(const QString& message) const;
    const VirtualSetter* findSetter(const QString& message) const;
};

/// The record class called `name`, or null when the model has no such class. The model's
/// classes are registered on first use.
const RecordClass* recordClassNamed(const QString& name);
/// The same class for adding virtual keys (the action kinds and the editor add theirs).
RecordClass* mutableRecordClassNamed(const QString& name);
/// Adds a class to the table; `baseName` must already be there. Answers the new class.
RecordClass& addRecordClass(const QString& name, const QString& baseName);
/// Every class of the table, the root included.
std::vector<const RecordClass*> allRecordClasses();

/// Name of the notification posted (on the default centre, object: the record's dictionary)
/// after a key was written through `silentlySetObject` or `setObject`, user information
/// {"key": K}. Stands in for key-value observation.
inline const QString kDidChangeValueForKey = QStringLiteral("VNTDidChangeValueForKey");
/// Posted after every change made through `setObject`.
inline const QString kChangedAction = QStringLiteral("ChangedAction");

/// A keyed record: a view of a shared dictionary (its backing store) that carries the record's
/// class name under "class". The dictionary is the record's identity: two views of the same
/// dictionary are the same record. Views are cheap to copy; writing through a const view writes
/// the shared dictionary. A dictionary whose "class" names no model class is a plain
/// dictionary: reads and writes go straight to the store.
class VNTMutableDictionary {
public:
    VNTMutableDictionary() = default;
    explicit VNTMutableDictionary(DictionaryRef bindings) : m_bindings(std::move(bindings)) {}

    /// The record held by `value`, or a null record when it holds no dictionary.
    static VNTMutableDictionary of(const Value& value) {
        return VNTMutableDictionary(value.toDictionary());
    }
    /// A new, initialised instance of the model class `className`. Asserts that it exists.
    static VNTMutableDictionary newInstance(const QString& className);
    /// A new instance of `className` made from `entries`: initialised, the entries copied in,
    /// then "class" set to the class's own name. An action registers under its stored UUID.
    static VNTMutableDictionary newInstance(const QString& className, const Dictionary& entries);

    bool isNull() const { return !m_bindings; }
    explicit operator bool() const { return bool(m_bindings); }
    const DictionaryRef& bindings() const { return m_bindings; }
    Value value() const { return Value(m_bindings); }
    /// What notifications name as the record (compared by identity).
    const void* identity() const { return m_bindings.get(); }
    bool isSameObject(const VNTMutableDictionary& other) const {
        return m_bindings == other.m_bindings;
    }

    /// The stored "class", empty when absent.
    QString className() const;
    /// The model class of the record, or null for a plain dictionary.
    const RecordClass* recordClass() const;
    /// True when the record's class is `className` or derives from it.
    bool isKindOfClass(const QString& className) const;

    /// Reads `key` through the accessor dispatch: a virtual key of the class, or the store.
    Value objectForKey(const QString& key) const;
    Value objectForKey(const VirtualKey& key) const { return objectForKey(key.key()); }
    /// Writes `key` through the accessor dispatch and announces the change. A none value
    /// removes a stored key.
    void silentlySetObject(const Value& value, const QString& key) const;
    void silentlySetObject(const Value& value, const VirtualKey& key) const {
        silentlySetObject(value, key.key());
    }
    /// As `silentlySetObject`, then posts "ChangedAction" with the record.
    void setObject(const Value& value, const QString& key) const;
    void setObject(const Value& value, const VirtualKey& key) const { setObject(value, key.key()); }

    /// The backing store itself, bypassing the dispatch.
    Value storedObjectForKey(const QString& key) const;
    void setStoredObject(const Value& value, const QString& key) const;
    void removeObjectForKey(const QString& key) const;
    std::size_t count() const { return m_bindings ? m_bindings->size() : 0; }
    QStringList allKeys() const;

    /// Typed reads of stored-or-virtual keys.
    QString stringForKey(const QString& key) const { return objectForKey(key).toString(); }
    bool boolForKey(const QString& key) const { return objectForKey(key).toBool(); }
    qint64 integerForKey(const QString& key) const { return objectForKey(key).toInteger(); }
    /// A list stored under `key`, or null when the key holds no list.
    ArrayRef arrayForKey(const QString& key) const { return objectForKey(key).toArray(); }

    /// A deep copy: new dictionaries and lists all the way down, classes kept. Copied actions
    /// keep their UUIDs and are not registered; `VNTAction::updateUUID` gives them their own.
    VNTMutableDictionary copy() const;

protected:
    DictionaryRef m_bindings;
};

/// The message name of the reading accessor for `key`: "private" + `key` with its first
/// character upper-cased.
QString readerMessageForKey(const QString& key);
/// "setPrivate" + capitalised `key` + ":".
QString writerMessageForKey(const QString& key);
/// True for keys that start with "is" followed by an upper-case letter (boolean accessors).
bool isBooleanKey(const QString& key);

/// A short description of a value for log lines: scalars as text, records as
/// "{class = …; name = …; …}".
QString describe(const Value& value);

} // namespace vantir
