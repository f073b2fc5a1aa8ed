#include "voltaro/core/battery_fields.h"
#include "voltaro/tests/fake_tools.h"

#include <gtest/gtest.h>

using namespace voltaro;

namespace {

const auto strings = fakes::englishStrings;

TEST(Percentage, TruncatedAndCappedAtOneHundred) {
    EXPECT_EQ(percentText(4000, 4400), QStringLiteral("90 %"));
    EXPECT_EQ(percentText(4500, 4400), QStringLiteral("100 %"));
    EXPECT_EQ(percentText(4400, 5000), QStringLiteral("88 %"));
    EXPECT_EQ(percentText(4400, 1), QStringLiteral("100 %")) << "shell could not start";
    EXPECT_EQ(percentText(0, 4400), QStringLiteral("0 %"));
}

// No maximum, the readers' -1 for a design capacity not found, and negative quotients have no
// valid percentage.
TEST(Percentage, NoValidPercentageShowsNothing) {
    EXPECT_EQ(percentText(4000, 0), QString());
    EXPECT_EQ(percentText(0, 0), QString());
    EXPECT_EQ(percentText(4400, -1), QString());
    EXPECT_EQ(percentText(-5, 100), QString());
    // current × 100 wraps as 32-bit arithmetic does, and never traps.
    EXPECT_EQ(percentText(2147483647, 1), QString());
    EXPECT_EQ(percentText(-2147483647 - 1, -1), QString());
    EXPECT_EQ(percentText(21474837, 21474837), QString());
}

TEST(LevelBars, WarningAtSeventyCriticalAtThirtyPercent) {
    const LevelBar bar = levelBar(4000, 4400);
    EXPECT_DOUBLE_EQ(bar.maximum, 4400);
    EXPECT_DOUBLE_EQ(bar.value, 4000);
    EXPECT_DOUBLE_EQ(bar.warning, 3080);
    EXPECT_DOUBLE_EQ(bar.critical, 1320);
}

TEST(Fields, StartValuesBeforeTheFirstWorker) {
    const BatteryFields fields = fieldsFromRecord(batteryDataClass(), false, strings());
    EXPECT_FALSE(fields.revealed);
    EXPECT_EQ(fields.chargeCurrent, QStringLiteral("2 mAh"));
    EXPECT_EQ(fields.chargePercent, QStringLiteral("100 %"));
    EXPECT_EQ(fields.loadcycles, QStringLiteral("2"));
    EXPECT_EQ(fields.age, QStringLiteral("2 Weeks"));
    EXPECT_EQ(fields.chargerConnected, QStringLiteral("No"));
}

TEST(Fields, FromARecord) {
    batteryDataClass record;
    record.setChargeCurrent(4000);
    record.setChargeMaximum(4400);
    record.setCapacityCurrent(4400);
    record.setCapacityMaximum(5000);
    record.setAdditionalLoadcycles(0);
    record.setAdditionalAgeInWeeks(9);
    record.setAdditionalAgeInMonths(2);
    record.setAdditionalChargerConnected(true);
    record.setAdditionalBatteryCharging(false);
    const BatteryFields fields = fieldsFromRecord(record, true, strings());
    EXPECT_TRUE(fields.revealed);
    EXPECT_EQ(fields.chargeCurrent, QStringLiteral("4000 mAh"));
    EXPECT_EQ(fields.chargeMaximum, QStringLiteral("4400 mAh"));
    EXPECT_EQ(fields.chargePercent, QStringLiteral("90 %"));
    EXPECT_EQ(fields.capacityCurrent, QStringLiteral("4400 mAh"));
    EXPECT_EQ(fields.capacityOriginal, QStringLiteral("5000 mAh"));
    EXPECT_EQ(fields.capacityPercent, QStringLiteral("88 %"));
    EXPECT_EQ(fields.loadcycles, QStringLiteral("0"));
    EXPECT_EQ(fields.age, QStringLiteral("2 Months")) << "9 weeks shows the month count";
    EXPECT_EQ(fields.chargerConnected, QStringLiteral("Yes"));
    EXPECT_EQ(fields.batteryCharging, QStringLiteral("No"));
    EXPECT_EQ(fields.capacityBar, levelBar(4400, 5000));
}

TEST(Fields, AMissingDesignCapacityAndAnUnknownAgeShowNoNumbers) {
    batteryDataClass record;
    record.setCapacityCurrent(4400);
    record.setCapacityMaximum(-1);
    record.setAdditionalAgeInWeeks(std::nullopt);
    record.setAdditionalAgeInMonths(std::nullopt);
    const BatteryFields fields = fieldsFromRecord(record, true, strings());
    EXPECT_EQ(fields.capacityOriginal, QString());
    EXPECT_EQ(fields.capacityPercent, QString());
    EXPECT_EQ(fields.capacityCurrent, QStringLiteral("4400 mAh"));
    EXPECT_EQ(fields.age, QStringLiteral("Unknown"));
    EXPECT_FALSE(isSavableReading(fields));
    record.setCapacityMaximum(5000);
    EXPECT_TRUE(isSavableReading(fieldsFromRecord(record, true, strings())));
    EXPECT_FALSE(isSavableReading(fieldsFromRecord(record, false, strings())))
        << "start values are no reading";
}

TEST(Fields, EightWeeksStillShowInWeeks) {
    batteryDataClass record;
    record.setAdditionalAgeInWeeks(8);
    record.setAdditionalAgeInMonths(1);
    EXPECT_EQ(fieldsFromRecord(record, true, strings()).age, QStringLiteral("8 Weeks"));
}

TEST(Fields, PrintLinesInTheWindowsOrder) {
    batteryDataClass record;
    record.setChargeCurrent(4000);
    record.setChargeMaximum(0);
    const QStringList lines =
        printLines(fieldsFromRecord(record, true, strings()), QStringLiteral("AMD"));
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], QStringLiteral("Architecture: AMD"));
    EXPECT_EQ(lines[1], QStringLiteral("Current charge: 4000 mAh"));
    EXPECT_EQ(lines[3], QStringLiteral("Charge level: ")) << "no percentage of a maximum of 0";
}

} // namespace
