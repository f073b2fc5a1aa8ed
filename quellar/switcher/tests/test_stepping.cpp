// The daemon's stepping, run from text cases in stepping/: the command line, one line per
// sample saying what the machine does then, a blank line, and the driver writes expected.
//
//   args -a 100:200:300 -b 10:20 -l 25:75 -t 70 -i 1
//   load=90 temp=60 power=mains x3     three samples at 90 % load, 60 degrees, on mains
//   stall                              no tick elapses; temp=fail fails the temperature read
//
// Output lines are "start ctl=N" for the writes at start and "S ctl=N" for a write in sample S
// (counted from 1). Each case file is a test of its own; on a mismatch it prints both listings.

#include "platform/testing/golden_cases.h"
#include "quellar/switcher/core/switcher.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace quellar;
namespace fs = std::filesystem;

namespace {

struct Machine : DriverEntries, LoadSource, PowerSource {
    // Driver.
    std::optional<std::int32_t> temperature = 50;
    std::vector<std::string>* log = nullptr;
    std::string when = "start";
    bool read(const char* name, std::int32_t& value) override {
        if (std::string_view(name) != kTemperatureEntry || !temperature)
            return false;
        value = *temperature;
        return true;
    }
    bool write(const char* name, std::int32_t value) override {
        log->push_back(when + " " + (std::string_view(name) == kControlEntry ? "ctl" : name) + "=" +
                       std::to_string(value));
        return true;
    }
    // Load: each sample adds 100 ticks split by the load figure.
    CpuTicks ticks;
    int load = 0;
    bool stall = false;
    std::optional<CpuTicks> read() override {
        if (!stall) {
            ticks.user += std::uint64_t(load);
            ticks.idle += std::uint64_t(100 - load);
        }
        return ticks;
    }
    // Power.
    bool battery = false;
    std::string_view providingType() override { return battery ? kBatteryPower : kMainsPower; }
};

std::vector<std::string> run(const std::vector<std::string>& input) {
    std::vector<std::string> log;
    Machine machine;
    machine.log = &log;

    std::istringstream argsLine(input.at(0));
    std::string word;
    std::vector<std::string> args{"QuellarSwitcher"};
    argsLine >> word; // "args"
    while (argsLine >> word)
        args.push_back(word);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    SwitcherState state;
    if (parseCommandLine(int(args.size()), argv.data(), state) != CommandLine::Run)
        return {"command line refused"};

    // The power source of the first sample line holds at start too.
    for (std::size_t i = 1; i < input.size(); ++i) {
        if (input[i].find("power=battery") != std::string::npos) {
            machine.battery = true;
            break;
        }
        if (input[i].find("power=mains") != std::string::npos)
            break;
    }
    Switcher switcher(state, machine, machine, machine);
    switcher.start();

    int sample = 0;
    for (std::size_t i = 1; i < input.size(); ++i) {
        std::istringstream line(input[i]);
        int repeat = 1;
        machine.stall = false;
        while (line >> word) {
            if (word.starts_with("load="))
                machine.load = std::stoi(word.substr(5));
            else if (word == "temp=fail")
                machine.temperature.reset();
            else if (word.starts_with("temp="))
                machine.temperature = std::stoi(word.substr(5));
            else if (word == "power=battery" || word == "power=mains")
                machine.battery = word == "power=battery";
            else if (word == "stall")
                machine.stall = true;
            else if (word.starts_with("x"))
                repeat = std::stoi(word.substr(1));
            else
                return {"unknown word " + word};
        }
        for (int r = 0; r < repeat; ++r) {
            machine.when = std::to_string(++sample);
            switcher.sample();
        }
    }
    return log;
}

std::vector<fs::path> caseFiles() {
    return platform::doubles::goldenCaseFiles(STEPPING_CASES);
}

} // namespace

class Stepping : public testing::TestWithParam<fs::path> {};

TEST_P(Stepping, WritesWhatTheCaseExpects) {
    const platform::doubles::GoldenCase stepping = platform::doubles::readGoldenCase(GetParam());
    ASSERT_FALSE(stepping.input.empty()) << "no command line in " << GetParam();
    const std::string mismatch =
        platform::doubles::goldenMismatch(stepping.expected, run(stepping.input));
    if (!mismatch.empty())
        ADD_FAILURE() << mismatch;
}

INSTANTIATE_TEST_SUITE_P(Cases, Stepping, testing::ValuesIn(caseFiles()), [](const auto& info) {
    return platform::doubles::goldenCaseName(info.param);
});

// An emptied or misplaced case folder must not pass as "no case failed".
TEST(SteppingCases, AreFound) {
    EXPECT_GE(caseFiles().size(), 5u);
}
