#include "quellar/switcher/core/command_line.h"

#include <cstdlib>
#include <cstring>
#include <getopt.h>

namespace quellar {

namespace {

// Numbers are decimal with strtol's rules: leading blanks and a sign, then the leading digits;
// anything after them is ignored, and a number past the range of long saturates. The value is
// then narrowed to 32 bits, modulo 2^32.
std::uint32_t toNumber(const char* text) {
    return std::uint32_t(std::strtol(text, nullptr, 10));
}

// Walks `text` token by token. A token ends at a colon or at the end; it is converted when it
// ends at a colon (an empty one gives 0) or when it ends the text and is not empty. Tokens are
// cut to 24 characters, the size of the conversion buffer. `take` answers whether to go on.
template <typename Take> void forEachToken(const char* text, Take take) {
    constexpr std::size_t kTokenLength = 24;
    char token[kTokenLength + 1];
    std::size_t length = 0;
    std::memset(token, 0, sizeof token);
    for (const char* at = text;; ++at) {
        const bool atColon = *at == ':';
        const bool atEnd = *at == '\0';
        if (!atColon && !atEnd) {
            if (length < kTokenLength)
                token[length++] = *at;
            continue;
        }
        if (atColon || length > 0) {
            if (!take(toNumber(token)))
                return;
        }
        if (atEnd)
            return;
        length = 0;
        std::memset(token, 0, sizeof token);
    }
}

bool isRate(const char* text) {
    const long rate = std::strtol(text, nullptr, 10);
    return rate >= 1 && rate <= 50;
}

} // namespace

void appendList(const char* list, std::uint32_t* table, std::uint32_t& count) {
    forEachToken(list, [&](std::uint32_t number) {
        if (count >= SwitcherState::kTableSize)
            return false;
        table[count++] = number;
        return true;
    });
}

void getLimits(const char* argument, std::uint32_t& lower, std::uint32_t& upper) {
    lower = 0;
    upper = 0;
    forEachToken(argument, [&](std::uint32_t number) {
        if (lower == 0)
            lower = number;
        else
            upper = number;
        return upper == 0;
    });
}

void getTLimit(const char* argument, std::uint32_t& limit) {
    if (limit == 0)
        limit = toNumber(argument);
}

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
