#include "quellar/common/core/driver_entries.h"
#include "quellar/common/core/simulated_driver_entries.h"
#include "quellar/common/linux/msr_driver_entries.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace quellar;
namespace fs = std::filesystem;

namespace {

// A fake hardware tree in a temporary folder, pointed at by HW_ROOT for the test's length.
class FakeTree {
public:
    FakeTree() {
        char pattern[] = "/tmp/quellar-tree-XXXXXX";
        m_root = ::mkdtemp(pattern);
        ::setenv("HW_ROOT", m_root.c_str(), 1);
    }
    ~FakeTree() {
        ::unsetenv("HW_ROOT");
        fs::remove_all(m_root);
    }
    fs::path path(const std::string& relative) const { return m_root / relative; }

    void write(const std::string& relative, const std::string& text) const {
        fs::create_directories(path(relative).parent_path());
        std::ofstream(path(relative)) << text;
    }
    // A regular file standing in for /dev/cpu/N/msr, with `registers` at their addresses.
    void msr(int cpu,
             std::initializer_list<std::pair<std::uint32_t, std::uint64_t>> registers) const {
        const std::string relative = "dev/cpu/" + std::to_string(cpu) + "/msr";
        fs::create_directories(path(relative).parent_path());
        std::string bytes(0x200, '\0');
        for (auto [address, value] : registers)
            std::memcpy(bytes.data() + address, &value, sizeof value);
        std::ofstream(path(relative), std::ios::binary) << bytes;
    }
    std::uint64_t registerOf(int cpu, std::uint32_t address) const {
        std::ifstream file(path("dev/cpu/" + std::to_string(cpu) + "/msr"), std::ios::binary);
        file.seekg(address);
        std::uint64_t value = 0;
        file.read(reinterpret_cast<char*>(&value), sizeof value);
        return value;
    }

private:
    fs::path m_root;
};

std::string contentsOf(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TEST(MsrDriverEntries, ControlWritesLandInTheLowSixteenBitsOfEveryProcessor) {
    FakeTree tree;
    for (int cpu : {0, 1, 3})
        tree.msr(cpu, {{0x199, 0xAAAABBBBCCCCDDDDull}});
    MsrDriverEntries driver;
    ASSERT_EQ(driver.problem(), "");
    EXPECT_TRUE(driver.write(kControlEntry, 0x0C28));
    for (int cpu : {0, 1, 3})
        EXPECT_EQ(tree.registerOf(cpu, 0x199), 0xAAAABBBBCCCC0C28ull) << "cpu " << cpu;
    EXPECT_FALSE(driver.write(kBusEntry, 1)) << "only the control entry is written";
}

TEST(MsrDriverEntries, StatusVoltageAndBusComeFromTheRegistersOfProcessorZero) {
    FakeTree tree;
    const std::uint64_t status = (std::uint64_t(0x000C0A28) << 32) | 0x06000C1Bu;
    tree.msr(0, {{0x198, status}, {0xCD, 0b010}});
    tree.msr(1, {{0x198, 0}, {0xCD, 0b101}});
    MsrDriverEntries driver;
    std::int32_t value = 0;
    ASSERT_TRUE(driver.read(kStatusLowEntry, value));
    EXPECT_EQ(value, 0x06000C1B);
    ASSERT_TRUE(driver.read(kStatusHighEntry, value));
    EXPECT_EQ(value, 0x000C0A28);
    ASSERT_TRUE(driver.read(kVoltageEntry, value));
    EXPECT_EQ(value, 7125 + 125 * 0x1B) << "0.7125 V + 12.5 mV per step, in 0.1 mV";
    ASSERT_TRUE(driver.read(kBusEntry, value));
    EXPECT_EQ(value, 200);
}

TEST(MsrDriverEntries, BusCodesMapToTheirClocks) {
    const std::pair<std::uint64_t, int> codes[] = {{0b101, 100}, {0b001, 133},     {0b011, 167},
                                                   {0b010, 200}, {0b000, 267},     {0b100, 333},
                                                   {0b110, 400}, {0b111 | 0xF0, 0}};
    for (auto [code, mhz] : codes) {
        FakeTree tree;
        tree.msr(0, {{0xCD, code}});
        MsrDriverEntries driver;
        std::int32_t value = -1;
        EXPECT_EQ(driver.read(kBusEntry, value), mhz != 0) << code;
        EXPECT_EQ(value, mhz != 0 ? mhz : -1) << code;
    }
}

TEST(MsrDriverEntries, TemperaturePrefersThePackageSensorElseTheHottestCore) {
    FakeTree tree;
    tree.msr(0, {});
    tree.write("sys/class/hwmon/hwmon0/name", "acpitz\n");
    tree.write("sys/class/hwmon/hwmon0/temp1_input", "99000\n");
    tree.write("sys/class/hwmon/hwmon2/name", "coretemp\n");
    tree.write("sys/class/hwmon/hwmon2/temp2_label", "Core 0\n");
    tree.write("sys/class/hwmon/hwmon2/temp2_input", "61000\n");
    tree.write("sys/class/hwmon/hwmon2/temp3_label", "Core 1\n");
    tree.write("sys/class/hwmon/hwmon2/temp3_input", "64999\n");
    {
        MsrDriverEntries driver;
        std::int32_t value = 0;
        ASSERT_TRUE(driver.read(kTemperatureEntry, value));
        EXPECT_EQ(value, 64) << "the hottest core, whole degrees";
    }
    tree.write("sys/class/hwmon/hwmon2/temp1_label", "Physical id 0\n");
    tree.write("sys/class/hwmon/hwmon2/temp1_input", "57000\n");
    MsrDriverEntries driver;
    std::int32_t value = 0;
    ASSERT_TRUE(driver.read(kTemperatureEntry, value));
    EXPECT_EQ(value, 57);
    tree.write("sys/class/hwmon/hwmon2/temp1_input", "garbage\n");
    value = 11;
    EXPECT_FALSE(driver.read(kTemperatureEntry, value));
    EXPECT_EQ(value, 11) << "a failed read leaves the value alone";
}

TEST(MsrDriverEntries, WithoutTheModuleEveryCallFailsAndTheReasonIsNamed) {
    FakeTree tree;
    tree.write("dev/cpu/0/cpuid", "");
    MsrDriverEntries driver;
    EXPECT_NE(driver.problem().find("/dev/cpu/0/msr not found; load the msr module"),
              std::string::npos)
        << driver.problem();
    std::int32_t value = 5;
    EXPECT_FALSE(driver.read(kStatusLowEntry, value));
    EXPECT_FALSE(driver.read(kTemperatureEntry, value));
    EXPECT_FALSE(driver.write(kControlEntry, 1));
    EXPECT_EQ(value, 5);
}

TEST(SimulatedDriverEntries, ANewProcessorIsACore2DuoAtItsHighestSetting) {
    FakeTree tree;
    const std::string folder = tree.path("cpu").string();
    std::string problem;
    ASSERT_TRUE(SimulatedDriverEntries::create(folder, problem)) << problem;
    SimulatedDriverEntries driver(folder);
    std::int32_t value = 0;
    ASSERT_TRUE(driver.read(kBusEntry, value));
    EXPECT_EQ(value, 200);
    ASSERT_TRUE(driver.read(kTemperatureEntry, value));
    EXPECT_EQ(value, 50);
    ASSERT_TRUE(driver.read(kStatusLowEntry, value));
    EXPECT_EQ((value >> 8) & 0x1F, 12) << "present ratio";
    EXPECT_EQ((value >> 24) & 0x1F, 6) << "lowest ratio";
    ASSERT_TRUE(driver.read(kStatusHighEntry, value));
    EXPECT_EQ(value & 0x3F, 40) << "highest voltage code";
    EXPECT_EQ((value >> 8) & 0x1F, 12) << "highest ratio";
    EXPECT_EQ((value >> 16) & 0x3F, 12) << "lowest voltage code";
    EXPECT_EQ(contentsOf(fs::path(folder) / kTemperatureEntry), "50\n");
    EXPECT_EQ(contentsOf(fs::path(folder) / "PerformanceStateArray"), "3112\n2592\n2072\n1548\n")
        << "factory states 12/40, 10/32, 8/24, 6/12";
}

TEST(SimulatedDriverEntries, TheProcessorFollowsItsControlEntry) {
    FakeTree tree;
    const std::string folder = tree.path("cpu").string();
    std::string problem;
    ASSERT_TRUE(SimulatedDriverEntries::create(folder, problem));
    SimulatedDriverEntries driver(folder);
    ASSERT_TRUE(driver.write(kControlEntry, (0x46 << 8) | 20)); // ratio 6.5, voltage code 20
    ASSERT_TRUE(driver.write(kControlEntry, (8 << 8) | 25));
    EXPECT_EQ(contentsOf(fs::path(folder) / kControlEntry), std::to_string((8 << 8) | 25) + "\n");
    EXPECT_EQ(contentsOf(fs::path(folder) / "ctl.log"),
              std::to_string((0x46 << 8) | 20) + "\n" + std::to_string((8 << 8) | 25) + "\n");
    std::int32_t value = 0;
    ASSERT_TRUE(driver.read(kStatusLowEntry, value));
    EXPECT_EQ((value >> 8) & 0xFF, 8);
    EXPECT_EQ((value >> 24) & 0x1F, 6) << "the other bits stay";
    ASSERT_TRUE(driver.read(kVoltageEntry, value));
    EXPECT_EQ(value, voltageOfCode(25));
}

TEST(SimulatedDriverEntries, MissingOrGarbledFilesFailTheRead) {
    FakeTree tree;
    const std::string folder = tree.path("cpu").string();
    fs::create_directories(folder);
    std::ofstream(fs::path(folder) / kTemperatureEntry) << "hot\n";
    SimulatedDriverEntries driver(folder);
    std::int32_t value = 3;
    EXPECT_FALSE(driver.read(kTemperatureEntry, value));
    EXPECT_FALSE(driver.read(kBusEntry, value));
    EXPECT_EQ(value, 3);
    EXPECT_TRUE(driver.write(kControlEntry, 7)) << "without status files only the entry changes";
    EXPECT_FALSE(fs::exists(fs::path(folder) / kStatusLowEntry));
}

TEST(OpenDriverEntries, TheEnvironmentChoosesTheBackend) {
    FakeTree tree;
    std::string problem;
    auto missing = openDriverEntries("sim:/nonexistent/folder", problem);
    ASSERT_NE(missing, nullptr);
    EXPECT_NE(problem.find("quellar-sim init"), std::string::npos);

    EXPECT_EQ(openDriverEntries("acpi", problem), nullptr);
    EXPECT_NE(problem.find("QUELLAR_DRIVER=acpi"), std::string::npos);

    auto msr = openDriverEntries(nullptr, problem);
    ASSERT_NE(msr, nullptr);
    EXPECT_NE(problem.find("load the msr module"), std::string::npos);
}
