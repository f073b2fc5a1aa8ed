// The editor's commands on the archive, without windows: assigning, dropping, removing with the
// questions, copy and paste, undo and redo, saving and reverting.

#include "vantir/app/editor_document.h"
#include "vantir/core/collections.h"
#include "vantir/tests/model_fixture.h"

#include <QDir>
#include <QFile>

#include <set>

namespace vantir {
namespace {

using platform::AlertResponse;
using testing::str;

class EditorDocumentTest : public testing::ModelTest {
protected:
    EditorDocumentTest() {
        repository = makeRepository();
        EXPECT_EQ(repository->load(), LoadOutcome::Loaded);
        alerts.shown.clear();
        document = std::make_unique<EditorDocument>(*repository, alerts, notifications);
    }

    VNTMutableDictionary named(const ArrayRef& list, const char* name) const {
        for (const Value& item : *list)
            if (item[str("name")].toString() == str(name))
                return VNTMutableDictionary::of(item);
        ADD_FAILURE() << "no " << name;
        return {};
    }
    /// Selects an action of the default archive by its application, group and name.
    VNTAction selectAction(const char* application, const char* group, const char* name) {
        document->setSelectedApplication(named(document->applications(), application));
        document->setSelectedGroup(
            named(EditorDocument::childsOf(document->selectedApplication()), group));
        const VNTAction action(named(EditorDocument::childsOf(document->selectedGroup()), name));
        document->setSelectedAction(action);
        return action;
    }
    void selectLayer(const char* name) {
        for (const VNTTriggerLayer& layer : document->layers())
            if (layer.stringForKey(str("name")) == str(name))
                document->setSelectedLayer(layer);
    }
    /// The archive as plain values, to compare before and after.
    Value snapshot() const { return Value(repository->libraries()).deepCopy(); }
    static QStringList uuidsOf(const ArrayRef& entries) {
        QStringList uuids;
        for (const Value& item : *entries)
            uuids.append(item[str("uuid")].toString());
        return uuids;
    }

