#include "vantir/core/collections.h"
#include "vantir/tests/model_fixture.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

class CollectionsTest : public ModelTest {};

Value record(const char* className, Dictionary entries = {}) {
    if (className)
        entries[str("class")] = className;
    return Value::newDictionary(std::move(entries));
}

} // namespace

TEST_F(CollectionsTest, RestorationReplacesListElementsButNotDictionaryValues) {
    const Value nested = record("VNTTriggerLayer", {{str("name"), "inside a value"}});
    const Value plainClass = record("VNTNoSuchClass");
    const Value noClass = record(nullptr, {{str("name"), "bare"}});
    const Value section =
        record("VNTTriggerSection", {{str("childs"), Value::newArray({noClass})}});
    const Value list = Value::newArray({section, plainClass, str("text"), nested});
    const Value holder = record("VNTRemote", {{str("extra"), nested}, {str("childs"), list}});
    const Value top = Value::newArray({holder});

    poseVNTAClasses(top);

    const VNTMutableDictionary remote = VNTMutableDictionary::of(top.at(0));
    EXPECT_FALSE(remote.value().isSameObject(holder)) << "list elements are new instances";
    EXPECT_EQ(remote.className(), str("VNTRemote"));
    EXPECT_TRUE(remote.storedObjectForKey(str("extra")).isSameObject(nested))
        << "a dictionary value is not replaced";
    EXPECT_TRUE(remote.storedObjectForKey(str("childs")).isSameObject(list))
        << "nested lists are restored in place";

    const VNTMutableDictionary layer = VNTMutableDictionary::of(list.at(0));
    EXPECT_EQ(layer.className(), str("VNTTriggerLayer"));
    EXPECT_TRUE(layer.isKindOfClass(str("VNTTriggerLayer")));
    EXPECT_EQ(VNTMutableDictionary::of(layer.arrayForKey(str("childs"))->at(0)).className(),
              str("VNTMutableDictionary"));
    EXPECT_TRUE(list.at(1).isSameObject(plainClass)) << "unknown classes stay plain";
    EXPECT_EQ(VNTMutableDictionary::of(list.at(1)).recordClass(), nullptr);
    EXPECT_EQ(list.at(2), Value("text"));
    EXPECT_EQ(VNTMutableDictionary::of(list.at(3)).className(), str("VNTTriggerLayer"));
}

TEST_F(CollectionsTest, RestoredActionsRegisterUnderTheirStoredUUID) {
    const Value list =
        Value::newArray({record("VNTAMouse", {{str("uuid"), "STORED"}, {str("name"), "Mine"}})});
    poseVNTAClasses(list);
    EXPECT_EQ(VNTAction::allActions().size(), 1) << "the fresh UUID is given back";
    const VNTAction action = VNTAction::actionWithUUID(str("STORED"));
    ASSERT_TRUE(action);
    EXPECT_TRUE(action.value().isSameObject(list.at(0)));
    EXPECT_EQ(action.name(), str("Mine"));
    EXPECT_EQ(action.storedObjectForKey(str("mouseButtonTag")), Value(1))
        << "keys the file lacks take a new action's values";
}

TEST_F(CollectionsTest, LookupsCompareIdentityNotContent) {
    const Value twinA = record("VNTAKeystroke", {{str("name"), "twin"}});
    const Value twinB = record("VNTAKeystroke", {{str("name"), "twin"}});
    const Value group =
        record("VNTMutableDictionary", {{str("childs"), Value::newArray({twinA, twinB})}});
    const Value emptyGroup = record("VNTMutableDictionary", {{str("childs"), Value::newArray()}});
    const Value application =
        record("VNTMutableDictionary", {{str("childs"), Value::newArray({emptyGroup, group})}});
    const Value library = Value::newArray({record("VNTMutableDictionary"), application});

    ASSERT_EQ(twinA, twinB);
    EXPECT_EQ(indexPathOfObject(library, twinB), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(indexPathOfObject(library, twinA), (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(indexPathOfObject(library, group), (std::vector<int>{1, 1}));
    EXPECT_FALSE(indexPathOfObject(library, record("VNTAKeystroke", {{str("name"), "twin"}})));
    EXPECT_TRUE(parentDictionaryOf(library, twinB) == group.toDictionary());
    EXPECT_TRUE(parentDictionaryOf(library, group) == application.toDictionary());
    EXPECT_FALSE(parentDictionaryOf(library, application));

    EXPECT_EQ(allInstancesOfClass(library, str("VNTAction")).size(), 2u);
    EXPECT_EQ(allInstancesOfClass(twinA, str("VNTAKeystroke")).size(), 1u) << "the container too";
    EXPECT_EQ(allInstancesOfClass(library, str("VNTMutableDictionary")).size(), 6u);

    removeBuriedObject(library, twinA);
    EXPECT_EQ(group[str("childs")].toArray()->size(), 1u);
    EXPECT_TRUE(group[str("childs")].at(0).isSameObject(twinB));
}

TEST_F(CollectionsTest, IndexPathsStopAtNinePositions) {
    Value target = record("VNTAction");
    Value level = Value::newArray({target});
    for (int depth = 1; depth < 9; ++depth)
        level = Value::newArray({Value(0), level});
    ASSERT_EQ(indexPathOfObject(level, target)->size(), 9u);
    EXPECT_FALSE(indexPathOfObject(Value::newArray({level}), target));
}

TEST(ListOperations, FindStringsAndMapElements) {
    const ArrayRef list = Value::newArray({Value(3), Value("b"), Value("a"), Value("b")}).toArray();
    EXPECT_EQ(indexOfString(list, str("b")), 1);
    EXPECT_EQ(indexOfString(list, str("3")), -1) << "non-strings are skipped";
    EXPECT_TRUE(containsString(list, str("a")));
    EXPECT_FALSE(containsString(nullptr, str("a")));
    EXPECT_TRUE(firstObject(std::make_shared<Array>()).isNone());
    EXPECT_EQ(firstObject(list), Value(3));
    const ArrayRef kinds = objectsPerformedBy(list, [](const Value& item) {
        return Value(QString::fromLatin1(platform::typeName(item.type())));
    });
    EXPECT_EQ(Value(kinds), Value::newArray({Value("integer"), Value("string"), Value("string"),
                                             Value("string")}));
}
