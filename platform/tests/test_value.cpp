#include "platform/core/value.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(Value, ContainersAreSharedAndMutableThroughEveryHolder) {
    Value list = Value::newArray({1, 2});
    Value holder = Value::newDictionary({{str("list"), list}});
    list.toArray()->push_back(3);
    EXPECT_EQ(holder[str("list")].toArray()->size(), 3u);
    EXPECT_TRUE(holder[str("list")].isSameObject(list));
}

TEST(Value, EqualContentIsNotTheSameObject) {
    Value a = Value::newArray({str("x")});
    Value b = Value::newArray({str("x")});
    EXPECT_EQ(a, b);
    EXPECT_FALSE(a.isSameObject(b));
    EXPECT_TRUE(a.isSameObject(a));
    EXPECT_NE(a, Value::newArray({str("y")}));
    EXPECT_NE(Value(1), Value(1.0)) << "integer and real are different types";
}

TEST(Value, DeepCopyMakesNewContainersAllTheWayDown) {
    Value inner = Value::newDictionary({{str("k"), 1}});
    Value outer = Value::newArray({inner});
    Value copy = outer.deepCopy();
    EXPECT_EQ(copy, outer);
    EXPECT_FALSE(copy.isSameObject(outer));
    EXPECT_FALSE(copy.at(0).isSameObject(inner));
    (*inner.toDictionary())[str("k")] = 2;
    EXPECT_EQ(copy.at(0)[str("k")].toInteger(), 1);
}

TEST(Value, DeepCopyCutsCycles) {
    Value list = Value::newArray({1});
    list.toArray()->push_back(list);
    Value copy = list.deepCopy();
    ASSERT_EQ(copy.toArray()->size(), 2u);
    EXPECT_TRUE(copy.at(1).isNone());
    list.toArray()->clear(); // breaks the cycle so the test does not leak
}

TEST(Value, TypedReadsOfOtherTypesGiveEmptyValues) {
    Value text(str("12"));
    EXPECT_EQ(text.toInteger(), 0) << "strings do not turn into numbers";
    EXPECT_FALSE(text.toBool());
    EXPECT_EQ(Value(3.9).toInteger(), 3);
    EXPECT_EQ(Value(-3.9).toInteger(), -3);
    EXPECT_EQ(Value(1e300).toInteger(), INT64_MAX);
    EXPECT_EQ(Value(true).toReal(), 1.0);
    EXPECT_TRUE(Value(7).toString().isEmpty());
    EXPECT_EQ(Value(7).toArray(), nullptr);
    EXPECT_TRUE(Value(7)[str("k")].isNone());
    EXPECT_TRUE(Value::newArray({1}).at(5).isNone());
    EXPECT_FALSE(Value().toDate().isValid());
}