    std::unique_ptr<VNTRepository> repository;
    std::unique_ptr<EditorDocument> document;
};

TEST_F(EditorDocumentTest, AssignOrDropOnAButtonWithoutTriggerCreatesIt) {
    selectAction("Desktop", "Keys", "Escape");
    const VNTAction escape = document->addAction(ActionKind::Keystroke);
    selectLayer("Presentation");
    document->setSelectedOSDB(7);
    ASSERT_TRUE(document->selectedTrigger().isNull());
    ASSERT_TRUE(document->assignAction());
    const VNTTrigger trigger = document->selectedTrigger();
    ASSERT_FALSE(trigger.isNull());
    EXPECT_EQ(trigger.className(), str("VNTTriggerAppleRemote"));
    EXPECT_EQ(trigger.osdb(), 7);
    EXPECT_EQ(trigger.stringForKey(str("name")), escape.name());
    EXPECT_EQ(uuidsOf(trigger.triggerActions()), QStringList{escape.uuid()});
    EXPECT_TRUE(escape.hasUsers());

    // A drop on a button that has a trigger replaces its press actions and renames it.
    const VNTAction space = selectAction("Desktop", "Keys", "Space");
    ASSERT_TRUE(document->droppedItem(space.uuid(), 7));
    EXPECT_EQ(uuidsOf(trigger.triggerActions()), QStringList{space.uuid()});
    EXPECT_EQ(trigger.stringForKey(str("name")), str("Space"));
    EXPECT_FALSE(escape.hasUsers());
    EXPECT_TRUE(document->isEdited());
}

TEST_F(EditorDocumentTest, ForeignDropsChangeNothing) {
    selectLayer("Presentation");
    const Value before = snapshot();
    EXPECT_FALSE(document->droppedItem(str("<not a uuid>"), 3));
    EXPECT_FALSE(document->droppedItem(QString(), 3));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(document->undoStack().count(), 0);
    EXPECT_FALSE(document->isEdited());
}

TEST_F(EditorDocumentTest, AddingToATriggerInsertsAtTheIndexOrAppends) {
    selectLayer("Presentation");
    document->setSelectedOSDB(1);
    const VNTTrigger trigger = document->selectedTrigger();
    const QString first = uuidsOf(trigger.triggerActions()).value(0);
    selectAction("Desktop", "Keys", "Arrow Up");
    const VNTAction up = document->addAction(ActionKind::Keystroke);
    const VNTAction down = document->addAction(ActionKind::Mouse);
    document->addActionToTrigger(up, trigger, 0, false, false);
    document->addActionToTrigger(down, trigger, -1, false, false);
    document->addActionToTrigger(down, trigger, 0, false, true);
    EXPECT_EQ(uuidsOf(trigger.triggerActions()), (QStringList{up.uuid(), first, down.uuid()}));
    EXPECT_EQ(uuidsOf(trigger.triggerRepeatActions()), QStringList{down.uuid()});
    EXPECT_EQ(down.users().size(), 2u);

    ASSERT_TRUE(document->removeActionFromTrigger(0, false));
    EXPECT_EQ(uuidsOf(trigger.triggerActions()), (QStringList{first, down.uuid()}));
    EXPECT_FALSE(up.hasUsers());
    EXPECT_FALSE(document->removeActionFromTrigger(5, false));
}

TEST_F(EditorDocumentTest, ReassignedEntryRenamesTheSelectedButtonAndUndoesAsOneStep) {
    selectLayer("Presentation");
    document->setSelectedOSDB(1);
    const VNTTrigger trigger = document->selectedTrigger();
    ASSERT_FALSE(trigger.isNull());
    const VNTTriggerAction entry(VNTMutableDictionary::of(trigger.triggerActions()->at(0)));
    const VNTAction old = entry.action();
    const QString oldName = trigger.stringForKey(str("name"));
    const VNTAction other = selectAction("Desktop", "Keys", "Escape");
    ASSERT_FALSE(other.isSameObject(old));
    const std::size_t users = other.users().size();

    ASSERT_TRUE(document->reassignTriggerAction(entry, other));
    EXPECT_EQ(entry.uuid(), other.uuid());
    EXPECT_EQ(entry.storedObjectForKey(str("title")), Value("Escape"));
    EXPECT_EQ(trigger.stringForKey(str("name")), str("Escape"));
    EXPECT_EQ(other.users().size(), users + 1);
    EXPECT_EQ(document->undoStack().count(), 1);

    document->undoStack().undo();
    EXPECT_EQ(entry.uuid(), old.uuid());
    EXPECT_EQ(trigger.stringForKey(str("name")), oldName);
    EXPECT_EQ(other.users().size(), users);

    // An entry set elsewhere still renames the selected button, as an edit of its own.
    entry.setObject(other.value(), str("assignedItem"));
    EXPECT_EQ(trigger.stringForKey(str("name")), str("Escape"));
    EXPECT_TRUE(document->isEdited());
    EXPECT_FALSE(document->reassignTriggerAction(entry, VNTAction()));
}

TEST_F(EditorDocumentTest, GoToLayerPopUpSelectsTheChosenLayerOnly) {
    const std::vector<VNTTriggerLayer> all = document->layers();
    ASSERT_GE(all.size(), 2u);
    const QStringList items = document->layerMenuItems();
    ASSERT_EQ(items.size(), qsizetype(all.size()) + 1);
    document->setSelectedOSDB(5);
    ASSERT_TRUE(document->gotoLayerFrom(int(all.size())));
    EXPECT_TRUE(document->selectedLayer().isSameObject(all.back()));
    EXPECT_EQ(document->selectedOSDB(), 5) << "the button stays selected on the new layer";
    EXPECT_EQ(items.last(), all.back().nameWithID());

    for (const int ignored : {0, -1, int(all.size()) + 1})
        EXPECT_FALSE(document->gotoLayerFrom(ignored));
    EXPECT_TRUE(document->selectedLayer().isSameObject(all.back()));
    EXPECT_FALSE(document->isEdited());
}

TEST_F(EditorDocumentTest, RemovingAnActionInUseAsksAndTakesItOffEveryButton) {
    const VNTAction space = selectAction("Desktop", "Keys", "Space");
    ASSERT_TRUE(space.hasUsers());
    // It is a hold action too; removing must not leave that entry pointing at nothing.
    selectLayer("Mouse");
    document->setSelectedOSDB(3);
    document->addActionToTrigger(space, document->selectedTrigger(), -1, false, true);

    alerts.answers = {platform::doubles::ScriptedAlerts::pressEscape};
    EXPECT_FALSE(document->removeAction());
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].informativeText, str("This action is used by a OSD button!"));
    EXPECT_EQ(alerts.shown[0].buttons,
              (QStringList{str("Don't remove"), str("Remove from OSD button, too")}));
    EXPECT_FALSE(VNTAction::actionWithUUID(space.uuid()).isNull());

