#include "quellar/common/core/simulated_driver_entries.h"

#include "quellar/common/core/sysfs_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace quellar {

namespace {

// Writes `text` to `path` through a temporary file and a rename, so that a reader in another
// process never sees half a number. Allocates nothing.
bool replaceFile(const char* path, const char* text, std::size_t length) {
    char temporary[PATH_MAX];
    if (std::snprintf(temporary, sizeof temporary, "%s.new", path) >= int(sizeof temporary))
        return false;
    const int fd = ::open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text, length) == ssize_t(length);
    ::close(fd);
    return written && ::rename(temporary, path) == 0;
}

bool appendLine(const char* path, const char* text, std::size_t length) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text, length) == ssize_t(length);
    ::close(fd);
    return written;
}

} // namespace

constexpr const char* kFiles[] = {kControlEntry,     kBusEntry,       kVoltageEntry,
                                  kTemperatureEntry, kStatusLowEntry, kStatusHighEntry,
                                  "ctl.log"};

SimulatedDriverEntries::SimulatedDriverEntries(std::string folder) : m_folder(std::move(folder)) {
    for (std::size_t i = 0; i < m_files.size(); ++i)
        m_files[i] = std::make_unique<KeptFile>(m_folder + "/" + kFiles[i]);
}

KeptFile* SimulatedDriverEntries::fileOf(const char* name) {
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (std::string_view(name) == kFiles[i])
            return m_files[i].get();
    }
    return nullptr;
}

bool SimulatedDriverEntries::read(const char* name, std::int32_t& value) {
    KeptFile* file = fileOf(name);
    auto number = file ? file->readInteger() : std::nullopt;
    if (!number || *number < INT32_MIN || *number > INT32_MAX)
        return false;
    value = std::int32_t(*number);
    return true;
}

bool SimulatedDriverEntries::writeEntry(const char* name, std::int32_t value) {
    KeptFile* file = fileOf(name);
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%d\n", value);
    return file && replaceFile(file->path().c_str(), text, std::size_t(length));
}

bool SimulatedDriverEntries::write(const char* name, std::int32_t value) {
    if (std::string_view(name) != kControlEntry)
        return false;
    if (!writeEntry(kControlEntry, value))
        return false;
    char line[16];
    appendLine(fileOf("ctl.log")->path().c_str(), line,
               std::size_t(std::snprintf(line, sizeof line, "%d\n", value)));

    const std::uint32_t packed = std::uint32_t(value);
    std::int32_t status = 0;
    if (read(kStatusLowEntry, status)) {
        const std::uint32_t frequency = (packed >> 8) & 0xFF;
        writeEntry(kStatusLowEntry,
                   std::int32_t((std::uint32_t(status) & ~0xFF00u) | (frequency << 8)));
    }
    std::int32_t voltage = 0;
    if (read(kVoltageEntry, voltage))
        writeEntry(kVoltageEntry, voltageOfCode(int(packed & 0x3F)));
    return true;
}

bool SimulatedDriverEntries::create(const std::string& folder, std::string& problem) {
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        problem = folder + ": " + std::strerror(errno);
        return false;
    }
    constexpr int lowRatio = 6, highRatio = 12, lowVid = 12, highVid = 40;
    SimulatedDriverEntries processor(folder);
    const std::pair<const char*, std::int32_t> entries[] = {
        {kBusEntry, 200},
        {kTemperatureEntry, 50},
        {kStatusLowEntry, (lowRatio << 24) | (highRatio << 8)},
        {kStatusHighEntry, (lowVid << 16) | (highRatio << 8) | highVid},
        {kVoltageEntry, voltageOfCode(highVid)},
        {kControlEntry, (highRatio << 8) | highVid},
    };
    for (const auto& [name, value] : entries) {
        if (!processor.writeEntry(name, value)) {
            problem = folder + "/" + name + ": " + std::strerror(errno);
            return false;
        }
    }
    // The factory states, fastest first, as packed settings: what the firmware would list.
    const std::string states = folder + "/PerformanceStateArray";
    constexpr char kStates[] = "3112\n2592\n2072\n1548\n";
    if (!replaceFile(states.c_str(), kStates, sizeof kStates - 1)) {
        problem = states + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace quellar
