#include "quellar/common/linux/msr_driver_entries.h"

#include "platform/core/hw_file.h"
#include "platform/core/hw_path.h"
#include "quellar/common/core/sysfs_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace quellar {

namespace {

constexpr std::uint32_t kPerfStatus = 0x198;
constexpr std::uint32_t kPerfControl = 0x199;
constexpr std::uint32_t kFsbFrequency = 0xCD;

// Names of the entries in a folder, or nothing when it cannot be listed.
template <typename Visit> bool forEachEntry(const std::string& folder, Visit visit) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            visit(std::string_view(entry->d_name));
    }
    ::closedir(dir);
    return true;
}

std::string trimmedHead(const std::string& path) {
    char buffer[128];
    auto n = readHead(path.c_str(), buffer, sizeof buffer);
    if (!n)
        return {};
    std::string_view text(buffer, *n);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    return std::string(text);
}

int busMhz(std::uint64_t fsb) {
    switch (fsb & 0x7) {
    case 0b101:
        return 100;
    case 0b001:
        return 133;
    case 0b011:
        return 167;
    case 0b010:
        return 200;
    case 0b000:
        return 267;
    case 0b100:
        return 333;
    case 0b110:
        return 400;
    default:
        return -1;
    }
}

} // namespace

MsrDriverEntries::MsrDriverEntries() {
    const std::string cpuFolder = platform::hwPath("/dev/cpu");
    std::vector<int> numbers;
    forEachEntry(cpuFolder, [&](std::string_view name) {
        if (!name.empty() &&
            std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            numbers.push_back(std::atoi(std::string(name).c_str()));
    });
    std::sort(numbers.begin(), numbers.end());
    const std::string first = cpuFolder + "/0/msr";
    for (int number : numbers) {
        const std::string path = cpuFolder + "/" + std::to_string(number) + "/msr";
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            m_cpus.push_back(fd);
        } else if (number == 0) {
            m_problem = errno == ENOENT ? "msr: " + first + " not found; load the msr module"
                                        : "msr: " + first + ": " + std::strerror(errno) +
                                              (errno == EACCES ? "; run as root" : "");
        }
    }
    if (numbers.empty() || numbers.front() != 0)
        m_problem = "msr: " + first + " not found; load the msr module";
    if (!m_problem.empty()) {
        for (int fd : m_cpus)
            ::close(fd);
        m_cpus.clear();
    }

    const std::string hwmonFolder = platform::hwPath("/sys/class/hwmon");
    forEachEntry(hwmonFolder, [&](std::string_view hwmon) {
        const std::string folder = hwmonFolder + "/" + std::string(hwmon);
        if (trimmedHead(folder + "/name") != "coretemp" || !m_temperatures.empty())
            return;
        std::vector<int> cores;
        int package = -1;
        forEachEntry(folder, [&](std::string_view file) {
            if (!file.starts_with("temp") || !file.ends_with("_label"))
                return;
            const std::string stem(file.substr(0, file.size() - 6));
            const std::string label = trimmedHead(folder + "/" + std::string(file));
            const bool isPackage =
                label.starts_with("Package id") || label.starts_with("Physical id");
            if (!isPackage && !label.starts_with("Core"))
                return;
            const int fd = platform::openHardwareFile((folder + "/" + stem + "_input").c_str());
            if (fd < 0)
                return;
            if (isPackage && package < 0)
                package = fd;
            else
                cores.push_back(fd);
        });
        if (package >= 0) {
            for (int fd : cores)
                ::close(fd);
            m_temperatures = {package};
        } else {
            m_temperatures = std::move(cores);
        }
    });
}

MsrDriverEntries::~MsrDriverEntries() {
    for (int fd : m_cpus)
        ::close(fd);
    for (int fd : m_temperatures)
        ::close(fd);
}

bool MsrDriverEntries::readRegister(int fd, std::uint32_t address, std::uint64_t& value) const {
    unsigned char bytes[8];
    ssize_t n;
    do {
        n = ::pread(fd, bytes, sizeof bytes, off_t(address));
    } while (n < 0 && errno == EINTR);
    if (n != ssize_t(sizeof bytes))
        return false;
    std::memcpy(&value, bytes, sizeof value); // the msr device speaks host byte order
    return true;
}

bool MsrDriverEntries::readTemperature(std::int32_t& value) const {
    std::optional<std::int64_t> hottest;
    for (int fd : m_temperatures) {
        auto millidegrees = readIntegerFile(fd);
        if (millidegrees && (!hottest || *millidegrees > *hottest))
            hottest = millidegrees;
    }
    if (!hottest)
        return false;
    value = std::int32_t(*hottest / 1000);
    return true;
}

bool MsrDriverEntries::read(const char* name, std::int32_t& value) {
    const std::string_view entry(name);
    if (entry == kTemperatureEntry)
        return readTemperature(value);
    if (m_cpus.empty())
        return false;
    std::uint64_t raw = 0;
    if (entry == kStatusLowEntry || entry == kStatusHighEntry || entry == kVoltageEntry) {
        if (!readRegister(m_cpus.front(), kPerfStatus, raw))
            return false;
        if (entry == kStatusLowEntry)
            value = std::int32_t(std::uint32_t(raw));
        else if (entry == kStatusHighEntry)
            value = std::int32_t(std::uint32_t(raw >> 32));
        else
            value = 7125 + 125 * std::int32_t(raw & 0x3F); // 0.7125 V + 12.5 mV a step, in 0.1 mV
        return true;
    }
    if (entry == kBusEntry) {
        if (!readRegister(m_cpus.front(), kFsbFrequency, raw) || busMhz(raw) < 0)
            return false;
        value = busMhz(raw);
        return true;
    }
    return false;
}

bool MsrDriverEntries::write(const char* name, std::int32_t value) {
    if (std::string_view(name) != kControlEntry || m_cpus.empty())
        return false;
    bool all = true;
    for (int fd : m_cpus) {
        std::uint64_t control = 0;
        if (!readRegister(fd, kPerfControl, control)) {
            all = false;
            continue;
        }
        control = (control & ~std::uint64_t(0xFFFF)) | (std::uint32_t(value) & 0xFFFF);
        unsigned char bytes[8];
        std::memcpy(bytes, &control, sizeof bytes);
        if (::pwrite(fd, bytes, sizeof bytes, off_t(kPerfControl)) != ssize_t(sizeof bytes))
            all = false;
    }
    return all;
}

} // namespace quellar
