#pragma once

#include "quellar/common/core/argument_lists.h"

#include <cstdint>

namespace quellar {

/// The daemon's whole configuration and state, under its historical names.
struct SwitcherState {
    static constexpr std::uint32_t kTableSize = quellar::kTableSize;

    std::uint32_t ValA[kTableSize] = {};    ///< adapter table, packed settings, lowest first
    std::uint32_t ValB[kTableSize] = {};    ///< battery table
    std::uint32_t NoA = 0, NoB = 0;         ///< entries filled in each table
    std::uint32_t Y = 0, X = 0;             ///< present index in ValA, ValB
    bool Batt = false;                      ///< running on battery
    std::uint32_t lLimit = 25, uLimit = 75; ///< battery load limits, percent
    std::uint32_t LLimit = 0, ULimit = 0;   ///< adapter load limits; 0 = not given
    std::uint32_t tLimit = 0, TLimit = 0;   ///< battery, adapter temperature limits; 0 = none
    std::int32_t sTime = 20, STime = 20;    ///< battery, adapter samples per second
    std::int32_t delay = 0;                 ///< microseconds slept between samples
    std::int32_t timerps = 0;               ///< samples between two power-source checks
};

enum class CommandLine {
    Run,              ///< configuration complete: start sampling
    PrintUsage,       ///< a missing argument, a bad rate: kUsage to standard error, exit 0
    UnknownOption,    ///< an option it does not know: kUsage to standard error, exit 2
    PrintVersion,     ///< -v: kVersion to standard error (the controller reads it there), exit 0
    PrintHelp,        ///< --help: kUsage to standard output, exit 0
    PrintLongVersion, ///< --version: kVersion to standard output, exit 0
    EmptyTable,       ///< a table is empty: exit 1 without a word
};

inline constexpr const char kUsage[] =
    "usage: QuellarSwitcher [-a XXXX:YYYY (F/V adapter settings maximum 12)] [-b XXXX:YYYY (F/V "
    "battery settings maximum 12)] [-l XX:YY (CPU limits lower:upper)]\n[-t XX (using "
    "temperature limit)] [-i x (x = samples/s, between 1 and 50)]\n";
inline constexpr const char kVersion[] = "QuellarSwitcher version 1.0\n";

/// Parses the options "va:b:i:l:t:I:L:T:" (and the long --help and --version) into `state` and
/// resolves the adapter side's defaults. Options are read up to the first argument that is not
/// one; -v and a bad option end parsing at once. Allocates nothing.
CommandLine parseCommandLine(int argc, char* const argv[], SwitcherState& state);

} // namespace quellar
