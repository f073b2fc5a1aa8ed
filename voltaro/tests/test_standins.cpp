#include "voltaro/core/battery_readers.h"
#include "voltaro/core/leading_integer.h"
#include "voltaro/core/machine.h"
#include "voltaro/tests/fake_tree.h"
#include "voltaro/tests/fixtures.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace voltaro;
using fakes::FakeTree;

namespace {

// The Mac command lines, with the stand-ins found on PATH.
QString onPath(QString commandLine) {
    return commandLine.replace(QStringLiteral("/usr/sbin/"), QString());
}

platform::Dictionary report(const FakeTree& tree) {
    const FakeTree::Run run = tree.tool(QStringLiteral("system_profiler"), kPowerReportArguments);
    EXPECT_EQ(run.status, 0);
    return parsePowerReport(run.out, ReportDialect::Leopard);
}

const auto number = readingInteger;
const auto flag = readingFlag;

QByteArray designCapacityOutput(const FakeTree& tree) {
    return tree.shell(onPath(kIntelCapacityCommand)).out;
}

TEST(StandIns, ChargeBatteryInMicroampHours) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 4000, 4400, 5000, 317);
    tree.adapter(false);
    const platform::Dictionary reading = report(tree);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 4000);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 4400);
    EXPECT_EQ(number(reading, reading::kCurrentCapacity), 4400);
    EXPECT_EQ(number(reading, reading::kLoadcycles), 317);
    EXPECT_FALSE(flag(reading, reading::kCharging));
    EXPECT_FALSE(flag(reading, reading::kChargerConnected));
    EXPECT_EQ(designCapacityOutput(tree), QByteArray(" 5000\n"));
}

TEST(StandIns, EnergyBatteryConvertedWithTheMinimumDesignVoltage) {
    FakeTree tree;
    // A ThinkPad's figures: 47.52 Wh at 10.8 V are 4400 mAh.
    tree.supply(QStringLiteral("BAT0"), {{QStringLiteral("type"), "Battery"},
                                         {QStringLiteral("status"), "Discharging"},
                                         {QStringLiteral("voltage_min_design"), "10800000"},
                                         {QStringLiteral("voltage_now"), "11750000"},
                                         {QStringLiteral("energy_full_design"), "47520000"},
                                         {QStringLiteral("energy_full"), "47390000"},
                                         {QStringLiteral("energy_now"), "40730000"},
                                         {QStringLiteral("cycle_count"), "0"}});
    const platform::Dictionary reading = report(tree);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 4388);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 3771);
    EXPECT_EQ(designCapacityOutput(tree), QByteArray(" 4400\n"));
}

TEST(StandIns, NoBatteryNoBatteryItem) {
    FakeTree tree;
    tree.adapter(true);
    const FakeTree::Run run = tree.tool(QStringLiteral("system_profiler"), kPowerReportArguments);
    EXPECT_FALSE(powerReportListsBattery(run.out));
    EXPECT_TRUE(
        flag(parsePowerReport(run.out, ReportDialect::Leopard), reading::kChargerConnected));
    EXPECT_EQ(designCapacityOutput(tree), QByteArray());
}

TEST(StandIns, AnEmptyTreeStillAnswers) {
    FakeTree tree;
    EXPECT_FALSE(powerReportListsBattery(
        tree.tool(QStringLiteral("system_profiler"), kPowerReportArguments).out));
    EXPECT_EQ(tree.tool(QStringLiteral("ioreg"), {QStringLiteral("-l")}).status, 0);
    EXPECT_EQ(
        tree.tool(QStringLiteral("system_profiler"), {QStringLiteral("SPHardwareDataType")}).status,
        0);
}

