#include "vantir/core/record.h"

#include "vantir/core/classes.h"
#include "vantir/core/collections.h"
#include "vantir/core/model_context.h"

#include <cassert>
#include <map>
#include <memory>

namespace vantir {

namespace {

struct ClassTable {
    std::map<QString, std::unique_ptr<RecordClass>> classes;
};

ClassTable& classTable() {
    static ClassTable* table = [] {
        auto* t = new ClassTable;
        auto root = std::make_unique<RecordClass>();
        root->name = QStringLiteral("VNTMutableDictionary");
        t->classes.emplace(root->name, std::move(root));
        return t;
    }();
    static bool modelRegistered = false;
    if (!modelRegistered) {
        modelRegistered = true;
        registerModelClasses();
    }
    return *table;
}

void runInitialisers(const RecordClass* cls, const VNTMutableDictionary& self) {
    if (!cls)
        return;
    runInitialisers(cls->base, self);
    if (cls->initialise)
        cls->initialise(self);
}

} // namespace

bool RecordClass::isKindOf(const QString& className) const {
    for (const RecordClass* cls = this; cls; cls = cls->base) {
        if (cls->name == className)
            return true;
    }
    return false;
}

void RecordClass::addVirtualKey(const VirtualKey& key, VirtualGetter getter, VirtualSetter setter) {
    assert(name == QLatin1String(key.className) && "a virtual key of another class");
    assert(bool(setter) == (key.access == KeyAccess::ReadWrite) &&
           "a writing accessor exactly for writable keys");
    getters.insert(readerMessageForKey(key.key()), std::move(getter));
    if (setter)
        setters.insert(writerMessageForKey(key.key()), std::move(setter));
}

void RecordClass::addDependentKey(const QString& storedKey, const VirtualKey& dependent) {
    dependentKeys[storedKey].append(dependent.key());
}

const VirtualGetter* RecordClass::findGetter(const QString& message) const {
    for (const RecordClass* cls = this; cls; cls = cls->base) {
        auto it = cls->getters.constFind(message);
        if (it != cls->getters.constEnd())
            return &*it;
    }
    return nullptr;
}

const VirtualSetter* RecordClass::findSetter(const QString& message) const {
    for (const RecordClass* cls = this; cls; cls = cls->base) {
        auto it = cls->setters.constFind(message);
        if (it != cls->setters.constEnd())
            return &*it;
    }
    return nullptr;
}

const RecordClass* recordClassNamed(const QString& name) {
    return mutableRecordClassNamed(name);
}

RecordClass* mutableRecordClassNamed(const QString& name) {
    auto& classes = classTable().classes;
    auto it = classes.find(name);
    return it == classes.end() ? nullptr : it->second.get();
}

RecordClass& addRecordClass(const QString& name, const QString& baseName) {
    auto& classes = classTable().classes;
    const RecordClass* base = recordClassNamed(baseName);
    assert(base && "a record class needs an existing base");
    auto cls = std::make_unique<RecordClass>();
    cls->name = name;
    cls->base = base;
    RecordClass& result = *cls;
    classes[name] = std::move(cls);
    return result;
}

std::vector<const RecordClass*> allRecordClasses() {
    std::vector<const RecordClass*> classes;
    for (const auto& entry : classTable().classes)
        classes.push_back(entry.second.get());
    return classes;
}

VNTMutableDictionary VNTMutableDictionary::newInstance(const QString& className) {
    const RecordClass* cls = recordClassNamed(className);
    assert(cls && "newInstance of a class the model lacks");
    VNTMutableDictionary record(std::make_shared<Dictionary>());
    // Every record stores its class first, so that initialisers already dispatch by it.
    record.setStoredObject(cls->name, QStringLiteral("class"));
    runInitialisers(cls, record);
    return record;
}

VNTMutableDictionary VNTMutableDictionary::newInstance(const QString& className,
                                                       const Dictionary& entries) {
    VNTMutableDictionary record = newInstance(className);
    const bool isAction = record.isKindOfClass(QStringLiteral("VNTAction"));
    // An action first registered under the fresh UUID of its initialisation; it takes the
    // stored one instead.
    if (isAction)
        VNTAction(record).unregisterWithUUID();
    for (const auto& [key, value] : entries)
        (*record.m_bindings)[key] = value;
    record.setStoredObject(recordClassNamed(className)->name, QStringLiteral("class"));
    if (isAction)
        VNTAction(record).registerWithUUID();
    return record;
}

QString VNTMutableDictionary::className() const {
    return storedObjectForKey(QStringLiteral("class")).toString();
}

const RecordClass* VNTMutableDictionary::recordClass() const {
    if (!m_bindings)
        return nullptr;
    auto it = m_bindings->find(QStringLiteral("class"));
    if (it == m_bindings->end() || it->second.type() != Value::Type::String)
        return nullptr;
    return recordClassNamed(it->second.toString());
}

bool VNTMutableDictionary::isKindOfClass(const QString& className) const {
    const RecordClass* cls = recordClass();
    return cls && cls->isKindOf(className);
}

Value VNTMutableDictionary::objectForKey(const QString& key) const {
    if (!m_bindings)
        return {};
    if (const RecordClass* cls = recordClass()) {
        if (const VirtualGetter* getter = cls->findGetter(readerMessageForKey(key))) {
            if (isBooleanKey(key))
                return Value((*getter)(*this).toBool());
            return (*getter)(*this);
        }
    }
    return storedObjectForKey(key);
}

void VNTMutableDictionary::silentlySetObject(const Value& value, const QString& key) const {
    if (!m_bindings)
        return;
    const RecordClass* cls = recordClass();
    const VirtualSetter* setter = cls ? cls->findSetter(writerMessageForKey(key)) : nullptr;
    if (setter)
        (*setter)(*this, isBooleanKey(key) ? Value(value.toBool()) : value);
    else
        setStoredObject(value, key);
    QStringList changed{key};
    for (const RecordClass* c = cls; c; c = c->base)
        changed += c->dependentKeys.value(key);
    for (const QString& changedKey : changed)
        postModelNotification(kDidChangeValueForKey, identity(),
                              Value::newDictionary({{QStringLiteral("key"), changedKey}}));
}

void VNTMutableDictionary::setObject(const Value& value, const QString& key) const {
    silentlySetObject(value, key);
    postModelNotification(kChangedAction, identity());
}

Value VNTMutableDictionary::storedObjectForKey(const QString& key) const {
    if (!m_bindings)
        return {};
    auto it = m_bindings->find(key);
    return it == m_bindings->end() ? Value() : it->second;
}

void VNTMutableDictionary::setStoredObject(const Value& value, const QString& key) const {
    if (!m_bindings)
        return;
    if (value.isNone())
        m_bindings->erase(key);
    else
        (*m_bindings)[key] = value;
}

void VNTMutableDictionary::removeObjectForKey(const QString& key) const {
    if (m_bindings)
        m_bindings->erase(key);
}

QStringList VNTMutableDictionary::allKeys() const {
    QStringList keys;
    if (m_bindings) {
        for (const auto& entry : *m_bindings)
            keys.append(entry.first);
    }
    return keys;
}

VNTMutableDictionary VNTMutableDictionary::copy() const {
    return VNTMutableDictionary(value().deepCopy().toDictionary());
}

QString readerMessageForKey(const QString& key) {
    return QStringLiteral("private") + firstCapitalizedString(key);
}

QString writerMessageForKey(const QString& key) {
    return QStringLiteral("setPrivate") + firstCapitalizedString(key) + QLatin1Char(':');
}

bool isBooleanKey(const QString& key) {
    return key.size() > 2 && key.startsWith(QLatin1String("is")) && key.at(2).isUpper();
}

QString describe(const Value& value) {
    switch (value.type()) {
    case Value::Type::None:
        return QStringLiteral("(null)");
    case Value::Type::Boolean:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case Value::Type::Integer:
        return QString::number(value.toInteger());
    case Value::Type::Real:
        return QString::number(value.toReal());
    case Value::Type::String:
        return value.toString();
    case Value::Type::Date:
        return value.toDate().toString(Qt::ISODate);
    case Value::Type::Data:
        return QStringLiteral("<%1 bytes>").arg(value.toData().size());
    case Value::Type::Array:
        return QStringLiteral("(%1 items)").arg(value.toArray()->size());
    case Value::Type::Dictionary: {
        QStringList parts;
        const DictionaryRef dictionary = value.toDictionary();
        for (const auto& [key, item] : *dictionary) {
            const bool nested =
                item.type() == Value::Type::Array || item.type() == Value::Type::Dictionary;
            parts.append(QStringLiteral("%1 = %2").arg(
                key,
                nested ? QStringLiteral("(%1)").arg(QLatin1String(platform::typeName(item.type())))
                       : describe(item)));
        }
        return QLatin1Char('{') + parts.join(QStringLiteral("; ")) + QLatin1Char('}');
    }
    }
    return {};
}

} // namespace vantir
