#include "platform/core/notification_center.h"
#include "vantir/core/collections.h"
#include "vantir/tests/model_fixture.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

class RecordTest : public ModelTest {};

struct NotificationRecorder {
    explicit NotificationRecorder(platform::NotificationCenter& center) : center(center) {
        center.addObserver(this, {}, nullptr,
                           [this](const platform::Notification& note) { posted.push_back(note); });
    }
    ~NotificationRecorder() { center.removeObserver(this); }
    platform::NotificationCenter& center;
    int count(const char* name, const void* object) const {
        return int(std::count_if(posted.begin(), posted.end(), [&](const auto& note) {
            return note.name == str(name) && note.object == object;
        }));
    }
    std::vector<platform::Notification> posted;
};

} // namespace

TEST_F(RecordTest, NewActionsOfEachKindCarryTheirInitialKeys) {
    defaults->setString(str("Ada"), str("AuthorName"));
    struct Kind {
        const char* className;
        const char* name;
        const char* icon;
    };
    for (const Kind& kind : {Kind{"VNTAction", "Generic Action", "Unknown-Icon.png"},
                             Kind{"VNTAKeystroke", "New Keystroke", "IconSmallKS.png"},
                             Kind{"VNTAMouse", "New Mouse Event", "IconSmallME.png"},
                             Kind{"VNTAAppleScript", "New AppleScript", "IconSmallAS.png"}}) {
        SCOPED_TRACE(kind.className);
        const VNTAction action(VNTMutableDictionary::newInstance(str(kind.className)));
        EXPECT_EQ(action.className(), str(kind.className));
        EXPECT_EQ(action.name(), str(kind.name));
        EXPECT_EQ(action.objectForKey(str("icon")).toString(), str(kind.icon));
        EXPECT_EQ(action.storedObjectForKey(str("creationDate")).toDate(), clock.currentDate());
        EXPECT_EQ(action.stringForKey(str("authorName")), str("Ada"));
        EXPECT_TRUE(action.storedObjectForKey(str("authorMail")).isNone());
        EXPECT_FALSE(action.allKeys().contains(str("icon"))) << "virtual keys are never stored";
        EXPECT_TRUE(VNTAction::actionWithUUID(action.uuid()).isSameObject(action));
        EXPECT_EQ(action.uuid(), action.uuid().toUpper());
        EXPECT_EQ(action.uuid().size(), 36);
    }
    const VNTMutableDictionary keystroke = VNTMutableDictionary::newInstance(str("VNTAKeystroke"));
    EXPECT_EQ(keystroke.storedObjectForKey(str("bringToFront")), Value(false));
    EXPECT_EQ(keystroke.storedObjectForKey(str("keyCode")), Value(0));
    const VNTMutableDictionary mouse = VNTMutableDictionary::newInstance(str("VNTAMouse"));
    EXPECT_EQ(mouse.storedObjectForKey(str("mouseButtonTag")), Value(1));
    EXPECT_EQ(mouse.storedObjectForKey(str("mouseClickCount")), Value(1));
    EXPECT_EQ(VNTAction(mouse).perform(), false) << "no performer: the base does nothing";
}

