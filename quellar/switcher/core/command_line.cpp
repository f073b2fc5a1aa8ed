#include "quellar/switcher/core/command_line.h"

#include <cstdlib>
#include <cstring>
#include <getopt.h>

namespace quellar {

namespace {

bool isRate(const char* text) {
    const long rate = std::strtol(text, nullptr, 10);
    return rate >= 1 && rate <= 50;
}

} // namespace

CommandLine parseCommandLine(int argc, char* const argv[], SwitcherState& state) {
    // "+": stop at the first argument that is not an option, as the BSD getopt does. ":" tells
    // a missing argument from an unknown option. The usage text alone reports either, without
    // getopt's own message.
    enum { kHelp = 256, kLongVersion };
    static const option longOptions[] = {{"help", no_argument, nullptr, kHelp},
                                         {"version", no_argument, nullptr, kLongVersion},
                                         {nullptr, 0, nullptr, 0}};
    optind = 0;
    opterr = 0;
    for (int option;
         (option = ::getopt_long(argc, argv, "+:va:b:i:l:t:I:L:T:", longOptions, nullptr)) != -1;) {
        switch (option) {
        case 'v':
            return CommandLine::PrintVersion;
        case kLongVersion:
            return CommandLine::PrintLongVersion;
        case kHelp:
            return CommandLine::PrintHelp;
        case ':':
            return CommandLine::PrintUsage;
        case 'a':
            appendList(optarg, state.ValA, state.NoA);
            break;
        case 'b':
            appendList(optarg, state.ValB, state.NoB);
            break;
        case 'i':
        case 'I':
            // The range is checked before narrowing, so that no number past 32 bits wraps
            // into it.
            if (!isRate(optarg))
                return CommandLine::PrintUsage;
            (option == 'i' ? state.sTime : state.STime) =
                std::int32_t(std::strtol(optarg, nullptr, 10));
            break;
        case 'l':
            getLimits(optarg, state.lLimit, state.uLimit);
            break;
        case 'L':
            getLimits(optarg, state.LLimit, state.ULimit);
            break;
        case 't':
            getTLimit(optarg, state.tLimit);
            break;
        case 'T':
            getTLimit(optarg, state.TLimit);
            break;
        default:
            return CommandLine::UnknownOption;
        }
    }
    if (state.tLimit != 0 && (state.ULimit == 0 || state.LLimit == 0))
        state.TLimit = state.tLimit;
    if (state.ULimit == 0 && state.LLimit == 0) {
        state.ULimit = state.uLimit;
        state.LLimit = state.lLimit;
        state.STime = state.sTime;
    }
    if (state.NoA == 0 || state.NoB == 0)
        return CommandLine::EmptyTable;
    return CommandLine::Run;
}

} // namespace quellar
