// QuellarSwitcher: steps the processor through a table of frequency/voltage settings by load,
// one table on mains and one on battery, and steps down above a temperature limit.

#include "quellar/switcher/core/command_line.h"
#include "quellar/switcher/core/switcher.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

void endAtOnce(int) {
    _exit(0);
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace quellar;

    // The long forms a Linux user tries first mean what -v and a bad option mean.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs(kVersion, stderr);
        return 0;
    }
    static SwitcherState state;
    switch (parseCommandLine(argc, argv, state)) {
    case CommandLine::PrintVersion:
        std::fputs(kVersion, stderr);
        return 0;
    case CommandLine::PrintUsage:
        std::fputs(kUsage, stderr);
        return 0;
    case CommandLine::EmptyTable:
        return 1;
    case CommandLine::Run:
        break;
    }

    std::signal(SIGTERM, endAtOnce);
    std::signal(SIGINT, endAtOnce);

    std::string problem;
    auto driver = openDriverEntries(std::getenv("QUELLAR_DRIVER"), problem);
    if (!problem.empty())
        std::fprintf(stderr, "QuellarSwitcher: %s\n", problem.c_str());
    if (!driver)
        return 1;

    ProcStatLoadSource load;
    SysfsPowerSource power;
    Switcher switcher(state, *driver, load, power);
    switcher.start();
    for (;;) {
        switcher.sample();
        ::usleep(useconds_t(switcher.delay()));
    }
}
