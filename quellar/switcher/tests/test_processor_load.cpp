#include "quellar/switcher/core/processor_load.h"
#include "quellar/switcher/linux/proc_stat_load_source.h"

#include <gtest/gtest.h>

using namespace quellar;

TEST(ParseCpuTicks, MapsLinuxCountersOntoFour) {
    // user nice system idle iowait irq softirq steal guest guest_nice
    auto ticks = parseCpuTicks("cpu  23644 6695 4764 134931750 22115 7 473 5892 100 3\n"
                               "cpu0 6418 888 1230 33730755 5043 0 4 1046 0 0\n");
    ASSERT_TRUE(ticks);
    EXPECT_EQ(ticks->user, 23644u);
    EXPECT_EQ(ticks->nice, 6695u);
    EXPECT_EQ(ticks->system, 4764u + 7 + 473) << "interrupt time is busy time";
    EXPECT_EQ(ticks->idle, 134931750u + 22115) << "waiting for I/O is idle time";
    EXPECT_EQ(ticks->total(), 23644u + 6695 + 4764 + 7 + 473 + 134931750 + 22115)
        << "stolen time is no one's";

    auto old = parseCpuTicks("cpu 1 2 3 4\n");
    ASSERT_TRUE(old) << "kernels before 2.6 give four counters";
    EXPECT_EQ(old->total(), 10u);
}

TEST(ParseCpuTicks, GarbledTextIsAFailedRead) {
    for (const char* text :
         {"", "\n", "cpu0 1 2 3 4\n", "intr 1 2 3\ncpu 1 2 3 4\n", "cpu 1 2 3\n", "cpu 1 2 x 4\n",
          "cpu 1 2 3 4x\n", "cpu -1 2 3 4\n", "cpu 99999999999999999999999 1 1 1\n", "cpu"})
        EXPECT_FALSE(parseCpuTicks(text)) << text;
}

TEST(LoadBetween, BusyShareWithIntegerDivisionAndNothingWithoutTicks) {
    const CpuTicks before{100, 50, 1000, 0};
    EXPECT_EQ(loadBetween(before, CpuTicks{130, 70, 1100, 0}), 33u) << "100 x 50 / 150, truncated";
    EXPECT_EQ(loadBetween(CpuTicks{}, CpuTicks{25, 25, 50, 0}), 50u)
        << "the first figure is the average since boot";
    EXPECT_EQ(loadBetween(before, before), std::nullopt) << "no tick elapsed: no division";
    EXPECT_EQ(loadBetween(before, CpuTicks{0, 0, 10, 0}), std::nullopt) << "counters went back";
}
