#include "vantir/core/classes.h"

#include "platform/core/alerts.h"
#include "platform/core/log.h"
#include "vantir/core/collections.h"
#include "vantir/core/model_context.h"
#include "vantir/core/preferences.h"
#include "vantir/core/repository.h"

#include <QUuid>

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace vantir {

namespace {

const QString kUUID = QStringLiteral("uuid");
const QString kName = QStringLiteral("name");
const QString kChilds = QStringLiteral("childs");
const QString kRepeatChilds = QStringLiteral("repeatChilds");
const QString kOSDB = QStringLiteral("osdb");

// The users of an action in the order they came, found by their dictionary in constant time:
// an action may have as many users as the archive has triggers.
struct Users {
    struct Entry {
        std::uint64_t order = 0;
        std::weak_ptr<Dictionary> user;
    };
    std::unordered_map<const Dictionary*, Entry> byDictionary;
    std::uint64_t nextOrder = 0;
};

// What records hold besides their stored keys: the users of an action and the parent trigger
// of a trigger action. Kept beside the records, keyed by their dictionary, and dropped with them.
struct Transient {
    std::weak_ptr<Dictionary> owner;
    Users users;
    std::weak_ptr<Dictionary> parent;
};

std::unordered_map<const Dictionary*, Transient>& transientTable() {
    static std::unordered_map<const Dictionary*, Transient> table;
    return table;
}

Transient& transientOf(const DictionaryRef& record) {
    auto& table = transientTable();
    static std::size_t sizeAfterSweep = 0;
    if (table.size() > 2 * sizeAfterSweep + 64) {
        std::erase_if(table, [](const auto& entry) { return entry.second.owner.expired(); });
        sizeAfterSweep = table.size();
    }
    Transient& state = table[record.get()];
    // A dictionary that died left its state behind; a new one at the same address starts clean.
    if (state.owner.lock() != record) {
        state = Transient{};
        state.owner = record;
    }
    return state;
}

QHash<QString, DictionaryRef>& registry() {
    static QHash<QString, DictionaryRef> actions;
    return actions;
}

bool ignoreUUID = false;

struct KindInfo {
    QString initialName;
    QString iconFileName;
};

QHash<QString, KindInfo>& kindInfos() {
    static QHash<QString, KindInfo> infos;
    return infos;
}

const KindInfo* kindInfoOf(const VNTMutableDictionary& record) {
    for (const RecordClass* cls = record.recordClass(); cls; cls = cls->base) {
        auto it = kindInfos().constFind(cls->name);
        if (it != kindInfos().constEnd())
            return &*it;
    }
    return nullptr;
}

ArrayRef listCreatedWhenMissing(const VNTMutableDictionary& record, const QString& key) {
    Value stored = record.storedObjectForKey(key);
    if (stored.isNone()) {
        stored = Value::newArray();
        record.setStoredObject(stored, key);
    }
    return stored.toArray();
}

bool isNumber(const Value& value) {
    return value.type() == Value::Type::Integer || value.type() == Value::Type::Real ||
           value.type() == Value::Type::Boolean;
}

void setDefaults(const VNTMutableDictionary& self,
                 std::initializer_list<std::pair<const char*, Value>> values) {
    for (const auto& [key, value] : values)
        self.setStoredObject(value, QString::fromLatin1(key));
}

void registerActionClasses() {
    RecordClass& action =
        addRecordClass(QStringLiteral("VNTAction"), QStringLiteral("VNTMutableDictionary"));
    action.initialise = [](const VNTMutableDictionary& self) {
        const VNTAction newAction(self);
        newAction.setStoredObject(VNTAction::generatedUUID(), kUUID);
        newAction.registerWithUUID();
        newAction.setStoredObject(newAction.initialName(), kName);
        if (const auto date = modelDateNow())
            newAction.setStoredObject(*date, QStringLiteral("creationDate"));
        for (const char* key : {"AuthorName", "AuthorMail"}) {
            const QString name = QString::fromLatin1(key);
            // "AuthorName" is stored as "authorName".
            if (Preferences::existsKey(name))
                newAction.setStoredObject(Preferences::stringForKey(name, {}),
                                          name.left(1).toLower() + name.mid(1));
        }
    };
    action.addVirtualKey(keys::icon, [](const VNTMutableDictionary& self) {
        return Value(VNTAction(self).iconFileName());
    });
    VNTAction::setKindInfo(action.name, QStringLiteral("Generic Action"),
                           QStringLiteral("Unknown-Icon.png"));

    RecordClass& keystroke =
        addRecordClass(QStringLiteral("VNTAKeystroke"), QStringLiteral("VNTAction"));
    keystroke.initialise = [](const VNTMutableDictionary& self) {
        setDefaults(self, {{"bringToFront", false},
                           {"reActivate", false},
                           {"shiftDown", false},
                           {"controlDown", false},
                           {"optionDown", false},
                           {"commandDown", false},
                           {"keyCode", 0},
                           {"delayTime", 0},
                           {"useFlashMode", false}});
    };
    keystroke.addVirtualKey(keys::reactivateEnabled, [](const VNTMutableDictionary& self) {
        return Value(!self.stringForKey(QStringLiteral("appName")).isEmpty());
    });
    keystroke.addDependentKey(QStringLiteral("appName"), keys::reactivateEnabled);
    VNTAction::setKindInfo(keystroke.name, QStringLiteral("New Keystroke"),
                           QStringLiteral("IconSmallKS.png"));

    RecordClass& mouse = addRecordClass(QStringLiteral("VNTAMouse"), QStringLiteral("VNTAction"));
    mouse.initialise = [](const VNTMutableDictionary& self) {
        setDefaults(self, {{"mouseEventType", 0},
                           {"mouseMoveType", 0},
                           {"mouseMoveX", 0},
                           {"mouseMoveY", 0},
                           {"mouseButtonTag", 1},
                           {"mouseClickCount", 1},
                           {"scrollWheelAmount", 0}});
    };
    const auto typeIs = [](const char* key, qint64 wanted) {
        return [key = QString::fromLatin1(key), wanted](const VNTMutableDictionary& self) {
            return Value(self.storedObjectForKey(key).toInteger() == wanted);
        };
    };
    mouse.addVirtualKey(keys::isMoveMouseType, typeIs("mouseEventType", 0));
    mouse.addVirtualKey(keys::isClickMouseType, typeIs("mouseEventType", 1));
    mouse.addVirtualKey(keys::isScrollWheelType, typeIs("mouseEventType", 2));
    mouse.addVirtualKey(keys::isHoldReleaseSelected, typeIs("mouseClickCount", 100));
    for (const VirtualKey& type :
         {keys::isMoveMouseType, keys::isClickMouseType, keys::isScrollWheelType})
        mouse.addDependentKey(QStringLiteral("mouseEventType"), type);
    mouse.addDependentKey(QStringLiteral("mouseClickCount"), keys::isHoldReleaseSelected);
    VNTAction::setKindInfo(mouse.name, QStringLiteral("New Mouse Event"),
                           QStringLiteral("IconSmallME.png"));

    RecordClass& script =
        addRecordClass(QStringLiteral("VNTAAppleScript"), QStringLiteral("VNTAction"));
    script.addVirtualKey(
        keys::scriptAsData,
        [](const VNTMutableDictionary& self) {
            return Value(self.stringForKey(QStringLiteral("script")).toLatin1());
        },
        [](const VNTMutableDictionary& self, const Value& value) {
            self.setStoredObject(QString::fromLatin1(value.toData()), QStringLiteral("script"));
        });
    VNTAction::setKindInfo(script.name, QStringLiteral("New AppleScript"),
                           QStringLiteral("IconSmallAS.png"));
}

void registerRemoteClasses() {
    RecordClass& remote =
        addRecordClass(QStringLiteral("VNTRemote"), QStringLiteral("VNTMutableDictionary"));
    remote.addVirtualKey(
        keys::layers,
        [](const VNTMutableDictionary& self) { return self.storedObjectForKey(kChilds); },
        [](const VNTMutableDictionary& self, const Value& value) {
            self.setStoredObject(value, kChilds);
        });
    addRecordClass(QStringLiteral("VNTAppleRemote"), QStringLiteral("VNTRemote"));

    RecordClass& layer =
        addRecordClass(QStringLiteral("VNTTriggerLayer"), QStringLiteral("VNTMutableDictionary"));
    layer.addVirtualKey(keys::nameWithID, [](const VNTMutableDictionary& self) {
        const QString name = self.stringForKey(kName);
        const qint64 remoteID = self.integerForKey(QStringLiteral("arID"));
        if (!self.boolForKey(QStringLiteral("useForAR")) || remoteID == 0)
            return Value(name);
        return Value(name + QString::asprintf(" - %03lld", static_cast<long long>(remoteID)));
    });

    RecordClass& trigger =
        addRecordClass(QStringLiteral("VNTTrigger"), QStringLiteral("VNTMutableDictionary"));
    trigger.addVirtualKey(keys::childs, [](const VNTMutableDictionary& self) {
        return Value(listCreatedWhenMissing(self, kChilds));
    });
    trigger.addVirtualKey(keys::repeatChilds, [](const VNTMutableDictionary& self) {
        return Value(listCreatedWhenMissing(self, kRepeatChilds));
    });
    addRecordClass(QStringLiteral("VNTTriggerAppleRemote"), QStringLiteral("VNTTrigger"));

    RecordClass& triggerAction =
        addRecordClass(QStringLiteral("VNTTriggerAction"), QStringLiteral("VNTMutableDictionary"));
    triggerAction.addVirtualKey(keys::triggerActionName, [](const VNTMutableDictionary& self) {
        const VNTAction action = VNTTriggerAction(self).action();
        if (!action)
            return Value("<unknown action>");
        return Value(action.name());
    });
    triggerAction.addVirtualKey(
        keys::assignedItem,
        [](const VNTMutableDictionary& self) { return VNTTriggerAction(self).action().value(); },
        [](const VNTMutableDictionary& self, const Value& value) {
            const VNTAction action(VNTMutableDictionary::of(value));
            if (!action)
                return;
            // The entry moves to the new action's users, or removing the old action would
            // still strip it from its button.
            const VNTTriggerAction entry(self);
            const VNTAction previous = entry.action();
            const bool wasUser = previous && previous.removeUser(entry);
            self.setStoredObject(action.uuid(), kUUID);
            self.setStoredObject(action.name(), QStringLiteral("title"));
            if (wasUser)
                action.addUser(entry);
            postModelNotification(QStringLiteral("SetTriggerAction"), action.identity());
        });
    const auto libraryParentOf = [](const Value& object) -> Value {
        VNTRepository* repository = VNTRepository::sharedRepository();
        if (!repository || object.isNone())
            return {};
        return Value(repository->parentDictionaryOf(object));
    };
    triggerAction.addVirtualKey(
        keys::assignedGroup,
        [libraryParentOf](const VNTMutableDictionary& self) {
            return libraryParentOf(VNTTriggerAction(self).action().value());
        },
        [](const VNTMutableDictionary& self, const Value& group) {
            self.silentlySetObject(firstObject(group[kChilds].toArray()), keys::assignedItem);
        });
    triggerAction.addVirtualKey(
        keys::assignedApplication,
        [libraryParentOf](const VNTMutableDictionary& self) {
            return libraryParentOf(self.objectForKey(keys::assignedGroup));
        },
        [](const VNTMutableDictionary& self, const Value& application) {
            self.silentlySetObject(firstObject(application[kChilds].toArray()),
                                   keys::assignedGroup);
        });
}

} // namespace

void registerModelClasses() {
    registerActionClasses();
    registerRemoteClasses();
}

int osdbForARBE(qint64 arbe) {
    constexpr qint64 single = 0x100, hold = 0x400, doubleClick = 0x800;
    qint64 code = arbe & ~(single | hold);
    switch (code) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 4:
        return 3;
    case 16:
        return 4;
    case 8:
        return 5;
    case 32:
        return 6;
    default:
        break;
    }
    code &= ~doubleClick;
    switch (code) {
    case 1:
        return 23;
    case 4:
        return 60;
    case 8:
        return 20;
    case 16:
        return 80;
    case 32:
        return 40;
    default:
        return 0;
    }
}

