#include "quellar/switcher/linux/kernel_cpufreq.h"

#include "platform/core/hw_path.h"
#include "quellar/common/core/sysfs_file.h"

#include <algorithm>
#include <dirent.h>
#include <string_view>
#include <vector>

namespace quellar {

namespace {

// The first line of a small sysfs file, or empty.
std::string firstLine(const std::string& path) {
    char buffer[64];
    auto n = readHead(path.c_str(), buffer, sizeof buffer);
    if (!n)
        return {};
    std::string_view text(buffer, *n);
    text = text.substr(0, text.find('\n'));
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return std::string(text);
}

std::vector<int> processorNumbers(const std::string& folder) {
    std::vector<int> numbers;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return numbers;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() > 3 && name.starts_with("cpu") &&
            std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            numbers.push_back(std::stoi(std::string(name.substr(3))));
    }
    ::closedir(dir);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace

std::string kernelCpufreqConflict() {
    const std::string folder = platform::hwPath("/sys/devices/system/cpu");
    std::string first;
    int steered = 0;
    for (int number : processorNumbers(folder)) {
        const std::string cpufreq = folder + "/cpu" + std::to_string(number) + "/cpufreq/";
        const std::string driver = firstLine(cpufreq + "scaling_driver");
        const std::string governor = firstLine(cpufreq + "scaling_governor");
        if (driver.empty() || governor.empty() || governor == "userspace")
            continue;
        if (steered++ == 0)
            first = "cpu" + std::to_string(number) + " by \"" + driver + "\" with the governor \"" +
                    governor + "\"";
    }
    if (steered == 0)
        return {};
    const std::string others =
        steered > 1 ? " (and " + std::to_string(steered - 1) + " more processors)" : "";
    return "the kernel's cpufreq driver steers " + first + others +
           "; it sets the same register as this daemon, so the two undo each other's settings: "
           "choose the \"userspace\" governor";
}

} // namespace quellar
