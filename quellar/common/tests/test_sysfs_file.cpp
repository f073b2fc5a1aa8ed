#include "common/sysfs_file.h"

#include <gtest/gtest.h>

using quellar::parseLeadingInteger;

TEST(ParseLeadingInteger, ReadsTheLeadingNumberAndIgnoresTheRest) {
    EXPECT_EQ(parseLeadingInteger("55000\n"), 55000);
    EXPECT_EQ(parseLeadingInteger("  -12 degrees"), -12);
    EXPECT_EQ(parseLeadingInteger("+7"), 7);
    EXPECT_EQ(parseLeadingInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseLeadingInteger("-9223372036854775808"), INT64_MIN);
}

TEST(ParseLeadingInteger, GarbageAndOverflowAreNoNumber) {
    for (const char* text :
         {"", "\n", "abc", "-", "+x", "9223372036854775808", "99999999999999999999999"})
        EXPECT_FALSE(parseLeadingInteger(text)) << text;
}