// ---- VNTAction

VNTAction VNTAction::actionWithUUID(const QString& uuid) {
    if (uuid.isEmpty())
        return {};
    return VNTAction(VNTMutableDictionary(registry().value(uuid)));
}

const QHash<QString, DictionaryRef>& VNTAction::allActions() {
    return registry();
}

void VNTAction::cleanupUUIDs() {
    registry().clear();
}

void VNTAction::setIgnoreUUID(bool ignore) {
    ignoreUUID = ignore;
}

bool VNTAction::ignoresUUID() {
    return ignoreUUID;
}

QString VNTAction::generatedUUID() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

void VNTAction::setKindInfo(const QString& className, const QString& initialName,
                            const QString& iconFileName) {
    kindInfos().insert(className, KindInfo{initialName, iconFileName});
}

void VNTAction::registerWithUUID() const {
    if (ignoreUUID || isNull())
        return;
    const QString key = uuid();
    auto it = registry().find(key);
    if (it != registry().end())
        platform::log(
            QStringLiteral("UUID already there: %1\nAction: %2").arg(key, describe(value())));
    registry().insert(key, bindings());
}

void VNTAction::unregisterWithUUID() const {
    registry().remove(uuid());
}

void VNTAction::updateUUID() const {
    setStoredObject(generatedUUID(), kUUID);
    registerWithUUID();
}