    alerts.answers = {AlertResponse::Second};
    ASSERT_TRUE(document->removeAction());
    EXPECT_TRUE(VNTAction::actionWithUUID(space.uuid()).isNull());
    for (const VNTMutableDictionary& entry :
         allInstancesOfClass(Value(repository->remotes()), str("VNTTriggerAction")))
        EXPECT_NE(entry.stringForKey(str("uuid")), space.uuid());
}

TEST_F(EditorDocumentTest, RemovingAGroupInUseCanBeCancelled) {
    selectAction("Desktop", "Keys", "Space");
    document->setSelectedAction({});
    const Value before = snapshot();
    alerts.answers = {AlertResponse::First};
    EXPECT_FALSE(document->removeGroup());
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(alerts.shown.at(0).informativeText.startsWith(
        str("Some of the contained actions are in use by a OSD button!\n")));
    alerts.answers = {AlertResponse::Second};
    EXPECT_TRUE(document->removeGroup());
    EXPECT_EQ(EditorDocument::childsOf(document->selectedApplication())->size(), 1u);
}

TEST_F(EditorDocumentTest, OnlyLayerIsNotRemovedAndTheQuestionDecides) {
    selectLayer("Music");
    alerts.answers = {AlertResponse::Second};
    EXPECT_FALSE(document->removeLayer());
    EXPECT_EQ(alerts.shown.at(0).informativeText,
              str("Do you really want to remove the active layer 'Music'?"));
    EXPECT_EQ(document->layers().size(), 3u);
    alerts.answers = {AlertResponse::First, AlertResponse::First};
    EXPECT_TRUE(document->removeLayer());
    EXPECT_TRUE(document->removeLayer());
    EXPECT_EQ(document->layers().size(), 1u);
    EXPECT_FALSE(document->canRemoveFromRemotes());
    EXPECT_FALSE(document->removeLayer());
    EXPECT_EQ(alerts.shown.size(), 3u);
}

TEST_F(EditorDocumentTest, PastingACopiedActionTwiceGivesFreshUUIDs) {
    const VNTAction space = selectAction("Desktop", "Keys", "Space");
    alerts.answers = {};
    EXPECT_FALSE(document->paste());
    EXPECT_EQ(alerts.shown.size(), 1u);

    ASSERT_TRUE(document->copy());
    clock.advance(60);
    ASSERT_TRUE(document->paste());
    const VNTAction first = document->selectedAction();
    ASSERT_TRUE(document->paste());
    const VNTAction second = document->selectedAction();
    const std::set<QString> uuids{space.uuid(), first.uuid(), second.uuid()};
    EXPECT_EQ(uuids.size(), 3u);
    EXPECT_EQ(VNTAction::actionWithUUID(second.uuid()).identity(), second.identity());
    EXPECT_EQ(first.stringForKey(str("name")), str("Space"));
    EXPECT_NE(first.objectForKey(str("creationDate")), space.objectForKey(str("creationDate")));
    // Each lands after the selection, and is selected: Space, first, second, Arrow Right, …
    const ArrayRef keys = EditorDocument::childsOf(document->selectedGroup());
    EXPECT_TRUE(keys->at(1).isSameObject(first.value()));
    EXPECT_TRUE(keys->at(2).isSameObject(second.value()));
}

