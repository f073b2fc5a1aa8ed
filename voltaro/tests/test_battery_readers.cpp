#include "voltaro/core/app_controller.h"
#include "voltaro/core/battery_readers.h"
#include "voltaro/core/leading_integer.h"
#include "voltaro/tests/fake_tools.h"
#include "voltaro/tests/fixtures.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace voltaro;
using platform::Dictionary;
using platform::Value;

namespace {

QByteArray plist(const char* items) {
    return QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><array><dict><key>_dataType</key><string>SPPowerDataType</string>
<key>_items</key><array>)") +
           items + "</array></dict></array></plist>";
}

const auto number = readingInteger;
const auto flag = readingFlag;

const char* kLeopardBattery = R"(
<dict><key>_name</key><string>spbattery_information</string>
  <key>sppower_battery_charge_info</key><dict>
    <key>sppower_battery_current_capacity</key><integer>4000</integer>
    <key>sppower_battery_fully_charged</key><string>FALSE</string>
    <key>sppower_battery_is_charging</key><string>FALSE</string>
    <key>sppower_battery_max_capacity</key><integer>4400</integer></dict>
  <key>sppower_battery_health_info</key><dict>
    <key>sppower_battery_cycle_count</key><integer>317</integer></dict></dict>
<dict><key>_name</key><string>sppower_ac_charger_information</string>
  <key>sppower_battery_charger_connected</key><string>TRUE</string></dict>)";

TEST(PowerReport, DefaultsBeforeParsing) {
    const Dictionary reading = readingDictionaryDefaults();
    for (const QString& key :
         {reading::kCurrentCharge, reading::kMaximumCharge, reading::kCurrentCapacity,
          reading::kOriginalCapacity, reading::kLoadcycles})
        EXPECT_EQ(reading.at(key), Value(QStringLiteral("1"))) << qPrintable(key);
    EXPECT_EQ(reading.at(reading::kChargerConnected), Value(false));
    EXPECT_EQ(reading.at(reading::kCharging), Value(false));
}

TEST(PowerReport, LeopardDialectFillsEveryKey) {
    const Dictionary reading = parsePowerReport(plist(kLeopardBattery), ReportDialect::Leopard);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 4000);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 4400);
    EXPECT_EQ(number(reading, reading::kCurrentCapacity), 4400);
    EXPECT_EQ(number(reading, reading::kLoadcycles), 317);
    EXPECT_EQ(reading.at(reading::kOriginalCapacity), Value(QStringLiteral("1")));
    EXPECT_FALSE(flag(reading, reading::kCharging));
    EXPECT_TRUE(flag(reading, reading::kChargerConnected));
    // Numbers are stored as the report gives them.
    EXPECT_EQ(reading.at(reading::kCurrentCharge).type(), Value::Type::Integer);
}

TEST(PowerReport, MissingHealthInfoRemovesTheCycleCount) {
    const Dictionary reading = parsePowerReport(plist(R"(
<dict><key>_name</key><string>spbattery_information</string>
  <key>sppower_battery_charge_info</key><dict>
    <key>sppower_battery_current_capacity</key><integer>4000</integer></dict></dict>)"),
                                                ReportDialect::Leopard);
    EXPECT_FALSE(reading.contains(reading::kLoadcycles));
    EXPECT_EQ(number(reading, reading::kLoadcycles), 0);
    // A missing maximum reads as 0 too, not as the default "1".
    EXPECT_FALSE(reading.contains(reading::kMaximumCharge));
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 4000);
}

struct ChargingCase {
    const char* value; // inside sppower_battery_charge_info, or nullptr for none
    bool charging;
};

class LeopardCharging : public ::testing::TestWithParam<ChargingCase> {};

TEST_P(LeopardCharging, OnlyTheTextFalseIsFalse) {
    QByteArray info = "<key>sppower_battery_max_capacity</key><integer>1</integer>";
    if (GetParam().value)
        info += QByteArray("<key>sppower_battery_is_charging</key>") + GetParam().value;
    const QByteArray items = "<dict><key>_name</key><string>spbattery_information</string>"
                             "<key>sppower_battery_charge_info</key><dict>" +
                             info + "</dict></dict>";
    const Dictionary reading = parsePowerReport(plist(items.constData()), ReportDialect::Leopard);
    EXPECT_EQ(flag(reading, reading::kCharging), GetParam().charging);
}

INSTANTIATE_TEST_SUITE_P(Values, LeopardCharging,
                         ::testing::Values(ChargingCase{"<string>FALSE</string>", false},
                                           ChargingCase{"<string>TRUE</string>", true},
                                           ChargingCase{"<string>Yes</string>", true},
                                           ChargingCase{"<string>false</string>", true},
                                           ChargingCase{"<false/>", true},
                                           ChargingCase{nullptr, true}));

TEST(PowerReport, ChargerWithoutItsFlagCountsAsConnected) {
    const Dictionary reading = parsePowerReport(
        plist("<dict><key>_name</key><string>sppower_ac_charger_information</string></dict>"),
        ReportDialect::Leopard);
    EXPECT_TRUE(flag(reading, reading::kChargerConnected));
}

