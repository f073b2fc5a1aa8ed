#include "quellar/switcher/linux/entries_publisher.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quellar {

EntriesPublisher::EntriesPublisher(DriverEntries& driver, const char* path) : m_driver(driver) {
    std::snprintf(m_path, sizeof m_path, "%s", path);
    std::snprintf(m_temporary, sizeof m_temporary, "%s.new", path);
}

void EntriesPublisher::defaultPath(char (&path)[PATH_MAX]) {
    const char* root = std::getenv("QUELLAR_ROOT");
    std::snprintf(path, sizeof path, "%s/run/quellar/entries", root && *root ? root : "");
}

bool EntriesPublisher::publish() {
    ::clock_gettime(CLOCK_MONOTONIC, &m_last);
    static constexpr const char* kRead[] = {kBusEntry, kVoltageEntry, kTemperatureEntry,
                                            kStatusLowEntry, kStatusHighEntry};
    char text[256];
    int length = 0;
    if (m_haveControl)
        length += std::snprintf(text + length, sizeof text - std::size_t(length), "%s %d\n",
                                kControlEntry, m_control);
    for (const char* name : kRead) {
        std::int32_t value = 0;
        if (m_driver.read(name, value))
            length += std::snprintf(text + length, sizeof text - std::size_t(length), "%s %d\n",
                                    name, value);
    }
    const int fd = ::open(m_temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return false;
    // The umask may have narrowed the mode; readers are every user.
    const bool written =
        ::fchmod(fd, 0644) == 0 && ::write(fd, text, std::size_t(length)) == length;
    ::close(fd);
    if (!written || ::rename(m_temporary, m_path) != 0) {
        ::unlink(m_temporary);
        return false;
    }
    return true;
}

void EntriesPublisher::publishIfDue() {
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const long long elapsedMs =
        (now.tv_sec - m_last.tv_sec) * 1000LL + (now.tv_nsec - m_last.tv_nsec) / 1000000;
    if (elapsedMs >= 1000)
        publish();
}

bool PublishingDriverEntries::write(const char* name, std::int32_t value) {
    if (!m_driver.write(name, value))
        return false;
    if (std::strcmp(name, kControlEntry) == 0) {
        m_publisher.setControl(value);
        m_publisher.publish();
    }
    return true;
}

} // namespace quellar
