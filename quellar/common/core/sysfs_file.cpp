#include "quellar/common/core/sysfs_file.h"

#include "platform/core/hw_file.h"

#include <cerrno>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace quellar {

std::optional<std::int64_t> parseLeadingInteger(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    const std::size_t digitsStart = at;
    std::uint64_t magnitude = 0;
    constexpr std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + std::uint64_t(text[at] - '0');
        if (magnitude > limit)
            return std::nullopt;
    }
    if (at == digitsStart || (!negative && magnitude == limit))
        return std::nullopt;
    return negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
}

std::optional<std::size_t> readHead(int fd, char* buffer, std::size_t size) {
    if (fd < 0)
        return std::nullopt;
    ssize_t n;
    do {
        n = ::pread(fd, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return std::nullopt;
    return std::size_t(n);
}

std::optional<std::size_t> readHead(const char* path, char* buffer, std::size_t size) {
    const int fd = platform::openHardwareFile(path);
    if (fd < 0)
        return std::nullopt;
    auto n = readHead(fd, buffer, size);
    ::close(fd);
    return n;
}

std::optional<std::int64_t> readIntegerFile(int fd) {
    char buffer[64];
    auto n = readHead(fd, buffer, sizeof buffer);
    if (!n)
        return std::nullopt;
    return parseLeadingInteger(std::string_view(buffer, *n));
}

std::optional<std::int64_t> readIntegerFile(const char* path) {
    const int fd = platform::openHardwareFile(path);
    if (fd < 0)
        return std::nullopt;
    auto number = readIntegerFile(fd);
    ::close(fd);
    return number;
}

KeptFile::~KeptFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int KeptFile::openFile() {
    // An open file whose last name is gone has been replaced: fstat tells without walking the
    // path again.
    struct stat info;
    if (m_fd >= 0 && (::fstat(m_fd, &info) != 0 || info.st_nlink == 0)) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_fd < 0)
        m_fd = platform::openHardwareFile(m_path.c_str());
    return m_fd;
}

std::optional<std::size_t> KeptFile::read(char* buffer, std::size_t size) {
    return readHead(openFile(), buffer, size);
}

std::optional<std::int64_t> KeptFile::readInteger() {
    return readIntegerFile(openFile());
}

} // namespace quellar