TEST(PowerReport, TheLaterOfTwoBatteryItemsWins) {
    const Dictionary reading = parsePowerReport(plist(R"(
<dict><key>_name</key><string>spbattery_information</string>
  <key>sppower_battery_charge_info</key><dict>
    <key>sppower_battery_current_capacity</key><integer>1000</integer>
    <key>sppower_battery_max_capacity</key><integer>2000</integer></dict></dict>
<dict><key>_name</key><string>spbattery_information</string>
  <key>sppower_battery_charge_info</key><dict>
    <key>sppower_battery_current_capacity</key><integer>3000</integer></dict></dict>)"),
                                                ReportDialect::Leopard);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 3000);
    EXPECT_FALSE(reading.contains(reading::kMaximumCharge)) << "the second item lacks it";
}

TEST(PowerReport, TigerDialect) {
    const Dictionary reading = parsePowerReport(plist(R"(
<dict><key>_name</key><string>spbattery_information</string>
  <key>sppower_cycles</key><integer>88</integer>
  <key>sppower_current_value</key><string>3200</string>
  <key>sppower_capacity</key><integer>4100</integer></dict>
<dict><key>_name</key><string>sppower_ac_charger_information</string>
  <key>sppower_battery_charger_connected</key><string>TRUE</string>
  <key>sppower_battery_charging</key><string>FALSE</string></dict>)"),
                                                ReportDialect::Tiger);
    EXPECT_EQ(number(reading, reading::kLoadcycles), 88);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 3200);
    EXPECT_EQ(reading.at(reading::kCurrentCharge).type(), Value::Type::String);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 4100);
    EXPECT_EQ(number(reading, reading::kCurrentCapacity), 4100);
    EXPECT_TRUE(flag(reading, reading::kChargerConnected));
    EXPECT_FALSE(flag(reading, reading::kCharging));
}

TEST(PowerReport, TigerBatteryWithoutChargerLeavesBothFlagsFalse) {
    const Dictionary reading = parsePowerReport(plist(R"(
<dict><key>_name</key><string>spbattery_information</string>
  <key>sppower_battery_is_charging</key><string>TRUE</string>
  <key>sppower_capacity</key><integer>4100</integer></dict>)"),
                                                ReportDialect::Tiger);
    EXPECT_FALSE(flag(reading, reading::kChargerConnected));
    EXPECT_FALSE(flag(reading, reading::kCharging));
}

TEST(PowerReport, TigerKeysMeanNothingToTheLeopardReader) {
    const Dictionary reading = parsePowerReport(plist(R"(
<dict><key>_name</key><string>spbattery_information</string>
  <key>sppower_capacity</key><integer>4100</integer></dict>)"),
                                                ReportDialect::Leopard);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 0);
    EXPECT_TRUE(flag(reading, reading::kCharging)) << "no is_charging text at all";
}

TEST(PowerReport, OddlyShapedReportsKeepTheDefaults) {
    const QByteArray shapes[] = {
        "",
        "garbage",
        "<plist version=\"1.0\"><dict/></plist>",
        "<plist version=\"1.0\"><array/></plist>",
        "<plist version=\"1.0\"><array><string>x</string></array></plist>",
        "<plist version=\"1.0\"><array><dict/></array></plist>",
        "<plist "
        "version=\"1.0\"><array><dict><key>_items</key><string>x</string></dict></array></plist>",
        "<plist version=\"1.0\"><array><dict><key>_items</key><array>",
        plist("<string>not a dictionary</string><integer>4</integer>"),
        plist("<dict><key>_name</key><integer>4</integer></dict>"),
        QByteArray(100000, '<'),
    };
    for (const QByteArray& shape : shapes) {
        EXPECT_EQ(parsePowerReport(shape, ReportDialect::Leopard), readingDictionaryDefaults())
            << shape.left(80).constData();
        EXPECT_EQ(parsePowerReport(shape, ReportDialect::Tiger), readingDictionaryDefaults());
    }
}

TEST(PowerReport, ItemsOfTheWrongTypeReadAsZero) {
    const Dictionary reading = parsePowerReport(plist(R"(
<dict><key>_name</key><string>spbattery_information</string>
  <key>sppower_battery_charge_info</key><string>none</string>
  <key>sppower_battery_health_info</key><dict>
    <key>sppower_battery_cycle_count</key><array/></dict></dict>)"),
                                                ReportDialect::Leopard);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 0);
    EXPECT_EQ(number(reading, reading::kLoadcycles), 0);
}

TEST(SystemGeneration, FloorOfTheAppKitVersion) {
    EXPECT_EQ(detectOSX(949.3), 1);
    EXPECT_EQ(detectOSX(949.0), 1);
    EXPECT_EQ(detectOSX(1038.0), 1);
    EXPECT_EQ(detectOSX(948.99), 2);
    EXPECT_EQ(detectOSX(824.48), 2);
    EXPECT_EQ(ppcCapacityCommand(949.3), kPpcCapacityCommandNewer);
    EXPECT_EQ(ppcCapacityCommand(824.48), kPpcCapacityCommandOlder);
}

