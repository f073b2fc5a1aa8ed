#include "quellar/switcher/core/command_line.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace quellar;

namespace {

struct Parsed {
    CommandLine outcome;
    SwitcherState state;
};

Parsed parse(std::vector<std::string> args) {
    args.insert(args.begin(), "QuellarSwitcher");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    Parsed parsed{};
    parsed.outcome = parseCommandLine(int(args.size()), argv.data(), parsed.state);
    return parsed;
}

std::vector<std::uint32_t> tableA(const SwitcherState& state) {
    return {state.ValA, state.ValA + state.NoA};
}

} // namespace

TEST(CommandLine, AControllerCommandLineRuns) {
    auto p =
        parse({"-a", "3112:2600:1800", "-b", "1800:2600", "-l", "25:75", "-i", "10", "-t", "70"});
    ASSERT_EQ(p.outcome, CommandLine::Run);
    EXPECT_EQ(tableA(p.state), (std::vector<std::uint32_t>{3112, 2600, 1800}));
    EXPECT_EQ(p.state.NoB, 2u);
    EXPECT_EQ(p.state.sTime, 10);
    EXPECT_EQ(p.state.STime, 10) << "the adapter side takes the battery rate";
    EXPECT_EQ(p.state.LLimit, 25u);
    EXPECT_EQ(p.state.ULimit, 75u);
    EXPECT_EQ(p.state.TLimit, 70u);
}

TEST(CommandLine, VersionUsageAndEmptyTables) {
    EXPECT_EQ(parse({"-v"}).outcome, CommandLine::PrintVersion);
    EXPECT_EQ(parse({"-a", "1", "-v", "-x"}).outcome, CommandLine::PrintVersion);
    EXPECT_EQ(parse({"--version"}).outcome, CommandLine::PrintLongVersion);
    EXPECT_EQ(parse({"-a", "1", "--version"}).outcome, CommandLine::PrintLongVersion);
    EXPECT_EQ(parse({"--help"}).outcome, CommandLine::PrintHelp);
    EXPECT_EQ(parse({"-a", "1", "--help", "-x"}).outcome, CommandLine::PrintHelp);
    for (auto args : std::vector<std::vector<std::string>>{
             {"-x"}, {"--frobnicate"}, {"-a", "1", "-b", "2", "-x"}, {"-a", "1", "--no-such"}})
        EXPECT_EQ(parse(args).outcome, CommandLine::UnknownOption) << args.back();
    EXPECT_EQ(parse({"-a", "--help"}).outcome, CommandLine::EmptyTable)
        << "\"--help\" as the argument of -a is a list, not an option";
    for (auto args : std::vector<std::vector<std::string>>{{"-a"},
                                                           {"-a", "1", "-b", "2", "-i", "0"},
                                                           {"-i", "51"},
                                                           {"-I", "0"},
                                                           {"-I", "abc"},
                                                           {"-i", "4294967297"},
                                                           {"-a", "1", "-b", "2", "-l"}})
        EXPECT_EQ(parse(args).outcome, CommandLine::PrintUsage) << args.back();
    EXPECT_EQ(parse({}).outcome, CommandLine::EmptyTable);
    EXPECT_EQ(parse({"-a", "2588"}).outcome, CommandLine::EmptyTable);
    EXPECT_EQ(parse({"-b", "2588"}).outcome, CommandLine::EmptyTable);
    EXPECT_EQ(parse({"-a", "1", "-b", "2", "-i", "50"}).outcome, CommandLine::Run);
    EXPECT_EQ(parse({"-a", "1", "-b", "2", "stray", "-x"}).outcome, CommandLine::Run)
        << "options end at the first argument that is not one";
    EXPECT_EQ(std::string(kVersion), "QuellarSwitcher version 1.0\n");
}

