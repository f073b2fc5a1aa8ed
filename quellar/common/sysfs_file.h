#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quellar {

/// The leading decimal integer of `text` after optional blanks and sign, or nothing when there
/// is none or it does not fit in 64 bits. Whatever follows the digits is ignored.
std::optional<std::int64_t> parseLeadingInteger(std::string_view text);

/// Reads the start of an open file from offset 0 (sysfs and procfs files regenerate there)
/// into `buffer`; answers the bytes read, or nothing on failure. Allocates nothing.
std::optional<std::size_t> readHead(int fd, char* buffer, std::size_t size);

/// Opens `path`, reads its head into `buffer` and closes it. Allocates nothing.
std::optional<std::size_t> readHead(const char* path, char* buffer, std::size_t size);

/// The leading integer of the file at `path`, or of an open file.
std::optional<std::int64_t> readIntegerFile(const char* path);
std::optional<std::int64_t> readIntegerFile(int fd);

} // namespace quellar