void VNTAction::updateDates() const {
    const auto date = modelDateNow();
    if (!date)
        return;
    setStoredObject(*date, QStringLiteral("creationDate"));
    setStoredObject(*date, QStringLiteral("changeDate"));
}

QString VNTAction::initialName() const {
    const KindInfo* info = kindInfoOf(*this);
    return info ? info->initialName : QString();
}

QString VNTAction::iconFileName() const {
    const KindInfo* info = kindInfoOf(*this);
    return info ? info->iconFileName : QString();
}

bool VNTAction::perform() const {
    const ModelContext* context = ModelContext::current();
    if (!context)
        return false;
    for (const RecordClass* cls = recordClass(); cls; cls = cls->base) {
        if (const ActionPerformer* performer = context->performerFor(cls->name))
            return (*performer)(*this);
    }
    return false;
}

void VNTAction::addUser(const VNTTriggerAction& user) const {
    if (isNull() || user.isNull())
        return;
    Users& users = transientOf(bindings()).users;
    Users::Entry& entry = users.byDictionary[user.bindings().get()];
    if (entry.user.lock() == user.bindings())
        return;
    // New, or in place of a user that died and left its address to this one.
    entry = Users::Entry{users.nextOrder++, user.bindings()};
}

bool VNTAction::removeUser(const VNTTriggerAction& user) const {
    if (isNull() || user.isNull())
        return false;
    Users& users = transientOf(bindings()).users;
    auto it = users.byDictionary.find(user.bindings().get());
    if (it == users.byDictionary.end())
        return false;
    const bool wasUser = it->second.user.lock() == user.bindings();
    users.byDictionary.erase(it);
    return wasUser;
}