TEST_F(RecordTest, VirtualKeysOfTheClassTree) {
    const VNTMutableDictionary layer = VNTMutableDictionary::newInstance(str("VNTTriggerLayer"));
    layer.setObject(str("TV"), str("name"));
    layer.setObject(true, str("useForAR"));
    layer.setObject(7, str("arID"));
    EXPECT_EQ(layer.stringForKey(str("nameWithID")), str("TV - 007"));
    layer.setObject(0, str("arID"));
    EXPECT_EQ(layer.stringForKey(str("nameWithID")), str("TV"));
    layer.setObject(7, str("arID"));
    layer.setObject(false, str("useForAR"));
    EXPECT_EQ(layer.stringForKey(str("nameWithID")), str("TV"));

    const VNTMutableDictionary remote = VNTMutableDictionary::newInstance(str("VNTAppleRemote"));
    remote.setObject(Value::newArray({layer.value()}), str("layers"));
    EXPECT_TRUE(remote.storedObjectForKey(str("childs")).at(0).isSameObject(layer.value()));
    EXPECT_EQ(VNTRemote(remote).layers()->size(), 1u);
    EXPECT_TRUE(remote.storedObjectForKey(str("layers")).isNone());

    const VNTMutableDictionary mouse = VNTMutableDictionary::newInstance(str("VNTAMouse"));
    mouse.setObject(100, str("mouseClickCount"));
    EXPECT_EQ(mouse.objectForKey(str("isHoldReleaseSelected")), Value(true));
    EXPECT_EQ(mouse.objectForKey(str("isMoveMouseType")), Value(true));
    mouse.setObject(2, str("mouseEventType"));
    EXPECT_EQ(mouse.objectForKey(str("isScrollWheelType")), Value(true));
    EXPECT_EQ(mouse.objectForKey(str("isClickMouseType")), Value(false));

    const VNTMutableDictionary keystroke = VNTMutableDictionary::newInstance(str("VNTAKeystroke"));
    EXPECT_EQ(keystroke.objectForKey(str("reactivateEnabled")), Value(false));
    keystroke.setObject(str("Viewer"), str("appName"));
    EXPECT_EQ(keystroke.objectForKey(str("reactivateEnabled")), Value(true));

    const VNTMutableDictionary script = VNTMutableDictionary::newInstance(str("VNTAAppleScript"));
    script.setObject(QByteArray("echo hi"), str("scriptAsData"));
    EXPECT_EQ(script.storedObjectForKey(str("script")), Value("echo hi"));
    EXPECT_EQ(script.objectForKey(str("scriptAsData")), Value(QByteArray("echo hi")));

    // A trigger's lists appear, stored, on first read.
    const VNTMutableDictionary trigger =
        VNTMutableDictionary::newInstance(str("VNTTriggerAppleRemote"));
    EXPECT_TRUE(trigger.storedObjectForKey(str("childs")).isNone());
    ASSERT_TRUE(trigger.arrayForKey(str("childs")));
    EXPECT_TRUE(trigger.arrayForKey(str("repeatChilds")));
    EXPECT_EQ(trigger.storedObjectForKey(str("childs")), Value::newArray());

    // A plain dictionary with an unknown class has no virtual keys.
    const VNTMutableDictionary plain(std::make_shared<Dictionary>(
        Dictionary{{str("class"), "VNTFancy"}, {str("childs"), Value::newArray()}}));
    EXPECT_EQ(plain.recordClass(), nullptr);
    EXPECT_FALSE(plain.objectForKey(str("layers")).toArray());
}

