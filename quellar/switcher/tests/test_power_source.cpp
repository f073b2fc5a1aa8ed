#include "quellar/switcher/core/power_source.h"
#include "quellar/switcher/linux/sysfs_power_source.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace quellar;
namespace fs = std::filesystem;

namespace {

class PowerSupplyTree : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quellar-power-XXXXXX";
        m_root = ::mkdtemp(pattern);
        ::setenv("HW_ROOT", m_root.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("HW_ROOT");
        fs::remove_all(m_root);
    }
    void supply(const std::string& name, const std::string& type,
                std::initializer_list<std::pair<const char*, const char*>> files) {
        const fs::path folder = m_root / "sys/class/power_supply" / name;
        fs::create_directories(folder);
        std::ofstream(folder / "type") << type << "\n";
        for (auto [file, text] : files)
            std::ofstream(folder / file) << text;
    }
    std::string_view source() { return SysfsPowerSource().providingType(); }

    fs::path m_root;
};

} // namespace

TEST_F(PowerSupplyTree, NoInformationAtAllMeansMains) {
    EXPECT_EQ(source(), kMainsPower);
    fs::create_directories(m_root / "sys/class/power_supply");
    EXPECT_EQ(source(), kMainsPower);
}

TEST_F(PowerSupplyTree, BatteryWhenNoChargerIsOnlineAndABatteryIsThere) {
    supply("AC", "Mains", {{"online", "0\n"}});
    supply("BAT0", "Battery", {{"present", "1\n"}});
    EXPECT_EQ(source(), kBatteryPower);
    supply("AC", "Mains", {{"online", "1\n"}});
    EXPECT_EQ(source(), kMainsPower);
}

TEST_F(PowerSupplyTree, AUsbChargerCountsAsMains) {
    supply("BAT1", "Battery", {});
    supply("ucsi-source-psy-USBC000:001", "USB", {{"online", "1\n"}});
    EXPECT_EQ(source(), kMainsPower);
}

TEST_F(PowerSupplyTree, AnAbsentBatteryOrGarbageIsNoBattery) {
    supply("AC", "Mains", {{"online", "garbage"}});
    supply("BAT0", "Battery", {{"present", "0\n"}});
    EXPECT_EQ(source(), kMainsPower);
    supply("BAT0", "Battery", {{"present", "\x01\x02"}});
    EXPECT_EQ(source(), kBatteryPower) << "an unreadable present flag does not hide the battery";
}

TEST(PowerSourceNames, DifferInLengthAsTheLoopExpects) {
    EXPECT_LT(kMainsPower.size(), 9u);
    EXPECT_GE(kBatteryPower.size(), 9u);
}