TEST(StandIns, TwoBatteriesAreShownAsOne) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 1000, 2000, 2200, 40);
    tree.chargeBattery(QStringLiteral("BAT1"), 1500, 2400, 2800, 75);
    tree.write(QStringLiteral("sys/class/power_supply/BAT1/status"), "Charging\n");
    const platform::Dictionary reading = report(tree);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 2500);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 4400);
    EXPECT_EQ(number(reading, reading::kLoadcycles), 75) << "the more worn battery's count";
    EXPECT_TRUE(flag(reading, reading::kCharging));
    EXPECT_TRUE(flag(reading, reading::kChargerConnected)) << "no adapter entry, but charging";
    EXPECT_EQ(designCapacityOutput(tree), QByteArray(" 5000\n"));
}

TEST(StandIns, MainsOnAndOff) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 4000, 4400, 5000, 1);
    tree.adapter(true);
    EXPECT_TRUE(flag(report(tree), reading::kChargerConnected));
    tree.adapter(false);
    EXPECT_FALSE(flag(report(tree), reading::kChargerConnected));
    // A USB-C adapter counts as mains too.
    tree.supply(QStringLiteral("ucsi-source-psy-1"),
                {{QStringLiteral("type"), "USB"}, {QStringLiteral("online"), "1"}});
    EXPECT_TRUE(flag(report(tree), reading::kChargerConnected));
}

TEST(StandIns, PeripheralAndEmptyBaysAreNotTheNotebooksBattery) {
    FakeTree tree;
    tree.supply(QStringLiteral("hidpp_battery_0"), {{QStringLiteral("type"), "Battery"},
                                                    {QStringLiteral("scope"), "Device"},
                                                    {QStringLiteral("capacity"), "50"}});
    tree.supply(QStringLiteral("BAT1"),
                {{QStringLiteral("type"), "Battery"}, {QStringLiteral("present"), "0"}});
    EXPECT_FALSE(powerReportListsBattery(
        tree.tool(QStringLiteral("system_profiler"), kPowerReportArguments).out));
}

TEST(StandIns, UeventAloneIsEnough) {
    FakeTree tree;
    tree.write(QStringLiteral("sys/class/power_supply/BAT0/uevent"),
               "POWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_STATUS=Charging\nPOWER_SUPPLY_PRESENT=1\n"
               "POWER_SUPPLY_CYCLE_COUNT=12\nPOWER_SUPPLY_CHARGE_FULL_DESIGN=2200000\n"
               "POWER_SUPPLY_CHARGE_FULL=2167000\nPOWER_SUPPLY_CHARGE_NOW=2000000\n"
               "POWER_SUPPLY_SERIAL_NUMBER=\n");
    const platform::Dictionary reading = report(tree);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 2000);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 2167);
    EXPECT_EQ(number(reading, reading::kLoadcycles), 12);
    EXPECT_TRUE(flag(reading, reading::kCharging));
    EXPECT_EQ(designCapacityOutput(tree), QByteArray(" 2200\n"));
}

TEST(StandIns, GarbageFilesLeaveValuesOut) {
    FakeTree tree;
    tree.supply(QStringLiteral("BAT0"),
                {{QStringLiteral("type"), "Battery"},
                 {QStringLiteral("charge_now"), "garbage"},
                 {QStringLiteral("charge_full"), QByteArray(3, '\0')},
                 {QStringLiteral("charge_full_design"), "-5"},
                 {QStringLiteral("cycle_count"), "12abc"},
                 {QStringLiteral("status"), "\xff\xfe\x01"},
                 {QStringLiteral("model_name"), "LNV-45N1\xef\xbf\xbd\xef\xbf\xbd"},
                 {QStringLiteral("uevent"), "\x01\x02=\n===\nPOWER_SUPPLY_\n"}});
    const FakeTree::Run run = tree.tool(QStringLiteral("system_profiler"), kPowerReportArguments);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(powerReportListsBattery(run.out));
    EXPECT_TRUE(run.out.contains("<string>LNV-45N1</string>")) << "junk after the model dropped";
    const platform::Dictionary reading = parsePowerReport(run.out, ReportDialect::Leopard);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), 0);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 0);
    EXPECT_EQ(number(reading, reading::kLoadcycles), 0);
    EXPECT_EQ(designCapacityOutput(tree), QByteArray());
}

