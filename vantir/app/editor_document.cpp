#include "vantir/app/editor_document.h"

#include "platform/core/alerts.h"
#include "platform/core/log.h"
#include "platform/core/notification_center.h"
#include "vantir/core/collections.h"
#include "vantir/core/model_context.h"
#include "vantir/core/repository.h"

#include <algorithm>

namespace vantir {

namespace {

const QString kChilds = QStringLiteral("childs");
const QString kRepeatChilds = QStringLiteral("repeatChilds");
const QString kName = QStringLiteral("name");
const QString kOSDBKey = QStringLiteral("osdb");

/// The editor keeps at most this many steps to undo; each holds the lists it changed.
constexpr int kUndoLimit = 200;

qsizetype indexOf(const ArrayRef& list, const VNTMutableDictionary& record) {
    if (!list || record.isNull())
        return -1;
    const auto found = std::find_if(list->begin(), list->end(), [&record](const Value& item) {
        return item.isSameObject(record.value());
    });
    return found == list->end() ? -1 : found - list->begin();
}

platform::Alert vantirAlert(const QString& text, QStringList buttons) {
    platform::Alert alert;
    alert.messageText = QStringLiteral("Vantir Alert");
    alert.informativeText = text;
    alert.buttons = std::move(buttons);
    return alert;
}

QString classNameOf(ActionKind kind) {
    switch (kind) {
    case ActionKind::Keystroke:
        return QStringLiteral("VNTAKeystroke");
    case ActionKind::Mouse:
        return QStringLiteral("VNTAMouse");
    case ActionKind::Script:
        return QStringLiteral("VNTAAppleScript");
    }
    return {};
}

VNTMutableDictionary newFolder(const QString& name) {
    const VNTMutableDictionary folder = VNTMutableDictionary::newInstance(
        QStringLiteral("VNTMutableDictionary"), {{kName, name}, {kChilds, Value::newArray()}});
    return folder;
}

} // namespace

/// The state of the lists and keys one edit touches, before and after it.
class EditorDocument::Edit {
public:
    void touch(const ArrayRef& list) {
        if (!list)
            return;
        for (const ListState& state : m_lists)
            if (state.list == list)
                return;
        m_lists.push_back({list, *list, {}});
    }
    void touchKey(const VNTMutableDictionary& record, const QString& key) {
        if (record.isNull())
            return;
        for (const KeyState& state : m_keys)
            if (state.dictionary == record.bindings() && state.key == key)
                return;
        m_keys.push_back({record.bindings(), key, record.storedObjectForKey(key), {}});
    }
    void touchRecord(const VNTMutableDictionary& record) {
        if (record.isNull())
            return;
        for (const RecordState& state : m_records)
            if (state.dictionary == record.bindings())
                return;
        m_records.push_back({record.bindings(), *record.bindings(), {}});
    }
    /// Records what the touched lists and keys hold now; false when nothing changed.
    bool finish() {
        bool changed = false;
        for (RecordState& state : m_records) {
            state.after = *state.dictionary;
            changed = changed || !(Value(std::make_shared<Dictionary>(state.after)) ==
                                   Value(std::make_shared<Dictionary>(state.before)));
        }
        for (ListState& state : m_lists) {
            state.after = *state.list;
            changed = changed || state.after.size() != state.before.size() ||
                      !std::equal(state.after.begin(), state.after.end(), state.before.begin(),
                                  [](const Value& a, const Value& b) { return a.isSameObject(b); });
        }
        for (KeyState& state : m_keys) {
            const auto found = state.dictionary->find(state.key);
            state.after = found == state.dictionary->end() ? Value() : found->second;
            changed = changed || !(state.after == state.before);
        }
        return changed;
    }
    void restore(bool before) const {
        for (const RecordState& state : m_records)
            *state.dictionary = before ? state.before : state.after;
        for (const ListState& state : m_lists)
            *state.list = before ? state.before : state.after;
        for (const KeyState& state : m_keys) {
            const Value& value = before ? state.before : state.after;
            if (value.isNone())
                state.dictionary->erase(state.key);
            else
                (*state.dictionary)[state.key] = value;
        }
    }

private:
    struct ListState {
        ArrayRef list;
        Array before;
        Array after;
    };
    struct KeyState {
        DictionaryRef dictionary;
        QString key;
        Value before;
        Value after;
    };
    struct RecordState {
        DictionaryRef dictionary;
        Dictionary before;
        Dictionary after;
    };
    std::vector<ListState> m_lists;
    std::vector<KeyState> m_keys;
    std::vector<RecordState> m_records;
};

namespace {

class EditCommand : public QUndoCommand {
public:
    EditCommand(const QString& text, std::shared_ptr<const void> edit,
                std::function<void(bool before)> restore)
        : QUndoCommand(text), m_edit(std::move(edit)), m_restore(std::move(restore)) {}
    void undo() override { m_restore(true); }
    void redo() override {
        // The edit is already made when the command is pushed.
        if (m_done)
            m_restore(false);
        m_done = true;
    }

private:
    std::shared_ptr<const void> m_edit;
    std::function<void(bool)> m_restore;
    bool m_done = false;
};

} // namespace

EditorDocument::EditorDocument(VNTRepository& repository, platform::Alerts& alerts,
                               platform::NotificationCenter& notifications)
    : m_repository(repository), m_alerts(alerts), m_notifications(notifications) {
    m_undoStack.setUndoLimit(kUndoLimit);
    QObject::connect(&m_undoStack, &QUndoStack::cleanChanged, [this] { notifyChanged(); });
    m_notifications.addObserver(this, QStringLiteral("ChangedRepository"), nullptr,
                                [this](const platform::Notification&) {
                                    m_externallyEdited = true;
                                    notifyChanged();
                                });
    m_notifications.addObserver(
        this, QStringLiteral("SetTriggerAction"), nullptr,
        [this](const platform::Notification& notification) {
            const QHash<QString, DictionaryRef>& registry = VNTAction::allActions();
            for (auto it = registry.begin(); it != registry.end(); ++it)
                if (it.value().get() == notification.object) {
                    updatedTriggerAction(VNTAction(VNTMutableDictionary(it.value())));
                    return;
                }
        });
    const std::vector<VNTTriggerLayer> all = layers();
    if (!all.empty())
        m_layer = all.front();
}

EditorDocument::~EditorDocument() {
    m_notifications.removeObserver(this);
}

// ---- Lists and selections

ArrayRef EditorDocument::applications() const {
    return m_repository.library();
}

ArrayRef EditorDocument::childsOf(const VNTMutableDictionary& record) {
    if (record.isNull())
        return {};
    ArrayRef list = record.storedObjectForKey(kChilds).toArray();
    if (!list) {
        list = std::make_shared<Array>();
        record.setStoredObject(list, kChilds);
    }
    return list;
}

VNTRemote EditorDocument::remote() const {
    const ArrayRef remotes = m_repository.remotes();
    return VNTRemote(VNTMutableDictionary::of(firstObject(remotes)));
}

std::vector<VNTTriggerLayer> EditorDocument::layers() const {
    return m_repository.layersOfFirstRemote();
}

VNTTrigger EditorDocument::triggerFor(const VNTTriggerLayer& layer, int osdb) {
    if (layer.isNull())
        return {};
    for (const Value& item : *layer.triggers()) {
        const VNTTrigger trigger(VNTMutableDictionary::of(item));
        if (trigger && trigger.osdb() == osdb)
            return trigger;
    }
    return {};
}

void EditorDocument::setSelectedApplication(const VNTMutableDictionary& application) {
    if (!application.isSameObject(m_application)) {
        m_application = application;
        m_group = {};
        m_action = {};
    }
    notifyChanged();
}

void EditorDocument::setSelectedGroup(const VNTMutableDictionary& group) {
    if (!group.isSameObject(m_group)) {
        m_group = group;
        m_action = {};
    }
    notifyChanged();
}

void EditorDocument::setSelectedAction(const VNTAction& action) {
    m_action = action;
    notifyChanged();
}

void EditorDocument::setSelectedLayer(const VNTTriggerLayer& layer) {
    m_layer = layer;
    notifyChanged();
}

void EditorDocument::setSelectedOSDB(int osdb) {
    m_osdb = osdb;
    notifyChanged();
}

bool EditorDocument::gotoLayerFrom(int index) {
    const std::vector<VNTTriggerLayer> all = layers();
    if (index < 1 || index > int(all.size()))
        return false;
    setSelectedLayer(all[std::size_t(index - 1)]);
    return true;
}

void EditorDocument::selectActionOf(const VNTTriggerAction& triggerAction) {
    const VNTAction action = triggerAction.action();
    const auto path = action ? m_repository.indexPathOfObject(action.value()) : std::nullopt;
    // Application, group, action: anything else is no action of the lists.
    if (!path || path->size() != 3)
        return;
    const ArrayRef apps = applications();
    m_application = VNTMutableDictionary::of(apps->at(std::size_t((*path)[0])));
    m_group = VNTMutableDictionary::of(childsOf(m_application)->at(std::size_t((*path)[1])));
    m_action = action;
    notifyChanged();
}

// ---- Derived values

bool EditorDocument::canRemoveFromRemotes() const {
    return !m_layer.isNull() && layers().size() >= 2;
}

QStringList EditorDocument::layerMenuItems() const {
    QStringList items{QStringLiteral("Go to Layer ...")};
    for (const VNTTriggerLayer& layer : layers())
        items.append(layer.nameWithID());
    return items;
}

QString EditorDocument::exportSelectionTitle() const {
    const VNTMutableDictionary selected = m_action  ? VNTMutableDictionary(m_action)
                                          : m_group ? m_group
                                                    : m_application;
    if (selected.isNull())
        return QStringLiteral("Export ...");
    return QStringLiteral("Export '%1' ...").arg(selected.stringForKey(kName));
}

// ---- Editing

void EditorDocument::edit(const QString& text, const std::function<void(Edit&)>& change) {
    auto state = std::make_shared<Edit>();
    Edit* const outer = std::exchange(m_currentEdit, state.get());
    change(*state);
    m_currentEdit = outer;
    if (state->finish()) {
        std::weak_ptr<Edit> weak = state;
        m_undoStack.push(new EditCommand(text, state, [this, weak](bool before) {
            if (const auto edit = weak.lock())
                edit->restore(before);
            afterUndoOrRedo();
        }));
    }
    notifyChanged();
}

void EditorDocument::updatedTriggerAction(const VNTAction& action) {
    const VNTTrigger trigger = selectedTrigger();
    if (trigger.isNull() || action.isNull())
        return;
    if (!m_currentEdit) {
        setValue(trigger, kName, action.name());
        return;
    }
    m_currentEdit->touchKey(trigger, kName);
    trigger.silentlySetObject(action.name(), kName);
}

void EditorDocument::afterUndoOrRedo() {
    syncRegistrations();
    reselectAfterChange();
    notifyChanged();
}

void EditorDocument::syncRegistrations() {
    const Value library(applications());
    const std::vector<VNTMutableDictionary> actions =
        allInstancesOfClass(library, QStringLiteral("VNTAction"));
    VNTAction::cleanupUUIDs();
    for (const VNTMutableDictionary& record : actions) {
        const VNTAction action(record);
        action.registerWithUUID();
        for (const VNTTriggerAction& user : action.users())
            action.removeUser(user);
    }
    for (const VNTTriggerLayer& layer : layers())
        for (const Value& item : *layer.triggers())
            VNTTrigger(VNTMutableDictionary::of(item)).registerUsedActions();
}

void EditorDocument::reselectAfterChange() {
    if (indexOf(applications(), m_application) < 0)
        m_application = {};
    if (indexOf(childsOf(m_application), m_group) < 0)
        m_group = {};
    if (indexOf(childsOf(m_group), m_action) < 0)
        m_action = {};
    const std::vector<VNTTriggerLayer> all = layers();
    if (std::none_of(all.begin(), all.end(),
                     [this](const VNTTriggerLayer& layer) { return layer.isSameObject(m_layer); }))
        m_layer = all.empty() ? VNTTriggerLayer() : all.front();
}

void EditorDocument::notifyChanged() {
    if (m_changed)
        m_changed();
}

VNTAction EditorDocument::addAction(ActionKind kind) {
    if (m_group.isNull())
        return {};
    VNTAction action;
    edit(QStringLiteral("Add Action"), [&](Edit& e) {
        const ArrayRef list = childsOf(m_group);
        e.touch(list);
        action = VNTAction(VNTMutableDictionary::newInstance(classNameOf(kind)));
        list->push_back(action.value());
    });
    setSelectedAction(action);
    return action;
}

VNTMutableDictionary EditorDocument::addGroup() {
    if (m_application.isNull())
        return {};
    VNTMutableDictionary group;
    edit(QStringLiteral("Add Group"), [&](Edit& e) {
        const ArrayRef list = childsOf(m_application);
        e.touch(list);
        group = newFolder(QStringLiteral("New Group"));
        list->push_back(group.value());
    });
    setSelectedGroup(group);
    return group;
}

VNTMutableDictionary EditorDocument::addLibrary() {
    const ArrayRef list = applications();
    if (!list)
        return {};
    VNTMutableDictionary application;
    edit(QStringLiteral("Add Application"), [&](Edit& e) {
        e.touch(list);
        application = newFolder(QStringLiteral("New Application"));
        list->push_back(application.value());
    });
    setSelectedApplication(application);
    return application;
}

VNTTriggerLayer EditorDocument::addLayer() {
    const VNTRemote owner = remote();
    if (owner.isNull())
        return {};
    const VNTTriggerLayer layer = VNTRepository::newLayerFromTemplate();
    if (layer.isNull()) {
        m_alerts.runModal(vantirAlert(QStringLiteral("The template of a new layer could not be "
                                                     "read, so no layer was added."),
                                      {}));
        return {};
    }
    edit(QStringLiteral("Add Layer"), [&](Edit& e) {
        const ArrayRef list = childsOf(owner);
        e.touch(list);
        list->push_back(layer.value());
    });
    m_layer = layer;
    setSelectedOSDB(2);
    return layer;
}

bool EditorDocument::askToRemove(const std::vector<VNTAction>& actions, const QString& text,
                                 const QString& removeAnswer) {
    const bool used = std::any_of(actions.begin(), actions.end(),
                                  [](const VNTAction& action) { return action.hasUsers(); });
    if (!used)
        return true;
    platform::Alert alert = vantirAlert(text, {QStringLiteral("Don't remove"), removeAnswer});
    alert.escapeAnswer = platform::AlertResponse::First;
    return m_alerts.runModal(alert) == platform::AlertResponse::Second;
}

void EditorDocument::detachUsers(Edit& e, const std::vector<VNTAction>& actions) {
    for (const VNTAction& action : actions) {
        for (const VNTTriggerAction& user : action.users()) {
            // The entry may be a press or a hold action; neither may point at nothing.
            if (const VNTTrigger trigger = user.parentTrigger()) {
                for (const ArrayRef& entries :
                     {trigger.triggerActions(), trigger.triggerRepeatActions()}) {
                    const qsizetype at = indexOf(entries, user);
                    if (at >= 0) {
                        e.touch(entries);
                        entries->erase(entries->begin() + at);
                    }
                }
            }
            user.unregisterFromAction();
        }
        action.unregisterWithUUID();
    }
}

bool EditorDocument::removeFolder(const VNTMutableDictionary& folder, const ArrayRef& list,
                                  const QString& text) {
    if (folder.isNull() || indexOf(list, folder) < 0)
        return false;
    std::vector<VNTAction> actions;
    for (const VNTMutableDictionary& record :
         allInstancesOfClass(folder.value(), QStringLiteral("VNTAction")))
        actions.emplace_back(record);
    if (!askToRemove(actions,
                     QStringLiteral("Some of the contained actions are in use by a OSD "
                                    "button!\nThe asscociated layers will no longer behave "
                                    "as expected."),
                     QStringLiteral("Remove from all OSD buttons, too")))
        return false;
    edit(text, [&](Edit& e) {
        detachUsers(e, actions);
        e.touch(list);
        list->erase(list->begin() + indexOf(list, folder));
    });
    reselectAfterChange();
    notifyChanged();
    return true;
}

bool EditorDocument::removeAction() {
    const VNTAction action = m_action;
    const ArrayRef list = childsOf(m_group);
    if (action.isNull() || indexOf(list, action) < 0)
        return false;
    if (!askToRemove({action}, QStringLiteral("This action is used by a OSD button!"),
                     QStringLiteral("Remove from OSD button, too")))
        return false;
    edit(QStringLiteral("Remove Action"), [&](Edit& e) {
        detachUsers(e, {action});
        e.touch(list);
        list->erase(list->begin() + indexOf(list, action));
    });
    m_action = {};
    notifyChanged();
    return true;
}

bool EditorDocument::removeGroup() {
    return removeFolder(m_group, childsOf(m_application), QStringLiteral("Remove Group"));
}

bool EditorDocument::removeLibrary() {
    return removeFolder(m_application, applications(), QStringLiteral("Remove Application"));
}

bool EditorDocument::removeLayer() {
    if (!canRemoveFromRemotes())
        return false;
    const VNTTriggerLayer layer = m_layer;
    platform::Alert alert =
        vantirAlert(QStringLiteral("Do you really want to remove the active layer '%1'?")
                        .arg(layer.stringForKey(kName)),
                    {QStringLiteral("Remove Layer"), QStringLiteral("Cancel")});
    if (m_alerts.runModal(alert) != platform::AlertResponse::First)
        return false;
    edit(QStringLiteral("Remove Layer"), [&](Edit& e) {
        for (const Value& item : *layer.triggers())
            VNTTrigger(VNTMutableDictionary::of(item)).unregisterFromActions();
        const ArrayRef list = childsOf(remote());
        e.touch(list);
        list->erase(list->begin() + indexOf(list, layer));
    });
    reselectAfterChange();
    notifyChanged();
    return true;
}

bool EditorDocument::removeButton() {
    const VNTTrigger trigger = selectedTrigger();
    if (trigger.isNull())
        return false;
    edit(QStringLiteral("Remove Button"), [&](Edit& e) {
        const ArrayRef list = m_layer.triggers();
        e.touch(list);
        trigger.unregisterFromActions();
        list->erase(list->begin() + indexOf(list, trigger));
    });
    return true;
}

VNTTriggerAction EditorDocument::addActionToTrigger(const VNTAction& action,
                                                    const VNTTrigger& trigger, int index,
                                                    bool replaceExisting, bool isRepeater) {
    if (action.isNull() || trigger.isNull())
        return {};
    VNTTriggerAction entry;
    edit(QStringLiteral("Add Action to Button"), [&](Edit& e) {
        entry = VNTTriggerAction(VNTMutableDictionary::newInstance(
            QStringLiteral("VNTTriggerAction"),
            {{QStringLiteral("uuid"), action.uuid()}, {QStringLiteral("title"), action.name()}}));
        entry.registerWithAction();
        entry.setTrigger(trigger);
        const ArrayRef list =
            isRepeater ? trigger.triggerRepeatActions() : trigger.triggerActions();
        e.touch(list);
        if (replaceExisting) {
            for (const Value& item : *list)
                VNTTriggerAction(VNTMutableDictionary::of(item)).unregisterFromAction();
            list->clear();
            list->push_back(entry.value());
        } else if (index < 0 || index >= int(list->size())) {
            list->push_back(entry.value());
        } else {
            list->insert(list->begin() + index, entry.value());
        }
    });
    return entry;
}

bool EditorDocument::assignAction() {
    if (m_action.isNull() || m_layer.isNull() || m_osdb == 0)
        return false;
    return droppedItem(m_action.uuid(), m_osdb);
}

bool EditorDocument::droppedItem(const QString& uuid, int osdb) {
    const VNTAction action = m_repository.itemWithUUID(uuid);
    if (action.isNull() || !m_repository.indexPathOfObject(action.value())) {
        platform::log(QStringLiteral("the editor ignores a drop of something that is no action "
                                     "of the library: '%1'")
                          .arg(uuid.left(80)));
        return false;
    }
    if (m_layer.isNull())
        return false;
    m_undoStack.beginMacro(QStringLiteral("Assign Action"));
    VNTTrigger trigger = triggerFor(m_layer, osdb);
    if (trigger.isNull()) {
        edit(QStringLiteral("Add Button"), [&](Edit& e) {
            trigger = VNTTrigger(VNTMutableDictionary::newInstance(
                QStringLiteral("VNTTriggerAppleRemote"), {{kOSDBKey, osdb},
                                                          {kName, action.name()},
                                                          {kChilds, Value::newArray()},
                                                          {kRepeatChilds, Value::newArray()}}));
            const ArrayRef list = m_layer.triggers();
            e.touch(list);
            list->push_back(trigger.value());
        });
    } else {
        setValue(trigger, kName, action.name());
    }
    addActionToTrigger(action, trigger, -1, true, false);
    m_undoStack.endMacro();
    m_osdb = osdb;
    notifyChanged();
    return true;
}

bool EditorDocument::reassignTriggerAction(const VNTTriggerAction& entry, const VNTAction& action) {
    if (entry.isNull() || action.isNull() || !m_repository.indexPathOfObject(action.value()))
        return false;
    edit(QStringLiteral("Assign Action to Entry"), [&](Edit& e) {
        e.touchKey(entry, QStringLiteral("uuid"));
        e.touchKey(entry, QStringLiteral("title"));
        entry.unregisterFromAction();
        entry.silentlySetObject(action.value(), QStringLiteral("assignedItem"));
        entry.registerWithAction();
    });
    return true;
}

bool EditorDocument::removeActionFromTrigger(int index, bool isRepeater) {
    const VNTTrigger trigger = selectedTrigger();
    if (trigger.isNull())
        return false;
    const ArrayRef list = isRepeater ? trigger.triggerRepeatActions() : trigger.triggerActions();
    if (index < 0 || index >= int(list->size()))
        return false;
    edit(QStringLiteral("Remove Action from Button"), [&](Edit& e) {
        e.touch(list);
        VNTTriggerAction(VNTMutableDictionary::of(list->at(std::size_t(index))))
            .unregisterFromAction();
        list->erase(list->begin() + index);
    });
    return true;
}

bool EditorDocument::moveAction(const VNTAction& action, const VNTMutableDictionary& group) {
    const DictionaryRef parent = m_repository.parentDictionaryOf(action.value());
    if (action.isNull() || group.isNull() || !parent || parent == group.bindings())
        return false;
    const ArrayRef from = childsOf(VNTMutableDictionary(parent));
    edit(QStringLiteral("Move Action"), [&](Edit& e) {
        e.touch(from);
        e.touch(childsOf(group));
        from->erase(from->begin() + indexOf(from, action));
        childsOf(group)->push_back(action.value());
    });
    reselectAfterChange();
    return true;
}

bool EditorDocument::moveGroup(const VNTMutableDictionary& group,
                               const VNTMutableDictionary& application) {
    const DictionaryRef parent = m_repository.parentDictionaryOf(group.value());
    if (group.isNull() || application.isNull() || !parent || parent == application.bindings())
        return false;
    const ArrayRef from = childsOf(VNTMutableDictionary(parent));
    edit(QStringLiteral("Move Group"), [&](Edit& e) {
        e.touch(from);
        e.touch(childsOf(application));
        from->erase(from->begin() + indexOf(from, group));
        childsOf(application)->push_back(group.value());
    });
    reselectAfterChange();
    return true;
}

bool EditorDocument::moveRow(const ArrayRef& list, int from, int to) {
    if (!list || from < 0 || from >= int(list->size()) || to < 0 || to > int(list->size()) ||
        to == from || to == from + 1)
        return false;
    edit(QStringLiteral("Move"), [&](Edit& e) {
        e.touch(list);
        const Value item = list->at(std::size_t(from));
        list->erase(list->begin() + from);
        list->insert(list->begin() + (to > from ? to - 1 : to), item);
    });
    return true;
}

void EditorDocument::setValue(const VNTMutableDictionary& record, const QString& key,
                              const Value& value) {
    if (record.isNull())
        return;
    edit(QStringLiteral("Change"), [&](Edit& e) {
        e.touchKey(record, key);
        record.silentlySetObject(value, key);
        if (record.isKindOfClass(QStringLiteral("VNTAction"))) {
            e.touchKey(record, QStringLiteral("changeDate"));
            if (const auto now = modelDateNow())
                record.setStoredObject(*now, QStringLiteral("changeDate"));
        }
    });
}

void EditorDocument::changeRecord(const VNTMutableDictionary& record, const QString& text,
                                  const std::function<void()>& change) {
    if (record.isNull())
        return;
    edit(text, [&](Edit& e) {
        e.touchRecord(record);
        change();
        if (record.isKindOfClass(QStringLiteral("VNTAction"))) {
            if (const auto now = modelDateNow())
                record.setStoredObject(*now, QStringLiteral("changeDate"));
        }
    });
}

void EditorDocument::setButtonName(const QString& name) {
    if (m_osdb == 2)
        setValue(m_layer, kName, name);
    else
        setValue(selectedTrigger(), kName, name);
}

// ---- Copy and paste

bool EditorDocument::copy() {
    if (m_action) {
        m_copiedKind = CopiedKind::Action;
        m_copiedData = m_action.copy().value();
    } else if (m_group) {
        m_copiedKind = CopiedKind::Group;
        m_copiedData = m_group.copy().value();
    } else if (m_application) {
        m_copiedKind = CopiedKind::Application;
        m_copiedData = m_application.copy().value();
    } else {
        return false;
    }
    return true;
}

bool EditorDocument::paste() {
    if (!m_copiedKind) {
        m_alerts.runModal(vantirAlert(
            QStringLiteral("There is nothing to paste: copy an action, a group or an application "
                           "first."),
            {}));
        return false;
    }
    ArrayRef list;
    VNTMutableDictionary after;
    switch (*m_copiedKind) {
    case CopiedKind::Action:
        list = childsOf(m_group);
        after = m_action;
        break;
    case CopiedKind::Group:
        list = childsOf(m_application);
        after = m_group;
        break;
    case CopiedKind::Application:
        list = applications();
        after = m_application;
        break;
    }
    if (!list) {
        m_alerts.runModal(vantirAlert(
            QStringLiteral("Select where to paste: a group for an action, an application for a "
                           "group."),
            {}));
        return false;
    }
    const VNTMutableDictionary fresh = VNTMutableDictionary::of(m_copiedData).copy();
    for (const VNTMutableDictionary& record :
         allInstancesOfClass(fresh.value(), QStringLiteral("VNTAction"))) {
        VNTAction(record).updateUUID();
        VNTAction(record).updateDates();
    }
    edit(QStringLiteral("Paste"), [&](Edit& e) {
        e.touch(list);
        const qsizetype at = indexOf(list, after);
        list->insert(at < 0 ? list->end() : list->begin() + at + 1, fresh.value());
    });
    switch (*m_copiedKind) {
    case CopiedKind::Action:
        m_action = VNTAction(fresh);
        break;
    case CopiedKind::Group:
        m_group = fresh;
        m_action = {};
        break;
    case CopiedKind::Application:
        m_application = fresh;
        m_group = {};
        m_action = {};
        break;
    }
    notifyChanged();
    return true;
}

// ---- Import and export

bool EditorDocument::importItem() {
    QString type;
    const Value item = m_repository.importObjectGetType(&type);
    const VNTMutableDictionary record = VNTMutableDictionary::of(item);
    if (record.isNull())
        return false;
    const ArrayRef list = type == QStringLiteral("Action")  ? childsOf(m_group)
                          : type == QStringLiteral("Group") ? childsOf(m_application)
                                                            : applications();
    if (!list) {
        // Not kept, so not known either: a later import of it must not count it as present.
        for (const VNTMutableDictionary& action :
             allInstancesOfClass(item, QStringLiteral("VNTAction")))
            VNTAction(action).unregisterWithUUID();
        m_alerts.runModal(vantirAlert(
            QStringLiteral("Select a group for an action or an application for a group, then "
                           "import again."),
            {}));
        return false;
    }
    edit(QStringLiteral("Import"), [&](Edit& e) {
        e.touch(list);
        list->push_back(item);
    });
    return true;
}

bool EditorDocument::exportSelection() {
    if (m_action)
        return m_repository.exportOfType(m_action.value(), QStringLiteral("Action"));
    if (m_group)
        return m_repository.exportOfType(m_group.value(), QStringLiteral("Group"));
    if (m_application)
        return m_repository.exportOfType(m_application.value(), QStringLiteral("Application"));
    return false;
}

// ---- Saving

bool EditorDocument::save() {
    if (!m_repository.save()) {
        m_alerts.runModal(vantirAlert(
            QStringLiteral("The archive could not be saved. Your changes are kept in the editor."),
            {}));
        return false;
    }
    m_externallyEdited = false;
    m_undoStack.setClean();
    m_notifications.post(QStringLiteral("ChangedLibrary"), this);
    notifyChanged();
    return true;
}

void EditorDocument::revert() {
    const QString layerName = m_layer ? m_layer.stringForKey(kName) : QString();
    m_undoStack.clear();
    m_repository.reload();
    m_externallyEdited = false;
    m_application = {};
    m_group = {};
    m_action = {};
    m_layer = {};
    const std::vector<VNTTriggerLayer> all = layers();
    for (const VNTTriggerLayer& layer : all)
        if (layer.stringForKey(kName) == layerName) {
            m_layer = layer;
            break;
        }
    if (m_layer.isNull() && !all.empty())
        m_layer = all.front();
    m_notifications.post(QStringLiteral("ChangedLibrary"), this);
    notifyChanged();
}

bool EditorDocument::shouldClose() {
    if (!isEdited())
        return true;
    const platform::Alert alert = vantirAlert(
        QStringLiteral("You have made changes but have not saved them yet!"),
        {QStringLiteral("Save"), QStringLiteral("Discard Changes"), QStringLiteral("Cancel")});
    switch (m_alerts.runModal(alert)) {
    case platform::AlertResponse::First:
        return save();
    case platform::AlertResponse::Second:
        revert();
        return true;
    case platform::AlertResponse::Third:
        return false;
    }
    return false;
}

} // namespace vantir
