#pragma once

#include "vantir/core/record.h"

#include <QHash>

#include <functional>
#include <optional>
#include <vector>

namespace platform {
class Alerts;
} // namespace platform

namespace vantir {

class VNTTrigger;
class VNTTriggerAction;

/// Registers the model's classes in the class table; called once on first use of the table.
void registerModelClasses();

/// The current build number, stored as the archive's "Version".
inline constexpr int kCurrentBuildNumber = 30;

/// The OSD button number of an ARB event code: the single and hold bits cleared, one button
/// maps to 1..6; otherwise, the double bit cleared too, a double click of Play, Plus, Next,
/// Minus or Previous maps to 23, 60, 20, 80, 40; anything else is 0.
int osdbForARBE(qint64 arbe);

/// An action of the library. The kinds (keystroke, mouse, script) are subclasses that bring
/// their own keys, initial name, icon and way of performing.
class VNTAction : public VNTMutableDictionary {
public:
    VNTAction() = default;
    explicit VNTAction(const VNTMutableDictionary& record) : VNTMutableDictionary(record) {}

    /// The registered action with `uuid`, or a null record.
    static VNTAction actionWithUUID(const QString& uuid);
    /// The process-wide registry, UUID to action.
    static const QHash<QString, DictionaryRef>& allActions();
    /// Replaces the registry by an empty one.
    static void cleanupUUIDs();
    /// Suspends (true) or resumes registration.
    static void setIgnoreUUID(bool ignore);
    static bool ignoresUUID();
    /// A new UUID in its upper-case string form.
    static QString generatedUUID();
    /// The initial name and the icon file of a kind.
    static void setKindInfo(const QString& className, const QString& initialName,
                            const QString& iconFileName);

    QString uuid() const { return storedObjectForKey(QStringLiteral("uuid")).toString(); }
    QString name() const { return objectForKey(QStringLiteral("name")).toString(); }

    void registerWithUUID() const;
    void unregisterWithUUID() const;
    /// A new UUID, stored and registered.
    void updateUUID() const;
    /// "creationDate" and "changeDate" set to now.
    void updateDates() const;
    QString initialName() const;
    QString iconFileName() const;
    /// Performs the action through its kind's performer in the living model context; without
    /// one (or for the base kind) nothing happens and the answer is NO.
    bool perform() const;

    void addUser(const VNTTriggerAction& user) const;
    /// Answers whether `user` was a user.
    bool removeUser(const VNTTriggerAction& user) const;
    std::vector<VNTTriggerAction> users() const;
    bool hasUsers() const;
    /// Negative, zero or positive as this action's "name" sorts before, with or after the other's.
    int compareAlphabetically(const VNTAction& other) const;
};

/// A remote; its "childs" (also the virtual key "layers") are its layers.
class VNTRemote : public VNTMutableDictionary {
public:
    VNTRemote() = default;
    explicit VNTRemote(const VNTMutableDictionary& record) : VNTMutableDictionary(record) {}
    ArrayRef layers() const { return objectForKey(keys::layers).toArray(); }
};

/// A layer: a named set of triggers.
class VNTTriggerLayer : public VNTMutableDictionary {
public:
    VNTTriggerLayer() = default;
    explicit VNTTriggerLayer(const VNTMutableDictionary& record) : VNTMutableDictionary(record) {}

    /// The layer's "childs", created empty when missing.
    ArrayRef triggers() const;
    QString nameWithID() const { return objectForKey(keys::nameWithID).toString(); }
    /// NO for -1; otherwise whether "useForAR" is on and "arID" equals `remoteID`.
    bool isResponsibleForID(qint64 remoteID) const;
    /// Performs the trigger actions bound to `osdb`: "repeatChilds" when `repeated` and that
    /// list is not empty, "childs" otherwise. NO when no trigger has that number. The remote
    /// ID takes no part.
    bool performActionForOSDB(qint64 osdb, qint64 remoteID, bool repeated) const;
    /// Removes every trigger whose "osdb" an earlier trigger already has; with `alerts`, says so
    /// once and posts "ChangedRepository". Triggers without "osdb" are kept and not compared.
    /// Answers how many were removed.
    int checkOSDBDuplicates(platform::Alerts* alerts) const;
    /// Renames the older keys "activateAppWithSection" and "appToBeActivatedWithSection".
    void cleanupSectionStuff() const;
};

/// The binding of one OSD button number to trigger actions.
class VNTTrigger : public VNTMutableDictionary {
public:
    VNTTrigger() = default;
    explicit VNTTrigger(const VNTMutableDictionary& record) : VNTMutableDictionary(record) {}

    /// "osdb", when stored as a number.
    std::optional<qint64> osdb() const;
    /// "childs" and "repeatChilds", created empty when missing.
    ArrayRef triggerActions() const;
    ArrayRef triggerRepeatActions() const;
    /// Removes `action` (by identity) from "childs".
    void removeTriggerAction(const VNTTriggerAction& action) const;
    /// Each trigger action of both lists becomes a user of its action and takes this trigger
    /// as its parent.
    void registerUsedActions() const;
    void unregisterFromActions() const;
    /// Converts a non-zero legacy "arbe" into "osdb".
    void cleanupARBEs() const;
    /// Replaces each element of "childs" that is exactly a generic record by a trigger action
    /// made from it.
    void poseTriggerActions() const;
};

/// A reference from a trigger to one action, by UUID.
class VNTTriggerAction : public VNTMutableDictionary {
public:
    VNTTriggerAction() = default;
    explicit VNTTriggerAction(const VNTMutableDictionary& record) : VNTMutableDictionary(record) {}

    QString uuid() const { return storedObjectForKey(QStringLiteral("uuid")).toString(); }
    /// The referenced action, or a null record.
    VNTAction action() const { return VNTAction::actionWithUUID(uuid()); }
    void registerWithAction() const;
    void unregisterFromAction() const;
    /// Removes this trigger action from its parent trigger's "childs", then unregisters.
    void actionWillRemove(const VNTAction& action) const;
    void setTrigger(const VNTTrigger& trigger) const;
    /// The trigger that holds this trigger action (not stored), or a null record.
    VNTTrigger parentTrigger() const;
};

} // namespace vantir
