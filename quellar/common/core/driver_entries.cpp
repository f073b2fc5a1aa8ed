#include "quellar/common/core/driver_entries.h"

#include "quellar/common/core/simulated_driver_entries.h"
#include "quellar/common/linux/msr_driver_entries.h"

#include <string_view>
#include <sys/stat.h>

namespace quellar {

std::unique_ptr<DriverEntries> openDriverEntries(const char* selection, std::string& problem) {
    problem.clear();
    const std::string_view choice = selection ? selection : "";
    if (choice.empty() || choice == "msr") {
        auto msr = std::make_unique<MsrDriverEntries>();
        problem = msr->problem();
        return msr;
    }
    if (choice.starts_with("sim:")) {
        std::string folder(choice.substr(4));
        struct stat info;
        if (folder.empty() || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            problem = "sim: no simulated processor in \"" + folder +
                      "\"; create one with quellar-sim init";
        return std::make_unique<SimulatedDriverEntries>(std::move(folder));
    }
    problem = "QUELLAR_DRIVER=" + std::string(choice) + " is neither msr nor sim:DIR";
    return nullptr;
}

} // namespace quellar