TEST_F(EditorDocumentTest, UndoRestoresTheArchiveAndRedoRemakesIt) {
    const Value before = snapshot();
    selectAction("Desktop", "Keys", "Escape");
    document->addAction(ActionKind::Keystroke);
    const VNTAction added = document->selectedAction();
    selectLayer("Presentation");
    ASSERT_TRUE(document->droppedItem(added.uuid(), 40));
    document->setSelectedOSDB(5);
    document->removeButton();
    document->setValue(added, str("name"), str("Renamed"));
    document->addLayer();
    ASSERT_TRUE(document->copy());
    document->paste();
    alerts.answers = {AlertResponse::Second};
    selectAction("Desktop", "Mouse", "Mouse Right");
    document->setSelectedAction({});
    ASSERT_TRUE(document->removeGroup());
    const Value after = snapshot();
    ASSERT_NE(after, before);

    while (document->undoStack().canUndo())
        document->undoStack().undo();
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(VNTAction::actionWithUUID(added.uuid()).isNull());
    EXPECT_TRUE(selectAction("Desktop", "Keys", "Space").hasUsers());
    EXPECT_FALSE(document->isEdited());

    while (document->undoStack().canRedo())
        document->undoStack().redo();
    EXPECT_EQ(snapshot(), after);
    EXPECT_FALSE(VNTAction::actionWithUUID(added.uuid()).isNull());
    EXPECT_TRUE(VNTAction::actionWithUUID(added.uuid()).hasUsers());
}

TEST_F(EditorDocumentTest, SaveWritesTheArchiveAndRevertDropsLaterEdits) {
    int changedLibrary = 0;
    notifications.addObserver(
        this, str("ChangedLibrary"), nullptr,
        [&changedLibrary](const platform::Notification&) { ++changedLibrary; });
    selectAction("Desktop", "Keys", "Escape");
    const VNTAction added = document->addAction(ActionKind::Mouse);
    ASSERT_TRUE(document->save());
    EXPECT_FALSE(document->isEdited());
    EXPECT_EQ(changedLibrary, 1);
    EXPECT_FALSE(allInstancesOfClass(archiveOnDisk(), str("VNTAMouse")).empty());
    const auto onDisk = allInstancesOfClass(archiveOnDisk(), str("VNTAction"));
    EXPECT_TRUE(std::any_of(onDisk.begin(), onDisk.end(), [&](const VNTMutableDictionary& r) {
        return r.stringForKey(str("uuid")) == added.uuid();
    }));

    selectLayer("Music");
    document->setSelectedOSDB(1);
    document->removeButton();
    const Value saved = archiveOnDisk();
    alerts.answers = {AlertResponse::Second};
    EXPECT_TRUE(document->shouldClose());
    EXPECT_EQ(alerts.shown.back().buttons,
              (QStringList{str("Save"), str("Discard Changes"), str("Cancel")}));
    EXPECT_FALSE(document->isEdited());
    EXPECT_EQ(document->selectedLayer().stringForKey(str("name")), str("Music"));
    EXPECT_FALSE(document->selectedTrigger().isNull());
    EXPECT_EQ(Value(repository->libraries()), saved);
    EXPECT_EQ(changedLibrary, 2);
    notifications.removeObserver(this);
}

