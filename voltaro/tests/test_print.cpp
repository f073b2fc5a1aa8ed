#include "voltaro/core/battery_fields.h"
#include "voltaro/tests/fake_tree.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace voltaro;
using fakes::FakeTree;
using fakes::printed;

namespace {

TEST(Print, ChargeCapacityAndPercentagesByTheFormulas) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 4000, 4400, 5000, 123);
    tree.adapter(false);
    const FakeTree::Run run = tree.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    EXPECT_EQ(printed(run.out, label::kChargeCurrent), QStringLiteral("4000 mAh"));
    EXPECT_EQ(printed(run.out, label::kChargeMaximum), QStringLiteral("4400 mAh"));
    EXPECT_EQ(printed(run.out, label::kChargePercent), QStringLiteral("90 %"));
    EXPECT_EQ(printed(run.out, label::kCapacityCurrent), QStringLiteral("4400 mAh"));
    EXPECT_EQ(printed(run.out, label::kCapacityOriginal), QStringLiteral("5000 mAh"));
    EXPECT_EQ(printed(run.out, label::kCapacityPercent), QStringLiteral("88 %"));
    EXPECT_EQ(printed(run.out, label::kLoadcycles), QStringLiteral("123"));
    EXPECT_EQ(printed(run.out, label::kChargerConnected), QStringLiteral("No"));
    EXPECT_EQ(printed(run.out, label::kBatteryCharging), QStringLiteral("No"));
    EXPECT_EQ(run.out.count('\n'), 11);
}

TEST(Print, ChargingOnMains) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 4500, 4400, 5000, 7);
    tree.write(QStringLiteral("sys/class/power_supply/BAT0/status"), "Charging\n");
    tree.adapter(true);
    const FakeTree::Run run = tree.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(printed(run.out, label::kChargePercent), QStringLiteral("100 %"));
    EXPECT_EQ(printed(run.out, label::kChargerConnected), QStringLiteral("Yes"));
    EXPECT_EQ(printed(run.out, label::kBatteryCharging), QStringLiteral("Yes"));
}

TEST(Print, MissingCycleCountReadsZero) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 3000, 4000, 4000, -1);
    const FakeTree::Run run = tree.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(printed(run.out, label::kLoadcycles), QStringLiteral("0"));
    EXPECT_EQ(printed(run.out, label::kCapacityPercent), QStringLiteral("100 %"));
}

TEST(Print, NoBatteryIsUnsupported) {
    FakeTree tree;
    tree.adapter(true);
    const FakeTree::Run run = tree.voltaro({QStringLiteral("--print")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains("This computer is not supported")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("(UNKNOWN)"));
}

TEST(Print, AnEmptyTreeIsUnsupported) {
    FakeTree tree;
    EXPECT_EQ(tree.voltaro({QStringLiteral("--print")}).status, 1);
}

TEST(Print, AFullChargeOfZeroShowsNoPercentage) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 5, 0, 0, 0);
    const FakeTree::Run run = tree.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(printed(run.out, label::kChargePercent), QString());
    EXPECT_EQ(printed(run.out, label::kCapacityOriginal), QString())
        << "a design capacity of 0 reads as none";
}

TEST(Print, AMissingDesignCapacityShowsEmptyFields) {
    FakeTree tree;
    tree.supply(QStringLiteral("BAT0"), {{QStringLiteral("type"), "Battery"},
                                         {QStringLiteral("charge_now"), "4000000"},
                                         {QStringLiteral("charge_full"), "4400000"},
                                         {QStringLiteral("status"), "Discharging"}});
    const FakeTree::Run run = tree.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    EXPECT_EQ(printed(run.out, label::kCapacityOriginal), QString());
    EXPECT_EQ(printed(run.out, label::kCapacityPercent), QString());
    EXPECT_EQ(printed(run.out, label::kCapacityCurrent), QStringLiteral("4400 mAh"));
    EXPECT_EQ(printed(run.out, label::kChargePercent), QStringLiteral("90 %"));
}

TEST(Print, GarbageNeverCrashes) {
    FakeTree tree;
    tree.supply(QStringLiteral("BAT0"),
                {{QStringLiteral("type"), "Battery"},
                 {QStringLiteral("charge_now"), "lots"},
                 {QStringLiteral("charge_full"), QByteArray(4096, 'x')},
                 {QStringLiteral("charge_full_design"), "99999999999999999999"},
                 {QStringLiteral("energy_now"), "-1"},
                 {QStringLiteral("cycle_count"), "\x80\x81"},
                 {QStringLiteral("status"), QByteArray("Char\0ging", 9)},
                 {QStringLiteral("uevent"), "POWER_SUPPLY_CHARGE_NOW=x\n=\n"}});
    tree.supply(QStringLiteral("AC"), {{QStringLiteral("online"), "maybe"}});
    tree.write(QStringLiteral("sys/class/dmi/id/product_name"), QByteArray(100000, '"'));
    tree.write(QStringLiteral("sys/class/dmi/id/product_serial"), "\x01\x02\x03");
    tree.write(QStringLiteral("proc/cpuinfo"), QByteArray(70000, '\n'));
    // A fifo where a file should be would block a reader for good.
    const QByteArray uevent =
        QFile::encodeName(tree.root() + QStringLiteral("/sys/class/power_supply/BAT0/uevent"));
    ASSERT_EQ(::unlink(uevent.constData()), 0);
    ASSERT_EQ(::mkfifo(uevent.constData(), 0600), 0);
    const FakeTree::Run run = tree.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    EXPECT_EQ(printed(run.out, label::kChargeCurrent), QStringLiteral("0 mAh"));
    EXPECT_EQ(printed(run.out, label::kChargePercent), QString());
    EXPECT_EQ(printed(run.out, label::kLoadcycles), QStringLiteral("0"));
}

