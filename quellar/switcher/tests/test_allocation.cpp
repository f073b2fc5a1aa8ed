// Counts every allocation of the process, to show that a pass of the sampling loop makes none.

#include "platform/testing/allocation_count.h"
#include "quellar/common/core/simulated_driver_entries.h"
#include "quellar/switcher/core/switcher.h"
#include "quellar/switcher/linux/entries_publisher.h"
#include "quellar/switcher/linux/proc_stat_load_source.h"
#include "quellar/switcher/linux/sysfs_power_source.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace quellar;
namespace fs = std::filesystem;

TEST(SamplingLoop, APassAllocatesNothing) {
    if (!platform::doubles::allocationsCounted())
        GTEST_SKIP() << "AddressSanitizer replaces malloc, so allocations cannot be counted here";
    char pattern[] = "/tmp/quellar-alloc-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    ::setenv("HW_ROOT", root.c_str(), 1);
    fs::create_directories(root / "proc");
    std::ofstream(root / "proc/stat") << "cpu 900 0 0 100 0 0 0 0 0 0\n";
    std::string problem;
    ASSERT_TRUE(SimulatedDriverEntries::create((root / "cpu").string(), problem));

    SimulatedDriverEntries driver((root / "cpu").string());
    ProcStatLoadSource load;
    SysfsPowerSource power;
    SwitcherState state;
    char arg0[] = "QuellarSwitcher", a[] = "-a", aList[] = "100:200:300", b[] = "-b",
         bList[] = "10:20", t[] = "-t", limit[] = "60", i[] = "-i", rate[] = "50";
    char* argv[] = {arg0, a, aList, b, bList, t, limit, i, rate, nullptr};
    ASSERT_EQ(parseCommandLine(9, argv, state), CommandLine::Run);
    const std::string published = (root / "entries").string();
    EntriesPublisher publisher(driver, published.c_str());
    PublishingDriverEntries publishing(driver, publisher);
    Switcher switcher(state, publishing, load, power);
    switcher.start();

    // Passes between two power-source checks (every 150 at 50 a second): first cool with a
    // high load, stepping up, then over the temperature limit, stepping down.
    long before = platform::doubles::allocationCount();
    for (int pass = 0; pass < 60; ++pass) {
        switcher.sample();
        publisher.publishIfDue();
    }
    EXPECT_TRUE(publisher.publish());
    EXPECT_EQ(platform::doubles::allocationCount() - before, 0);
    EXPECT_EQ(state.Y, 2u);

    std::ofstream(root / "cpu" / kTemperatureEntry) << "75\n";
    before = platform::doubles::allocationCount();
    for (int pass = 0; pass < 60; ++pass)
        switcher.sample();
    EXPECT_EQ(platform::doubles::allocationCount() - before, 0);
    EXPECT_TRUE(switcher.overheated());
    EXPECT_EQ(state.Y, 0u);

    ::unsetenv("HW_ROOT");
    fs::remove_all(root);
}
