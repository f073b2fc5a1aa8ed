#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quellar {

/// The leading decimal integer of `text` after optional blanks and sign, or nothing when there
/// is none or it does not fit in 64 bits. Whatever follows the digits is ignored.
std::optional<std::int64_t> parseLeadingInteger(std::string_view text);

/// Reads the start of an open file from offset 0 (sysfs and procfs files regenerate there)
/// into `buffer`; answers the bytes read, or nothing on failure. Allocates nothing.
std::optional<std::size_t> readHead(int fd, char* buffer, std::size_t size);

/// Opens `path`, reads its head into `buffer` and closes it. Only regular files are read (a
/// FIFO or device in the path is refused at once, never waited on), and never more than the
/// buffer holds. Allocates nothing.
std::optional<std::size_t> readHead(const char* path, char* buffer, std::size_t size);

/// A file kept open and read from offset 0, for files read many times a second. When the file
/// at the path is replaced (renamed over, or deleted and made anew), the next read opens the
/// new one; a file that cannot be opened, or is not a regular file, is tried again at the next
/// read. Allocates nothing after construction.
class KeptFile {
public:
    explicit KeptFile(std::string path) : m_path(std::move(path)) {}
    ~KeptFile();
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;

    const std::string& path() const { return m_path; }
    std::optional<std::size_t> read(char* buffer, std::size_t size);
    std::optional<std::int64_t> readInteger();

private:
    int openFile();

    std::string m_path;
    int m_fd = -1;
};

/// The leading integer of the file at `path`, or of an open file.
std::optional<std::int64_t> readIntegerFile(const char* path);
std::optional<std::int64_t> readIntegerFile(int fd);

} // namespace quellar