TEST(Print, EnergyBattery) {
    FakeTree tree;
    tree.supply(QStringLiteral("BAT0"), {{QStringLiteral("type"), "Battery"},
                                         {QStringLiteral("voltage_min_design"), "11400000"},
                                         {QStringLiteral("energy_full_design"), "57000000"},
                                         {QStringLiteral("energy_full"), "50160000"},
                                         {QStringLiteral("energy_now"), "45600000"},
                                         {QStringLiteral("status"), "Discharging"}});
    const FakeTree::Run run = tree.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(printed(run.out, label::kChargeCurrent), QStringLiteral("4000 mAh"));
    EXPECT_EQ(printed(run.out, label::kChargeMaximum), QStringLiteral("4400 mAh"));
    EXPECT_EQ(printed(run.out, label::kCapacityOriginal), QStringLiteral("5000 mAh"));
    EXPECT_EQ(printed(run.out, label::kCapacityPercent), QStringLiteral("88 %"));
}

TEST(Print, TwoBatteries) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 2000, 2200, 2500, 10);
    tree.chargeBattery(QStringLiteral("BAT1"), 2000, 2200, 2500, 20);
    const FakeTree::Run run = tree.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(printed(run.out, label::kChargePercent), QStringLiteral("90 %"));
    EXPECT_EQ(printed(run.out, label::kCapacityPercent), QStringLiteral("88 %"));
    EXPECT_EQ(printed(run.out, label::kLoadcycles), QStringLiteral("20"));
}

// sysfs gives whole numbers; five-digit and larger capacities keep every digit.
TEST(Print, LargeAndPairedBatteriesKeepTheirWholeDesignCapacity) {
    FakeTree large;
    large.chargeBattery(QStringLiteral("BAT0"), 9000, 11000, 12345, 4);
    FakeTree::Run run = large.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    EXPECT_EQ(printed(run.out, label::kCapacityOriginal), QStringLiteral("12345 mAh"));
    EXPECT_EQ(printed(run.out, label::kCapacityPercent), QStringLiteral("89 %"));

    FakeTree paired;
    paired.chargeBattery(QStringLiteral("BAT0"), 5000, 5400, 6000, 10);
    paired.chargeBattery(QStringLiteral("BAT1"), 4000, 4800, 6000, 20);
    run = paired.voltaro({QStringLiteral("--print")});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    EXPECT_EQ(printed(run.out, label::kCapacityOriginal), QStringLiteral("12000 mAh"));
    EXPECT_EQ(printed(run.out, label::kCapacityCurrent), QStringLiteral("10200 mAh"));
    EXPECT_EQ(printed(run.out, label::kCapacityPercent), QStringLiteral("85 %"));
}

TEST(Print, ArchitectureOfAMacBookAndOfAnyOtherNotebook) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 4000, 4400, 5000, 1);
    tree.write(QStringLiteral("proc/cpuinfo"), "vendor_id\t: AuthenticAMD\n");
    EXPECT_EQ(printed(tree.voltaro({QStringLiteral("--print")}).out, label::kArchitecture),
              QStringLiteral("AMD"));
    tree.write(QStringLiteral("sys/class/dmi/id/product_name"), "MacBookAir7,2\n");
    EXPECT_EQ(printed(tree.voltaro({QStringLiteral("--print")}).out, label::kArchitecture),
              QStringLiteral("INTEL"));
}

TEST(Print, AgeFromTheSerial) {
    FakeTree tree;
    tree.chargeBattery(QStringLiteral("BAT0"), 4000, 4400, 5000, 1);
    // Year digit 8, week 12: made in March 2008, so well over 200 months ago.
    tree.write(QStringLiteral("sys/class/dmi/id/product_serial"), "W8812XXXXXX\n");
    QString age = printed(tree.voltaro({QStringLiteral("--print")}).out, label::kAge);
    EXPECT_TRUE(age.endsWith(QStringLiteral(" Months"))) << qPrintable(age);
    EXPECT_GT(age.section(QLatin1Char(' '), 0, 0).toInt(), 200);
    // A serial nobody may read, or one of another maker, holds no date.
    tree.write(QStringLiteral("sys/class/dmi/id/product_serial"), "\n");
    EXPECT_EQ(printed(tree.voltaro({QStringLiteral("--print")}).out, label::kAge),
              QStringLiteral("Unknown"));
    tree.write(QStringLiteral("sys/class/dmi/id/product_serial"), "PF0ABC12\n");
    EXPECT_EQ(printed(tree.voltaro({QStringLiteral("--print")}).out, label::kAge),
              QStringLiteral("Unknown"));
}

TEST(Print, SimulatedBattery) {
    FakeTree tree; // ignored: the simulation makes its own tree
    const FakeTree::Run run =
        tree.voltaro({QStringLiteral("--print"), QStringLiteral("--simulate")});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    EXPECT_EQ(printed(run.out, label::kChargeCurrent), QStringLiteral("3100 mAh"));
    EXPECT_EQ(printed(run.out, label::kCapacityPercent), QStringLiteral("88 %"));
    EXPECT_EQ(printed(run.out, label::kLoadcycles), QStringLiteral("212"));
}

TEST(CommandLine, UnknownArgumentsHelpAndVersionNeedNoDisplay) {
    FakeTree tree;
    const FakeTree::Run unknown = tree.voltaro({QStringLiteral("--frobnicate")});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_TRUE(unknown.err.contains("Usage: Voltaro")) << unknown.err.constData();
    const FakeTree::Run help = tree.voltaro({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--print"));
    const FakeTree::Run version = tree.voltaro({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("Voltaro ")) << version.out.constData();
}

} // namespace