TEST(DesignCapacity, ShortOutputRules) {
    EXPECT_EQ(capacityFromShortOutput(QByteArray(" 4400")), 4400);
    EXPECT_EQ(capacityFromShortOutput(QByteArray(" 1234")), 1234);
    EXPECT_EQ(capacityFromShortOutput(QByteArray("\0\0\0\0\0", 5)), -1);
    EXPECT_EQ(capacityFromShortOutput(QByteArray("abc")), -1);
    EXPECT_EQ(capacityFromShortOutput(std::nullopt), 1);
}

TEST(DesignCapacity, ReadersKeepEveryDigit) {
    auto tools = std::make_shared<fakes::FakeTools>();
    tools->setShellOutput(kIntelCapacityCommand, " 12345\n");
    tools->setShellOutput(kPpcCapacityCommandNewer, "14200\n");
    tools->setShellOutput(kPpcCapacityCommandOlder, "3900\n");
    EXPECT_EQ(ToolReaders(tools, 949.0).INTEL_capacityMaximum(), 12345);
    EXPECT_EQ(ToolReaders(tools, 949.0).PPC_capacityMaximum(), 14200);
    tools->setShellOutput(kIntelCapacityCommand, " 2147483647\n");
    EXPECT_EQ(ToolReaders(tools, 949.0).INTEL_capacityMaximum(), 2147483647);
    EXPECT_EQ(ToolReaders(tools, 824.48).PPC_capacityMaximum(), 3900);
    tools->setShellOutput(kIntelCapacityCommand, " 4400\n");
    EXPECT_EQ(ToolReaders(tools, 949.0).INTEL_capacityMaximum(), 4400);
    tools->setShellOutput(kIntelCapacityCommand, "");
    EXPECT_EQ(ToolReaders(tools, 949.0).INTEL_capacityMaximum(), -1);
    tools->shellFails = true;
    EXPECT_EQ(ToolReaders(tools, 949.0).INTEL_capacityMaximum(), 1);
    EXPECT_EQ(ToolReaders(tools, 949.0).PPC_capacityMaximum(), 1);
}

TEST(ShortOutput, IsExactlyNBytesWithANulTail) {
    auto tools = std::make_shared<fakes::FakeTools>();
    tools->setShellOutput(QStringLiteral("cmd"), "ab");
    const auto head = ToolReaders(tools, 949.0).runCommand(QStringLiteral("cmd"), 5);
    ASSERT_TRUE(head);
    EXPECT_EQ(*head, QByteArray("ab\0\0\0", 5));
    tools->shellFails = true;
    EXPECT_FALSE(ToolReaders(tools, 949.0).runCommand(QStringLiteral("cmd"), 5));
}

TEST(PowerReport, ReadersRunSystemProfilerDirectly) {
    auto tools = std::make_shared<fakes::FakeTools>();
    tools->setReport(plist(kLeopardBattery));
    const ToolReaders readers(tools, 949.0);
    EXPECT_EQ(number(readers.readStandardBatteryData_LEOPARD(), reading::kLoadcycles), 317);
    ASSERT_EQ(tools->programs.size(), 1u);
    EXPECT_EQ(tools->programs[0], QStringLiteral("/usr/sbin/system_profiler SPPowerDataType -xml"));
    tools->programFails = true;
    EXPECT_EQ(readers.readStandardBatteryData_TIGER(), readingDictionaryDefaults());
}

// A whole report as the tool prints it, with the items and keys the reader passes over.
TEST(PowerReport, AFullReportOnMains) {
    const QByteArray report = fakes::fixture(QStringLiteral("power_report_on_mains.xml"));
    const Dictionary reading = parsePowerReport(report, ReportDialect::Leopard);
    EXPECT_TRUE(powerReportListsBattery(report));
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 4120);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 5210);
    EXPECT_EQ(number(reading, reading::kCurrentCapacity), 5210);
    EXPECT_EQ(number(reading, reading::kLoadcycles), 147);
    EXPECT_FALSE(flag(reading, reading::kCharging));
    EXPECT_TRUE(flag(reading, reading::kChargerConnected));
}

// The real tools' output, where the captures folder is at hand.
TEST(CapturedOutput, PowerReportOfAMacBookProOnMains) {
    const auto captured = fakes::capture(QStringLiteral("sp_power_xml_10.11_mbp_full_on_ac.xml"));
    if (!captured)
        GTEST_SKIP() << fakes::kNoCaptures;
    const QByteArray report = *captured;
    const Dictionary reading = parsePowerReport(report, ReportDialect::Leopard);
    EXPECT_TRUE(powerReportListsBattery(report));
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 5841);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 5841);
    EXPECT_EQ(number(reading, reading::kLoadcycles), 201);
    EXPECT_FALSE(flag(reading, reading::kCharging));
    EXPECT_TRUE(flag(reading, reading::kChargerConnected));
}

} // namespace