TEST(StandIns, MachineIdentityFromDmi) {
    FakeTree tree;
    tree.write(QStringLiteral("sys/class/dmi/id/product_name"), "MacBookPro12,1\n");
    tree.write(QStringLiteral("sys/class/dmi/id/sys_vendor"), "Apple Inc.\n");
    tree.write(QStringLiteral("sys/class/dmi/id/product_serial"), "C02QM3FSFVH8\n");
    EXPECT_EQ(classifyComputerType(tree.shell(onPath(kProductNameProbe)).out.left(kProbeBytes)),
              family::kIntelNotebook);
    EXPECT_EQ(tree.shell(onPath(kProductNameProbe)).out,
              QByteArray("    |   \"product-name\" = <\"MacBookPro12,1\">\n"));
    EXPECT_EQ(tree.shell(onPath(kModelIdentifierProbe)).out,
              QByteArray("      Model Identifier: MacBookPro12,1\n"));
    EXPECT_EQ(tree.shell(onPath(kSerialCommand)).out, QByteArray("C02QM3FSFVH\n"));
}

TEST(StandIns, ARootOnlySerialReadsAsNothing) {
    FakeTree tree;
    tree.write(QStringLiteral("sys/class/dmi/id/product_name"), "ThinkPad X1\n");
    // Unreadable here even for root: a folder where the file should be.
    tree.write(QStringLiteral("sys/class/dmi/id/product_serial/x"), "");
    EXPECT_EQ(tree.shell(onPath(kSerialCommand)).out, QByteArray());
    EXPECT_EQ(classifyComputerType(tree.shell(onPath(kProductNameProbe)).out), family::kUnknown);
}

TEST(StandIns, PowerBookDesignCapacityFromTheDeviceTree) {
    FakeTree tree;
    tree.write(QStringLiteral("proc/device-tree/model"), QByteArray("PowerBook5,8\0", 13));
    tree.chargeBattery(QStringLiteral("PMU_battery_0"), 3000, 3900, 4200, 61);
    EXPECT_EQ(classifyComputerType(tree.shell(onPath(kProductNameProbe)).out),
              family::kPpcNotebook);
    EXPECT_EQ(tree.shell(onPath(kPpcCapacityCommandNewer)).out, QByteArray("4200\n"));
}

TEST(StandIns, RegistryIsDrawnLikeTheMacs) {
    FakeTree tree;
    tree.write(QStringLiteral("sys/class/dmi/id/product_name"), "MacBook2,1\n");
    tree.write(QStringLiteral("sys/class/dmi/id/product_serial"), "W87305UMYA8\n");
    tree.chargeBattery(QStringLiteral("BAT0"), 4000, 4400, 5000, 3);
    const QByteArray out =
        tree.tool(QStringLiteral("ioreg"),
                  {QStringLiteral("-c"), QStringLiteral("IOPlatformExpertDevice")})
            .out;
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("+-o Root  <class IORegistryEntry,"));
    EXPECT_TRUE(lines[1].startsWith("  +-o MacBook2,1  <class IOPlatformExpertDevice,"));
    EXPECT_EQ(lines[2], QByteArray("    | {"));
    EXPECT_TRUE(out.contains("\n    |   \"IOPlatformSerialNumber\" = \"W87305UMYA8\"\n"));
    EXPECT_FALSE(out.contains("DesignCapacity")) << "properties of that class only";
    EXPECT_TRUE(tree.tool(QStringLiteral("ioreg"), {QStringLiteral("-l")})
                    .out.contains("\"DesignCapacity\" = 5000\n"));
    const QByteArray rooted =
        tree.tool(QStringLiteral("ioreg"),
                  {QStringLiteral("-rc"), QStringLiteral("AppleSmartBattery")})
            .out;
    EXPECT_TRUE(rooted.startsWith("+-o AppleSmartBattery  <class AppleSmartBattery,"));
    EXPECT_TRUE(rooted.contains("  \"CycleCount\" = 3\n"));
    EXPECT_EQ(tree.tool(QStringLiteral("ioreg"), {QStringLiteral("-x")}).status, 1);
}