TEST(CommandLine, ListsSplitAtColons) {
    EXPECT_EQ(tableA(parse({"-a", "2588:3106:"}).state), (std::vector<std::uint32_t>{2588, 3106}));
    EXPECT_EQ(tableA(parse({"-a", "2588::3106"}).state),
              (std::vector<std::uint32_t>{2588, 0, 3106}));
    EXPECT_EQ(tableA(parse({"-a", ":::"}).state), (std::vector<std::uint32_t>{0, 0, 0}));
    EXPECT_EQ(tableA(parse({"-a", ""}).state), (std::vector<std::uint32_t>{}));
    EXPECT_EQ(tableA(parse({"-a", "12abc:7"}).state), (std::vector<std::uint32_t>{12, 7}));
    EXPECT_EQ(tableA(parse({"-a", "1:2", "-a", "3"}).state), (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(tableA(parse({"-a", "-1:+5"}).state), (std::vector<std::uint32_t>{4294967295u, 5}));
}

TEST(CommandLine, TablesStopAtThirtyAndTokensAtTwentyFourCharacters) {
    std::string many;
    for (int i = 1; i <= 40; ++i)
        many += std::to_string(i) + ":";
    auto p = parse({"-a", many, "-a", "99"});
    ASSERT_EQ(p.state.NoA, 30u);
    EXPECT_EQ(p.state.ValA[29], 30u);

    // 24 characters are read; the rest of an overlong token is dropped.
    const std::string longToken = std::string(20, '0') + "1234" + "56789";
    EXPECT_EQ(tableA(parse({"-a", longToken + ":5"}).state), (std::vector<std::uint32_t>{1234, 5}));
    EXPECT_EQ(tableA(parse({"-a", std::string(5000, '7')}).state).size(), 1u);

    // Past 32 bits the number is narrowed, never undefined.
    EXPECT_EQ(tableA(parse({"-a", "4294967296:4294967297"}).state),
              (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(tableA(parse({"-a", "99999999999999999999999"}).state),
              (std::vector<std::uint32_t>{0xFFFFFFFFu}));
}

TEST(CommandLine, LoadLimitsFillTheLowerFirst) {
    auto limits = [](const std::string& argument) {
        auto p = parse({"-a", "1", "-b", "1", "-l", argument});
        return std::pair{p.state.lLimit, p.state.uLimit};
    };
    EXPECT_EQ(limits("25:75"), (std::pair<std::uint32_t, std::uint32_t>{25, 75}));
    EXPECT_EQ(limits("0:75"), (std::pair<std::uint32_t, std::uint32_t>{75, 0}));
    EXPECT_EQ(limits("10:0:90:5"), (std::pair<std::uint32_t, std::uint32_t>{10, 90}));
    EXPECT_EQ(limits("::"), (std::pair<std::uint32_t, std::uint32_t>{0, 0}));

    auto p = parse({"-a", "1", "-b", "1", "-l", "10:20", "-l", "30:40"});
    EXPECT_EQ(p.state.lLimit, 30u) << "a second -l replaces the first";
    EXPECT_EQ(p.state.uLimit, 40u);
}

TEST(CommandLine, TemperatureLimitIsSetOnce) {
    auto p = parse({"-a", "1", "-b", "1", "-t", "70", "-t", "90"});
    EXPECT_EQ(p.state.tLimit, 70u);
    EXPECT_EQ(parse({"-a", "1", "-b", "1", "-t", ""}).state.tLimit, 0u);
}

TEST(CommandLine, TheAdapterSideTakesTheBatterySideUnlessGivenItsOwn) {
    auto p = parse({"-a", "1", "-b", "1", "-i", "5", "-I", "40", "-t", "70", "-T", "90"});
    EXPECT_EQ(p.state.STime, 5) << "-I is overridden without -L";
    EXPECT_EQ(p.state.TLimit, 70u) << "-T is overridden by a non-zero -t without -L";

    p = parse({"-a", "1", "-b", "1", "-i", "5", "-I", "40", "-L", "0:60", "-t", "70", "-T", "90"});
    EXPECT_EQ(p.state.STime, 40) << "-L set one adapter limit";
    EXPECT_EQ(p.state.TLimit, 70u) << "but not both";

    p = parse({"-a", "1", "-b", "1", "-L", "30:60", "-t", "70", "-T", "90"});
    EXPECT_EQ(p.state.TLimit, 90u);
    EXPECT_EQ(p.state.LLimit, 30u);
    EXPECT_EQ(p.state.ULimit, 60u);

    p = parse({"-a", "1", "-b", "1", "-T", "90"});
    EXPECT_EQ(p.state.TLimit, 90u) << "no battery limit leaves the adapter's";
}
