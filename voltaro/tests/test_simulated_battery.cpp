#include "platform/core/file_io.h"
#include "voltaro/core/simulated_battery.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace voltaro;

namespace {

QByteArray read(const QString& root, const char* path) {
    return platform::readFile(root + QLatin1Char('/') + QLatin1String(path)).value().trimmed();
}

TEST(SimulatedBattery, MakesASysfsTree) {
    QTemporaryDir dir;
    auto battery = SimulatedBattery::create(dir.path(), "vendor_id\t: GenuineIntel\n");
    ASSERT_TRUE(battery) << qPrintable(battery.error());
    const QString root = dir.path();
    EXPECT_EQ(read(root, "sys/class/power_supply/BAT0/type"), QByteArray("Battery"));
    EXPECT_EQ(read(root, "sys/class/power_supply/BAT0/charge_full_design"), QByteArray("5000000"));
    EXPECT_EQ(read(root, "sys/class/power_supply/BAT0/charge_full"), QByteArray("4400000"));
    EXPECT_EQ(read(root, "sys/class/power_supply/BAT0/charge_now"), QByteArray("3100000"));
    EXPECT_EQ(read(root, "sys/class/power_supply/BAT0/status"), QByteArray("Discharging"));
    EXPECT_EQ(read(root, "sys/class/power_supply/AC/online"), QByteArray("0"));
    EXPECT_EQ(read(root, "sys/class/dmi/id/product_serial"), QByteArray("VS8120SIM01"));
    EXPECT_EQ(read(root, "proc/cpuinfo"), QByteArray("vendor_id\t: GenuineIntel"));
}

TEST(SimulatedBattery, DrainsThenChargesOnMains) {
    QTemporaryDir dir;
    auto created = SimulatedBattery::create(dir.path(), {});
    ASSERT_TRUE(created);
    SimulatedBattery battery = std::move(created).value();
    ASSERT_TRUE(battery.step());
    EXPECT_EQ(battery.chargeNow(), SimulatedBattery::kStartCharge - SimulatedBattery::kStep);
    int steps = 0;
    while (!battery.charging() && steps++ < 1000)
        ASSERT_TRUE(battery.step());
    EXPECT_LE(battery.chargeNow(), SimulatedBattery::kFullCharge / 5);
    EXPECT_EQ(read(dir.path(), "sys/class/power_supply/AC/online"), QByteArray("1"));
    EXPECT_EQ(read(dir.path(), "sys/class/power_supply/BAT0/status"), QByteArray("Charging"));
    while (battery.charging() && steps++ < 2000)
        ASSERT_TRUE(battery.step());
    EXPECT_EQ(battery.chargeNow(), SimulatedBattery::kFullCharge);
    EXPECT_EQ(read(dir.path(), "sys/class/power_supply/BAT0/status"), QByteArray("Full"));
}

} // namespace