TEST_F(EditorDocumentTest, FailedSaveSaysSoAndKeepsTheEdits) {
    selectAction("Desktop", "Keys", "Escape");
    document->addAction(ActionKind::Script);
    // A folder where the archive should be: no rename can replace it.
    QFile::remove(archivePath());
    ASSERT_TRUE(QDir().mkpath(archivePath()));
    EXPECT_FALSE(document->save());
    EXPECT_TRUE(document->isEdited());
    EXPECT_EQ(alerts.shown.size(), 1u);
    alerts.answers = {platform::doubles::ScriptedAlerts::pressEscape};
    EXPECT_FALSE(document->shouldClose());
    EXPECT_TRUE(document->isEdited());
}

TEST_F(EditorDocumentTest, MovesBetweenListsAndWithinThem) {
    const VNTAction space = selectAction("Desktop", "Keys", "Space");
    const VNTMutableDictionary mouse =
        named(EditorDocument::childsOf(document->selectedApplication()), "Mouse");
    ASSERT_TRUE(document->moveAction(space, mouse));
    EXPECT_TRUE(EditorDocument::childsOf(mouse)->back().isSameObject(space.value()));
    const ArrayRef keys = EditorDocument::childsOf(document->selectedGroup());
    EXPECT_EQ(keys->size(), 5u);
    EXPECT_TRUE(space.hasUsers());
    const Value third = keys->at(2);
    ASSERT_TRUE(document->moveRow(keys, 2, 0));
    EXPECT_TRUE(keys->at(0).isSameObject(third));
    EXPECT_FALSE(document->moveRow(keys, 9, 0));
    document->undoStack().undo();
    document->undoStack().undo();
    EXPECT_EQ(keys->size(), 6u);
    EXPECT_TRUE(keys->at(0).isSameObject(space.value()));
}

TEST_F(EditorDocumentTest, ExportedGroupImportsIntoTheSelectedApplicationAndUndoes) {
    selectAction("Desktop", "Keys", "Space");
    document->setSelectedAction({});
    const QString file = folder() + str("/Keys.vnta");
    panels.answers = {file};
    ASSERT_TRUE(document->exportSelection());
    alerts.answers = {AlertResponse::Second};
    ASSERT_TRUE(document->removeGroup());
    const ArrayRef groups = EditorDocument::childsOf(document->selectedApplication());
    ASSERT_EQ(groups->size(), 1u);

    panels.answers = {file};
    ASSERT_TRUE(document->importItem());
    ASSERT_EQ(groups->size(), 2u);
    const VNTMutableDictionary imported = VNTMutableDictionary::of(groups->back());
    EXPECT_EQ(imported.stringForKey(str("name")), str("Keys"));
    const QString space = VNTMutableDictionary::of(EditorDocument::childsOf(imported)->at(0))
                              .stringForKey(str("uuid"));
    EXPECT_FALSE(VNTAction::actionWithUUID(space).isNull());
    document->undoStack().undo();
    EXPECT_EQ(groups->size(), 1u);
    EXPECT_TRUE(VNTAction::actionWithUUID(space).isNull());
    // Nothing to import into: a group needs a selected application. It is not kept, so it
    // imports once one is selected.
    const VNTMutableDictionary desktop = document->selectedApplication();
    document->setSelectedApplication({});
    panels.answers = {file};
    EXPECT_FALSE(document->importItem());
    EXPECT_TRUE(VNTAction::actionWithUUID(space).isNull());
    document->setSelectedApplication(desktop);
    panels.answers = {file};
    EXPECT_TRUE(document->importItem());
}

TEST_F(EditorDocumentTest, DerivedValues) {
    EXPECT_EQ(
        document->layerMenuItems(),
        (QStringList{str("Go to Layer ..."), document->layers()[0].nameWithID(),
                     document->layers()[1].nameWithID(), document->layers()[2].nameWithID()}));
    EXPECT_EQ(document->exportSelectionTitle(), str("Export ..."));
    selectAction("Desktop", "Keys", "Space");
    EXPECT_EQ(document->exportSelectionTitle(), str("Export 'Space' ..."));
    EXPECT_TRUE(document->canAddLayer());
    document->setSelectedOSDB(7);
    EXPECT_FALSE(document->canRemoveFromTrigger());
}

} // namespace
} // namespace vantir