TEST(StandIns, TextReports) {
    FakeTree tree;
    tree.write(QStringLiteral("sys/class/dmi/id/product_name"), "20KHCTO1WW\n");
    tree.write(QStringLiteral("sys/class/dmi/id/product_family"), "ThinkPad X1 Carbon 6th\n");
    tree.write(QStringLiteral("proc/cpuinfo"), "processor\t: 0\nvendor_id\t: GenuineIntel\n"
                                               "model name\t: Intel(R) Core(TM) i7-8550U CPU\n");
    tree.chargeBattery(QStringLiteral("BAT0"), 4000, 4400, 5000, 3);
    const QByteArray hardware =
        tree.tool(QStringLiteral("system_profiler"), {QStringLiteral("SPHardwareDataType")}).out;
    EXPECT_TRUE(hardware.contains("      Model Name: ThinkPad X1 Carbon 6th\n"));
    EXPECT_TRUE(hardware.contains("      Model Identifier: 20KHCTO1WW\n"));
    EXPECT_TRUE(hardware.contains("      Processor Name: Intel(R) Core(TM) i7-8550U CPU\n"));
    const QByteArray power =
        tree.tool(QStringLiteral("system_profiler"), {QStringLiteral("SPPowerDataType")}).out;
    EXPECT_TRUE(power.contains("          Charge Remaining (mAh): 4000\n"));
    EXPECT_TRUE(power.contains("          Cycle Count: 3\n"));
    EXPECT_TRUE(tree.tool(QStringLiteral("system_profiler"), {QStringLiteral("SPNetworkDataType")})
                    .out.isEmpty());
}

// A battery that reports energy, and one whose controller reports a full charge of 0, each
// described by its uevent alone.
void expectEnergyBattery(const QByteArray& uevent, int maximumCharge,
                         const QByteArray& designCapacity) {
    FakeTree tree;
    tree.write(QStringLiteral("sys/class/power_supply/BAT0/uevent"), uevent);
    const platform::Dictionary reading = report(tree);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), maximumCharge);
    EXPECT_EQ(designCapacityOutput(tree), designCapacity);
}

void expectZeroFullCharge(const QByteArray& uevent, int currentCharge) {
    FakeTree tree;
    tree.write(QStringLiteral("sys/class/power_supply/ec-battery/uevent"), uevent);
    const platform::Dictionary reading = report(tree);
    EXPECT_EQ(number(reading, reading::kMaximumCharge), 0);
    EXPECT_EQ(number(reading, reading::kCurrentCharge), currentCharge);
    EXPECT_TRUE(flag(reading, reading::kCharging));
}

TEST(StandIns, KernelUevents) {
    // 60.8 Wh, 55.48 Wh and 41.04 Wh at 15.2 V.
    expectEnergyBattery(fakes::fixture(QStringLiteral("uevent_energy_battery.txt")), 3650,
                        " 4000\n");
    FakeTree tree;
    tree.write(QStringLiteral("sys/class/power_supply/BAT0/uevent"),
               fakes::fixture(QStringLiteral("uevent_energy_battery.txt")));
    EXPECT_EQ(number(report(tree), reading::kCurrentCharge), 2700);
    EXPECT_EQ(number(report(tree), reading::kLoadcycles), 88);
    expectZeroFullCharge(fakes::fixture(QStringLiteral("uevent_charge_full_zero.txt")), 7);
}

// The same on the real kernel's uevent files, where the captures are at hand.
TEST(CapturedOutput, KernelUeventsThroughTheStandIns) {
    const auto lenovo = fakes::capture(QStringLiteral("sysfs_BAT0_uevent_energy_lenovo.txt"));
    const auto zeroFull =
        fakes::capture(QStringLiteral("sysfs_uevent_it8568_charge_full_zero.txt"));
    if (!lenovo || !zeroFull)
        GTEST_SKIP() << fakes::kNoCaptures;
    expectEnergyBattery(*lenovo, 4388, " 4400\n");
    expectZeroFullCharge(*zeroFull, 5);
}

} // namespace