TEST_F(RecordTest, TriggerActionFollowsItsActionByUUID) {
    auto repository = makeRepository();
    ASSERT_EQ(VNTRepository::sharedRepository(), repository.get());
    const VNTAction first(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    const VNTAction second(VNTMutableDictionary::newInstance(str("VNTAMouse")));
    first.setObject(str("Copy"), str("name"));
    const Value group =
        Value::newDictionary({{str("class"), "VNTMutableDictionary"},
                              {str("name"), "Edit"},
                              {str("childs"), Value::newArray({first.value(), second.value()})}});
    const Value application = Value::newDictionary(
        {{str("class"), "VNTMutableDictionary"}, {str("childs"), Value::newArray({group})}});
    repository->library()->push_back(application);

    NotificationRecorder recorder(notifications);
    const VNTTriggerAction reference(VNTMutableDictionary::newInstance(str("VNTTriggerAction")));
    EXPECT_EQ(reference.stringForKey(str("name")), str("<unknown action>"));
    reference.setObject(first.value(), str("assignedItem"));
    EXPECT_EQ(reference.uuid(), first.uuid());
    EXPECT_EQ(reference.storedObjectForKey(str("title")), Value("Copy"));
    EXPECT_EQ(recorder.count("SetTriggerAction", first.identity()), 1);
    EXPECT_EQ(recorder.count("ChangedAction", reference.identity()), 1);

    first.setObject(str("Copy All"), str("name"));
    EXPECT_EQ(reference.stringForKey(str("name")), str("Copy All")) << "the name is the action's";
    EXPECT_EQ(reference.storedObjectForKey(str("title")), Value("Copy"));
    EXPECT_TRUE(reference.objectForKey(str("assignedGroup")).isSameObject(group));
    EXPECT_TRUE(reference.objectForKey(str("assignedApplication")).isSameObject(application));

    reference.setObject(Value(), str("assignedItem"));
    reference.setObject(application, str("assignedApplication"));
    EXPECT_EQ(reference.uuid(), first.uuid()) << "first action of the first group";
    EXPECT_EQ(VNTMutableDictionary::of(reference.objectForKey(str("assignedItem"))).identity(),
              first.identity());
}

TEST_F(RecordTest, RegistryKeepsTheNewerActionAndLogsTheClash) {
    const VNTAction older(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    const VNTAction newer(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    newer.setStoredObject(older.uuid(), str("uuid"));
    newer.registerWithUUID();
    EXPECT_TRUE(VNTAction::actionWithUUID(older.uuid()).isSameObject(newer));
    ASSERT_FALSE(logLines.isEmpty());
    EXPECT_TRUE(
        logLines.last().startsWith(str("UUID already there: ") + older.uuid() + str("\nAction: ")));

    VNTAction::setIgnoreUUID(true);
    const VNTAction ignored(VNTMutableDictionary::newInstance(str("VNTAction")));
    EXPECT_FALSE(VNTAction::actionWithUUID(ignored.uuid()));
    VNTAction::setIgnoreUUID(false);

    const QString before = newer.uuid();
    newer.updateUUID();
    EXPECT_NE(newer.uuid(), before);
    EXPECT_TRUE(VNTAction::actionWithUUID(newer.uuid()).isSameObject(newer));
    clock.advance(90);
    newer.updateDates();
    EXPECT_EQ(newer.storedObjectForKey(str("changeDate")).toDate(), clock.currentDate());
    EXPECT_EQ(newer.storedObjectForKey(str("creationDate")).toDate(), clock.currentDate());

    VNTAction::cleanupUUIDs();
    EXPECT_TRUE(VNTAction::allActions().isEmpty());
}

TEST_F(RecordTest, UsersAreTheTriggerActionsThatReferToAnAction) {
    const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    const VNTTrigger trigger(VNTMutableDictionary::newInstance(str("VNTTriggerAppleRemote")));
    const VNTTriggerAction press(VNTMutableDictionary::newInstance(str("VNTTriggerAction")));
    const VNTTriggerAction hold(VNTMutableDictionary::newInstance(str("VNTTriggerAction")));
    press.setStoredObject(action.uuid(), str("uuid"));
    hold.setStoredObject(action.uuid(), str("uuid"));
    trigger.triggerActions()->push_back(press.value());
    trigger.triggerRepeatActions()->push_back(hold.value());

    EXPECT_FALSE(action.hasUsers());
    trigger.registerUsedActions();
    trigger.registerUsedActions();
    ASSERT_EQ(action.users().size(), 2u) << "a user is listed once";
    EXPECT_TRUE(press.parentTrigger().isSameObject(trigger));

    press.actionWillRemove(action);
    EXPECT_TRUE(trigger.triggerActions()->empty());
    EXPECT_FALSE(action.removeUser(press)) << "already gone";
    ASSERT_EQ(action.users().size(), 1u);
    EXPECT_TRUE(action.users().front().isSameObject(hold));

    trigger.unregisterFromActions();
    EXPECT_FALSE(action.hasUsers());
}

TEST_F(RecordTest, AssigningAnotherActionMovesTheEntryToItsUsers) {
    const VNTAction first(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    const VNTAction second(VNTMutableDictionary::newInstance(str("VNTAMouse")));
    const VNTTrigger trigger(VNTMutableDictionary::newInstance(str("VNTTriggerAppleRemote")));
    const VNTTriggerAction press(VNTMutableDictionary::newInstance(str("VNTTriggerAction")));
    press.setStoredObject(first.uuid(), str("uuid"));
    trigger.triggerActions()->push_back(press.value());
    trigger.registerUsedActions();

    press.setObject(second.value(), str("assignedItem"));
    EXPECT_FALSE(first.hasUsers());
    ASSERT_EQ(second.users().size(), 1u);
    // Removing the action the entry left must not take the entry off its button.
    for (const VNTTriggerAction& user : first.users())
        user.actionWillRemove(first);
    EXPECT_EQ(trigger.triggerActions()->size(), 1u);

    // An entry that no action counted as its user is not made one.
    const VNTTriggerAction loose(VNTMutableDictionary::newInstance(str("VNTTriggerAction")));
    loose.setObject(first.value(), str("assignedItem"));
    EXPECT_FALSE(first.hasUsers());
}

TEST_F(RecordTest, UsersKeepTheOrderInWhichTheyCame) {
    const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    std::vector<VNTTriggerAction> references;
    for (int i = 0; i < 5; ++i) {
        references.emplace_back(VNTMutableDictionary::newInstance(str("VNTTriggerAction")));
        action.addUser(references.back());
    }
    EXPECT_TRUE(action.removeUser(references[1]));
    action.addUser(references[3]);
    action.addUser(references[1]);
    const auto users = action.users();
    ASSERT_EQ(users.size(), 5u);
    for (const auto& [position, index] : {std::pair{0, 0}, {1, 2}, {2, 3}, {3, 4}, {4, 1}})
        EXPECT_TRUE(users[std::size_t(position)].isSameObject(references[std::size_t(index)]))
            << position;
}

TEST_F(RecordTest, CopiesAreDeepAndUnregistered) {
    const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    const Value group = Value::newDictionary({{str("class"), "VNTMutableDictionary"},
                                              {str("childs"), Value::newArray({action.value()})}});
    const VNTMutableDictionary copy = VNTMutableDictionary::of(group).copy();
    EXPECT_EQ(copy.value(), group);
    const VNTAction copied(VNTMutableDictionary::of(copy.arrayForKey(str("childs"))->at(0)));
    EXPECT_FALSE(copied.isSameObject(action));
    EXPECT_EQ(copied.className(), str("VNTAKeystroke"));
    EXPECT_TRUE(VNTAction::actionWithUUID(action.uuid()).isSameObject(action));
    copied.updateUUID();
    EXPECT_NE(copied.uuid(), action.uuid());
    EXPECT_EQ(VNTAction::allActions().size(), 2);
}

TEST_F(RecordTest, SilentWritesSkipChangedActionAndNoneRemovesAKey) {
    const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    NotificationRecorder recorder(notifications);
    action.silentlySetObject(str("quiet"), str("name"));
    EXPECT_EQ(recorder.count("ChangedAction", action.identity()), 0);
    EXPECT_EQ(recorder.count("VNTDidChangeValueForKey", action.identity()), 1);
    const VNTMutableDictionary mouse = VNTMutableDictionary::newInstance(str("VNTAMouse"));
    mouse.silentlySetObject(1, str("mouseEventType"));
    for (const char* key :
         {"mouseEventType", "isMoveMouseType", "isClickMouseType", "isScrollWheelType"}) {
        EXPECT_EQ(std::count_if(recorder.posted.begin(), recorder.posted.end(),
                                [&](const auto& note) {
                                    return note.object == mouse.identity() &&
                                           note.userInfo[str("key")] == Value(key);
                                }),
                  1)
            << key;
    }
    action.setObject(Value(), str("name"));
    EXPECT_FALSE(action.allKeys().contains(str("name")));
    EXPECT_EQ(recorder.count("ChangedAction", action.identity()), 1);
}

TEST(AccessorNames, FollowTheCapitalisationRule) {
    EXPECT_EQ(readerMessageForKey(str("layers")), str("privateLayers"));
    EXPECT_EQ(writerMessageForKey(str("nameWithID")), str("setPrivateNameWithID:"));
    EXPECT_TRUE(isBooleanKey(str("isMoveMouseType")));
    EXPECT_FALSE(isBooleanKey(str("isolated")));
    EXPECT_FALSE(isBooleanKey(str("is")));
    EXPECT_EQ(firstCapitalizedString(str("über alles")), str("Über alles"));
    EXPECT_EQ(firstCapitalizedString(QString()), QString());
}

// Accessors are found by message name at run time; these two tests make a misspelt name, in the
// constants or in the class tables, fail here instead of reading a stored key that is never set.
TEST(VirtualKeys, EachResolvesAlongEveryClassChainThatHasIt) {
    for (const VirtualKey& key : kVirtualKeys) {
        ASSERT_NE(recordClassNamed(str(key.className)), nullptr) << key.name;
        int chains = 0;
        for (const RecordClass* cls : allRecordClasses()) {
            if (!cls->isKindOf(str(key.className)))
                continue;
            ++chains;
            EXPECT_NE(cls->findGetter(readerMessageForKey(key.key())), nullptr)
                << key.name << " on " << cls->name.toStdString();
            EXPECT_EQ(cls->findSetter(writerMessageForKey(key.key())) != nullptr,
                      key.access == KeyAccess::ReadWrite)
                << key.name << " on " << cls->name.toStdString();
        }
        EXPECT_GE(chains, 1) << key.name;
    }
}

TEST(VirtualKeys, EveryAccessorOfTheTablesIsAKnownKeyOfItsClass) {
    const auto known = [](const RecordClass* cls, const QString& message, bool writing) {
        return std::any_of(std::begin(kVirtualKeys), std::end(kVirtualKeys), [&](const auto& key) {
            const QString expected =
                writing ? writerMessageForKey(key.key()) : readerMessageForKey(key.key());
            return expected == message && cls->isKindOf(str(key.className));
        });
    };
    for (const RecordClass* cls : allRecordClasses()) {
        for (const QString& message : cls->getters.keys())
            EXPECT_TRUE(known(cls, message, false)) << message.toStdString();
        for (const QString& message : cls->setters.keys())
            EXPECT_TRUE(known(cls, message, true)) << message.toStdString();
        for (const QStringList& dependents : cls->dependentKeys) {
            for (const QString& dependent : dependents)
                EXPECT_TRUE(known(cls, readerMessageForKey(dependent), false))
                    << dependent.toStdString();
        }
    }
}

TEST(LegacyEventCodes, MapToOSDButtons) {
    const std::pair<int, int> cases[] = {
        {0x0101, 1},  {0x0102, 2},  {0x0404, 3},  {0x0110, 4},  {0x0108, 5},  {0x0120, 6},
        {0x0801, 23}, {0x0804, 60}, {0x0808, 20}, {0x0810, 80}, {0x0820, 40}, {0x0802, 0},
        {0x0201, 0},  {0x0103, 0},  {0x0000, 0},  {0x0c01, 23},
    };
    for (const auto& [arbe, osdb] : cases)
        EXPECT_EQ(osdbForARBE(arbe), osdb) << std::hex << arbe;
}
