#pragma once

#include "vantir/core/classes.h"

#include <QString>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <optional>

namespace platform {
class Alerts;
class NotificationCenter;
} // namespace platform

namespace vantir {

class VNTRepository;

/// The kinds of action the editor adds.
enum class ActionKind { Keystroke, Mouse, Script };

/// What the editor edits, without its windows: the archive's applications, groups and actions,
/// the first remote's layers and their buttons, the selections, and every command of the
/// editor. Each edit is one step of the undo stack; the archive is written only by `save`.
class EditorDocument {
public:
    EditorDocument(VNTRepository& repository, platform::Alerts& alerts,
                   platform::NotificationCenter& notifications);
    ~EditorDocument();
    EditorDocument(const EditorDocument&) = delete;
    EditorDocument& operator=(const EditorDocument&) = delete;

    QUndoStack& undoStack() { return m_undoStack; }
    /// Whether there are edits that are not saved.
    bool isEdited() const { return m_externallyEdited || !m_undoStack.isClean(); }
    /// Called after every change of the archive or of a selection, undo and redo included.
    void setChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }

    // The lists.
    ArrayRef applications() const;
    static ArrayRef childsOf(const VNTMutableDictionary& record);
    VNTRemote remote() const;
    std::vector<VNTTriggerLayer> layers() const;

    // Selections. Setting an outer one clears or adapts the inner ones.
    VNTMutableDictionary selectedApplication() const { return m_application; }
    VNTMutableDictionary selectedGroup() const { return m_group; }
    VNTAction selectedAction() const { return m_action; }
    VNTTriggerLayer selectedLayer() const { return m_layer; }
    int selectedOSDB() const { return m_osdb; }
    /// The selected layer's trigger for the selected button, or a null record.
    VNTTrigger selectedTrigger() const { return triggerFor(m_layer, m_osdb); }
    void setSelectedApplication(const VNTMutableDictionary& application);
    void setSelectedGroup(const VNTMutableDictionary& group);
    void setSelectedAction(const VNTAction& action);
    void setSelectedLayer(const VNTTriggerLayer& layer);
    void setSelectedOSDB(int osdb);
    /// The go-to pop-up's item `index` chosen: its layer is selected. The first item, the
    /// pop-up's title, and items past the end select nothing.
    bool gotoLayerFrom(int index);
    /// Selects the action a trigger action refers to, with its group and application.
    void selectActionOf(const VNTTriggerAction& triggerAction);

    // Derived values.
    bool canRemoveFromRemotes() const;
    bool canRemoveFromTrigger() const { return !selectedTrigger().isNull(); }
    bool canAddLayer() const { return !remote().isNull(); }
    /// The go-to pop-up's items: "Go to Layer ..." and each layer's "nameWithID".
    QStringList layerMenuItems() const;
    QString exportSelectionTitle() const;

    // Commands.
    VNTAction addAction(ActionKind kind);
    VNTMutableDictionary addGroup();
    VNTMutableDictionary addLibrary();
    VNTTriggerLayer addLayer();
    /// Each asks as the editor does when the item is in use; false when nothing was removed.
    bool removeAction();
    bool removeGroup();
    bool removeLibrary();
    bool removeLayer();
    bool removeButton();
    /// Makes the selected action the only press action of the selected button, creating the
    /// button's trigger when it has none.
    bool assignAction();
    /// Adds `action` to the press ("childs") or hold ("repeatChilds") actions of `trigger` at
    /// `index` (-1: at the end), or in place of all of them.
    VNTTriggerAction addActionToTrigger(const VNTAction& action, const VNTTrigger& trigger,
                                        int index, bool replaceExisting, bool isRepeater);
    /// Makes `entry`, a press or hold action of a button, refer to `action` instead.
    bool reassignTriggerAction(const VNTTriggerAction& entry, const VNTAction& action);
    /// Removes the entry at `index` of the selected button's press or hold actions.
    bool removeActionFromTrigger(int index, bool isRepeater);
    /// An action (by UUID) dropped on a button of the display: it becomes the button's press
    /// action. False, and nothing changed, for anything that is no action of the library.
    bool droppedItem(const QString& uuid, int osdb);
    /// Moves an action into another group, or a group into another application.
    bool moveAction(const VNTAction& action, const VNTMutableDictionary& group);
    bool moveGroup(const VNTMutableDictionary& group, const VNTMutableDictionary& application);
    /// Moves an entry of `list` from `from` to before the entry that was at `to`.
    bool moveRow(const ArrayRef& list, int from, int to);
    /// Sets a key of a record (a name, a font, an action's field) as one undoable edit.
    void setValue(const VNTMutableDictionary& record, const QString& key, const Value& value);
    /// Runs `change` on `record` (an action panel's recording) as one undoable edit of all its
    /// keys.
    void changeRecord(const VNTMutableDictionary& record, const QString& text,
                      const std::function<void()>& change);
    /// Sets the selected button's name (the display shows it) or the layer's name.
    void setButtonName(const QString& name);

    /// Keeps a copy of the selected action, or else group, or else application.
    bool copy();
    /// Inserts a fresh copy (new UUIDs and dates) of what was copied after the selection of its
    /// list. False, with a message, when nothing was copied or there is no list to paste into.
    bool paste();
    /// Imports an item through the repository's panel and appends it to its list.
    bool importItem();
    bool exportSelection();

    /// Writes the archive. A failed save says so and keeps the edits.
    bool save();
    /// Reads the archive from disk again, dropping the edits, and selects the layer of the same
    /// name.
    void revert();
    /// Asks what to do with unsaved edits; answers whether the editor may close.
    bool shouldClose();

    static VNTTrigger triggerFor(const VNTTriggerLayer& layer, int osdb);

private:
    class Edit;
    friend class Edit;
    /// Runs `change` as one undoable step named `text`; the lists and keys it touches through
    /// `touch` are restored by undo.
    void edit(const QString& text, const std::function<void(Edit&)>& change);
    void afterUndoOrRedo();
    /// A button's entry now refers to `action`: the selected button takes the action's name.
    void updatedTriggerAction(const VNTAction& action);
    /// Rebuilds the action registry and the actions' users from the archive.
    void syncRegistrations();
    void reselectAfterChange();
    void notifyChanged();
    /// Asks before removing actions that buttons use; true to go on.
    bool askToRemove(const std::vector<VNTAction>& actions, const QString& text,
                     const QString& removeAnswer);
    /// Removes every button entry that refers to `actions`, and the actions from the registry.
    void detachUsers(Edit& e, const std::vector<VNTAction>& actions);
    bool removeFolder(const VNTMutableDictionary& folder, const ArrayRef& list,
                      const QString& text);

    VNTRepository& m_repository;
    platform::Alerts& m_alerts;
    platform::NotificationCenter& m_notifications;
    QUndoStack m_undoStack;
    std::function<void()> m_changed;
    bool m_externallyEdited = false;
    bool m_syncing = false;
    /// The edit being made, so that changes it causes elsewhere are undone with it.
    Edit* m_currentEdit = nullptr;

    VNTMutableDictionary m_application;
    VNTMutableDictionary m_group;
    VNTAction m_action;
    VNTTriggerLayer m_layer;
    int m_osdb = 2;

    enum class CopiedKind { Action, Group, Application };
    std::optional<CopiedKind> m_copiedKind;
    Value m_copiedData;
};

} // namespace vantir
