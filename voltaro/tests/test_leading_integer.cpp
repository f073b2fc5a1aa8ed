#include "voltaro/core/leading_integer.h"

#include <gtest/gtest.h>

using namespace voltaro;

namespace {

struct Case {
    const char* text;
    std::int32_t expected;
};

class LeadingInteger : public ::testing::TestWithParam<Case> {};

TEST_P(LeadingInteger, ReadsTheLeadingNumber) {
    const Case& c = GetParam();
    EXPECT_EQ(leadingInteger(QString::fromLatin1(c.text)), c.expected) << c.text;
    EXPECT_EQ(leadingInteger(QByteArrayView(c.text)), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingInteger,
    ::testing::Values(Case{"4400", 4400}, Case{" 4400", 4400}, Case{"\t\n  12", 12},
                      Case{"12abc", 12}, Case{"1234\n", 1234}, Case{"-15", -15}, Case{"+7", 7},
                      Case{"", 0}, Case{"abc", 0}, Case{"-", 0}, Case{" - 5", 0}, Case{"4 400", 4},
                      Case{"2147483647", 2147483647}, Case{"2147483648", 2147483647},
                      Case{"99999999999999999999", 2147483647},
                      Case{"-2147483648", -2147483647 - 1}, Case{"-99999999999", -2147483647 - 1},
                      Case{"0042", 42}, Case{"3.9", 3}));

TEST(LeadingIntegerBytes, StopsAtNul) {
    EXPECT_EQ(leadingInteger(QByteArrayView("55\0\0\0", 5)), 55);
    EXPECT_EQ(leadingInteger(QByteArrayView("\0\0\0\0\0", 5)), 0);
}

TEST(LeadingIntegerIfAny, TellsNoDigitsFromZero) {
    EXPECT_EQ(leadingIntegerIfAny(u"0 %"), 0);
    EXPECT_EQ(leadingIntegerIfAny(u"88 % (4400 mAh)"), 88);
    EXPECT_FALSE(leadingIntegerIfAny(u" (4400 mAh)"));
}

TEST(ReadingValues, NumbersTextAndOthers) {
    EXPECT_EQ(integerValue(platform::Value(5841)), 5841);
    EXPECT_EQ(integerValue(platform::Value(QStringLiteral(" 201 cycles"))), 201);
    EXPECT_EQ(integerValue(platform::Value(12.9)), 12);
    EXPECT_EQ(integerValue(platform::Value(true)), 1);
    EXPECT_EQ(integerValue(platform::Value(std::int64_t(1) << 40)), 2147483647);
    EXPECT_EQ(integerValue(platform::Value()), 0);
    EXPECT_EQ(integerValue(platform::Value::newDictionary()), 0);
    EXPECT_TRUE(boolValue(platform::Value(true)));
    EXPECT_FALSE(boolValue(platform::Value(false)));
    EXPECT_TRUE(boolValue(platform::Value(2)));
    EXPECT_FALSE(boolValue(platform::Value()));
}

} // namespace
