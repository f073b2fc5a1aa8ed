// quellar-sim init DIR: makes a simulated processor for QUELLAR_DRIVER=sim:DIR.

#include "quellar/common/core/simulated_driver_entries.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char* argv[]) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::puts("usage: quellar-sim init DIR\n\n"
                  "Creates in DIR a simulated processor (bus 200 MHz, ratios 6 to 12, voltage\n"
                  "codes 12 to 40, 50 degrees, four factory states) for QUELLAR_DRIVER=sim:DIR.");
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("quellar-sim version 1.0");
        return 0;
    }
    if (argc != 3 || std::strcmp(argv[1], "init") != 0) {
        std::fputs("usage: quellar-sim init DIR\n", stderr);
        return 2;
    }
    std::string problem;
    if (!quellar::SimulatedDriverEntries::create(argv[2], problem)) {
        std::fprintf(stderr, "quellar-sim: %s\n", problem.c_str());
        return 1;
    }
    return 0;
}