std::vector<VNTTriggerAction> VNTAction::users() const {
    std::vector<VNTTriggerAction> result;
    if (isNull())
        return result;
    std::vector<std::pair<std::uint64_t, DictionaryRef>> alive;
    for (const auto& [dictionary, entry] : transientOf(bindings()).users.byDictionary) {
        if (auto user = entry.user.lock())
            alive.emplace_back(entry.order, std::move(user));
    }
    std::sort(alive.begin(), alive.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    result.reserve(alive.size());
    for (auto& [order, user] : alive)
        result.emplace_back(VNTMutableDictionary(std::move(user)));
    return result;
}

bool VNTAction::hasUsers() const {
    if (isNull())
        return false;
    const auto& users = transientOf(bindings()).users.byDictionary;
    return std::any_of(users.begin(), users.end(),
                       [](const auto& entry) { return !entry.second.user.expired(); });
}

int VNTAction::compareAlphabetically(const VNTAction& other) const {
    const int order = QString::compare(name(), other.name());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// ---- VNTTriggerLayer

ArrayRef VNTTriggerLayer::triggers() const {
    if (isNull())
        return std::make_shared<Array>();
    if (auto list = storedObjectForKey(kChilds).toArray())
        return list;
    // A "childs" that is no list is left alone; the layer then has no triggers.
    if (!storedObjectForKey(kChilds).isNone())
        return std::make_shared<Array>();
    return listCreatedWhenMissing(*this, kChilds);
}

bool VNTTriggerLayer::isResponsibleForID(qint64 remoteID) const {
    if (remoteID == -1)
        return false;
    return boolForKey(QStringLiteral("useForAR")) &&
           integerForKey(QStringLiteral("arID")) == remoteID;
}

bool VNTTriggerLayer::performActionForOSDB(qint64 osdb, qint64 /*remoteID*/, bool repeated) const {
    VNTTrigger found;
    // Held here: for a layer without a list of triggers the list is a temporary one.
    const ArrayRef candidates = triggers();
    for (const Value& item : *candidates) {
        const VNTTrigger trigger(VNTMutableDictionary::of(item));
        if (trigger && trigger.osdb() == osdb) {
            found = trigger;
            break;
        }
    }
    if (!found)
        return false;
    ArrayRef list = found.triggerActions();
    if (repeated) {
        ArrayRef repeats = found.triggerRepeatActions();
        if (repeats && !repeats->empty())
            list = repeats;
    }
    if (!list)
        return true;
    // A copy, so that an action that edits the trigger cannot pull the list from under us.
    const Array toPerform = *list;
    for (const Value& item : toPerform) {
        const QString uuid = item[kUUID].toString();
        if (const VNTAction action = VNTAction::actionWithUUID(uuid))
            action.perform();
    }
    return true;
}

int VNTTriggerLayer::checkOSDBDuplicates(platform::Alerts* alerts) const {
    const ArrayRef list = triggers();
    std::unordered_set<qint64> seen;
    // By identity: a trigger listed twice goes from both places, as with any other duplicate.
    std::unordered_set<const Dictionary*> duplicates;
    int found = 0;
    for (const Value& item : *list) {
        const VNTTrigger trigger(VNTMutableDictionary::of(item));
        const std::optional<qint64> number = trigger.osdb();
        if (!number)
            continue;
        if (seen.insert(*number).second)
            continue;
        duplicates.insert(trigger.bindings().get());
        ++found;
        platform::log(QStringLiteral("Layer '%1': remove duplicate of class '%2': %3")
                          .arg(stringForKey(kName), trigger.className(), describe(item)));
    }
    if (found == 0)
        return 0;
    if (alerts) {
        alerts->runModal(platform::Alert{
            platform::AlertStyle::Warning,
            QStringLiteral("Vantir Alert"),
            QStringLiteral("I found duplicate OSD button descriptions on Layer '%1' which has lead "
                           "to malfunction.\nThese will be removed to ensure Vantir's integrity."
                           "\n\nPlease save your archive to make this cleanup permanent.")
                .arg(stringForKey(kName)),
            {QStringLiteral("OK")}});
        postModelNotification(QStringLiteral("ChangedRepository"), identity());
    }
    std::erase_if(*list, [&](const Value& item) {
        const DictionaryRef dictionary = item.toDictionary();
        return dictionary && duplicates.contains(dictionary.get());
    });
    return found;
}

void VNTTriggerLayer::cleanupSectionStuff() const {
    const std::pair<const char*, const char*> renames[] = {
        {"activateAppWithSection", "activateAppWithLayer"},
        {"appToBeActivatedWithSection", "appToBeActivatedWithLayer"},
    };
    for (const auto& [from, to] : renames) {
        const Value moved = storedObjectForKey(QString::fromLatin1(from));
        if (moved.isNone())
            continue;
        setStoredObject(moved, QString::fromLatin1(to));
        removeObjectForKey(QString::fromLatin1(from));
    }
}

// ---- VNTTrigger

std::optional<qint64> VNTTrigger::osdb() const {
    const Value number = storedObjectForKey(kOSDB);
    if (!isNumber(number))
        return std::nullopt;
    return number.toInteger();
}

ArrayRef VNTTrigger::triggerActions() const {
    return objectForKey(keys::childs).toArray();
}

ArrayRef VNTTrigger::triggerRepeatActions() const {
    return objectForKey(keys::repeatChilds).toArray();
}

void VNTTrigger::removeTriggerAction(const VNTTriggerAction& action) const {
    if (ArrayRef list = storedObjectForKey(kChilds).toArray())
        std::erase_if(*list, [&](const Value& item) { return item.isSameObject(action.value()); });
}

void VNTTrigger::registerUsedActions() const {
    for (const ArrayRef& list : {triggerActions(), triggerRepeatActions()}) {
        if (!list)
            continue;
        for (const Value& item : *list) {
            const VNTTriggerAction triggerAction(VNTMutableDictionary::of(item));
            if (!triggerAction)
                continue;
            triggerAction.registerWithAction();
            triggerAction.setTrigger(*this);
        }
    }
}

void VNTTrigger::unregisterFromActions() const {
    for (const ArrayRef& list : {triggerActions(), triggerRepeatActions()}) {
        if (!list)
            continue;
        for (const Value& item : *list) {
            if (const VNTTriggerAction triggerAction{VNTMutableDictionary::of(item)})
                triggerAction.unregisterFromAction();
        }
    }
}

void VNTTrigger::cleanupARBEs() const {
    const qint64 arbe = storedObjectForKey(QStringLiteral("arbe")).toInteger();
    if (arbe == 0)
        return;
    const int osdb = osdbForARBE(arbe);
    setStoredObject(osdb, kOSDB);
    removeObjectForKey(QStringLiteral("arbe"));
    platform::log(QStringLiteral("found arbe %1, replaced with osdb %2").arg(arbe).arg(osdb));
}

void VNTTrigger::poseTriggerActions() const {
    const ArrayRef list = storedObjectForKey(kChilds).toArray();
    if (!list)
        return;
    for (Value& item : *list) {
        const VNTMutableDictionary record = VNTMutableDictionary::of(item);
        if (record && record.className() == QLatin1String("VNTMutableDictionary"))
            item = VNTMutableDictionary::newInstance(QStringLiteral("VNTTriggerAction"),
                                                     *record.bindings())
                       .value();
    }
}

// ---- VNTTriggerAction

void VNTTriggerAction::registerWithAction() const {
    if (const VNTAction target = action())
        target.addUser(*this);
}

void VNTTriggerAction::unregisterFromAction() const {
    if (const VNTAction target = action())
        target.removeUser(*this);
}

void VNTTriggerAction::actionWillRemove(const VNTAction& /*action*/) const {
    if (const VNTTrigger trigger = parentTrigger())
        trigger.removeTriggerAction(*this);
    unregisterFromAction();
}

void VNTTriggerAction::setTrigger(const VNTTrigger& trigger) const {
    if (isNull())
        return;
    transientOf(bindings()).parent = trigger.bindings();
}

VNTTrigger VNTTriggerAction::parentTrigger() const {
    if (isNull())
        return {};
    return VNTTrigger(VNTMutableDictionary(transientOf(bindings()).parent.lock()));
}

} // namespace vantir
