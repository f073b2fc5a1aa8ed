// What the sampling loop reports while it runs.

#include "quellar/switcher/core/switcher.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace quellar;

namespace {

// A machine whose driver refuses (or takes) every setting, under a load that swings between
// idle and busy so that the loop keeps stepping.
struct SwingingMachine : DriverEntries, LoadSource, PowerSource, SwitcherLog {
    bool refuse = true;
    int writes = 0;
    bool busy = false;
    CpuTicks ticks;
    std::vector<std::string> lines;

    bool read(const char*, std::int32_t&) override { return false; }
    bool write(const char*, std::int32_t) override {
        ++writes;
        return !refuse;
    }
    std::optional<CpuTicks> read() override {
        busy = !busy;
        (busy ? ticks.user : ticks.idle) += 100;
        return ticks;
    }
    std::string_view providingType() override { return kMainsPower; }
    void line(const char* text) override { lines.emplace_back(text); }
};

SwitcherState threeEntries() {
    SwitcherState state;
    state.ValA[0] = 10, state.ValA[1] = 20, state.ValA[2] = 30, state.NoA = 3;
    state.ValB[0] = 1, state.NoB = 1;
    state.LLimit = 25, state.ULimit = 75, state.STime = 50;
    return state;
}

} // namespace

TEST(SwitcherLog, ARefusedSettingIsReportedOnceHoweverOftenItHappens) {
    SwitcherState state = threeEntries();
    SwingingMachine machine;
    Switcher switcher(state, machine, machine, machine, &machine);
    switcher.start();
    for (int pass = 0; pass < 200; ++pass)
        switcher.sample();
    EXPECT_GT(machine.writes, 100) << "the loop kept stepping";
    ASSERT_EQ(machine.lines.size(), 1u);
    EXPECT_EQ(machine.lines[0],
              "the processor driver refused the setting 10; later refusals are not reported");
}

TEST(SwitcherLog, NothingIsReportedWhileTheDriverTakesEverySetting) {
    SwitcherState state = threeEntries();
    SwingingMachine machine;
    machine.refuse = false;
    Switcher switcher(state, machine, machine, machine, &machine);
    switcher.start();
    for (int pass = 0; pass < 200; ++pass)
        switcher.sample();
    EXPECT_GT(machine.writes, 100);
    EXPECT_TRUE(machine.lines.empty());
}
