#include "platform/core/resources.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(Resources, FoundInTheSourceTreeWhileDeveloping) {
    Resources resources(str("platform/tests"));
    EXPECT_EQ(resources.folder(), str(PLATFORM_TEST_SOURCE_DIR "/resources"));
    EXPECT_EQ(resources.pathForResource(str("strings/Test"), str("plist")),
              str(PLATFORM_TEST_SOURCE_DIR "/resources/strings/Test.plist"));
    EXPECT_TRUE(resources.pathForResource(str("strings/Missing"), str("plist")).isEmpty());
    EXPECT_TRUE(resources.pathForResource(str("strings"), QString()).isEmpty())
        << "a folder is no resource";
    EXPECT_TRUE(Resources(str("no-such-program")).folder().isEmpty());
}

TEST(StringsTable, MapsKeysToTextsAndMissingKeysToTheEmptyText) {
    StringsTable table = StringsTable::load(Resources(str("platform/tests")), str("Test"));
    EXPECT_EQ(table.text(str("NoBattery")), str("This computer has no battery."));
    EXPECT_EQ(table.text(str("Version")), str("Version %@"));
    EXPECT_TRUE(table.text(str("Absent")).isEmpty());
}

TEST(StringsTable, RefusesTablesThatAreNotDictionariesOfStrings) {
    EXPECT_FALSE(StringsTable::parse("<plist><array/></plist>"));
    EXPECT_FALSE(
        StringsTable::parse("<plist><dict><key>k</key><integer>1</integer></dict></plist>"));
    EXPECT_FALSE(StringsTable::parse("not a table"));
    auto empty = StringsTable::parse("<plist><dict/></plist>");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size(), 0);
}
