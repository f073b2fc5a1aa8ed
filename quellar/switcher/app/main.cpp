// QuellarSwitcher: steps the processor through a table of frequency/voltage settings by load,
// one table on mains and one on battery, and steps down above a temperature limit.

#include "quellar/switcher/core/command_line.h"
#include "quellar/switcher/core/switcher.h"
#include "quellar/switcher/linux/entries_publisher.h"
#include "quellar/switcher/linux/kernel_cpufreq.h"
#include "quellar/switcher/linux/proc_stat_load_source.h"
#include "quellar/switcher/linux/sysfs_power_source.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void endAtOnce(int) {
    _exit(0);
}

class StandardErrorLog final : public quellar::SwitcherLog {
public:
    void line(const char* text) override { std::fprintf(stderr, "QuellarSwitcher: %s\n", text); }
};

} // namespace

int main(int argc, char* argv[]) {
    using namespace quellar;

    static SwitcherState state;
    switch (parseCommandLine(argc, argv, state)) {
    case CommandLine::PrintVersion:
        std::fputs(kVersion, stderr);
        return 0;
    case CommandLine::PrintLongVersion:
        std::fputs(kVersion, stdout);
        return 0;
    case CommandLine::PrintHelp:
        std::fputs(kUsage, stdout);
        return 0;
    case CommandLine::PrintUsage:
        std::fputs(kUsage, stderr);
        return 0;
    case CommandLine::UnknownOption:
        std::fputs(kUsage, stderr);
        return 2;
    case CommandLine::EmptyTable:
        return 1;
    case CommandLine::Run:
        break;
    }

    std::signal(SIGTERM, endAtOnce);
    std::signal(SIGINT, endAtOnce);

    StandardErrorLog log;
    std::string problem;
    auto driver = openDriverEntries(std::getenv("QUELLAR_DRIVER"), problem);
    if (!problem.empty())
        log.line(problem.c_str());
    if (!driver)
        return 1;
    const std::string conflict = kernelCpufreqConflict();
    if (!conflict.empty())
        log.line(conflict.c_str());

    ProcStatLoadSource load;
    SysfsPowerSource power;
    // The controller runs as the user and may not read the registers: it reads them here.
    static char published[PATH_MAX];
    EntriesPublisher::defaultPath(published);
    EntriesPublisher publisher(*driver, published);
    PublishingDriverEntries publishing(*driver, publisher);
    // Outside its service (no /run/quellar) the daemon has no reader to publish for.
    if (!publisher.publish() && errno != ENOENT)
        log.line("cannot publish the present values; the controller shows fewer of them");
    // Once the driver has said why it cannot work, each refused write would only repeat that.
    Switcher switcher(state, publishing, load, power, problem.empty() ? &log : nullptr);
    switcher.start();
    for (;;) {
        switcher.sample();
        publisher.publishIfDue();
        ::usleep(useconds_t(switcher.delay()));
    }
}
