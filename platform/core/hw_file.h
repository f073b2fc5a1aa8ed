#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

/// Most bytes `readHardwareFile` takes by default: far above any sysfs attribute (one page) and
/// above /proc/cpuinfo of a large machine, far below what could exhaust memory.
inline constexpr std::size_t kHardwareFileCap = 1024 * 1024;

/// What `readHardwareFile` answers: the content, or why there is none.
struct HardwareFile {
    enum class Failure {
        None,
        Open,       ///< open() failed; `error` holds errno (ENOENT, EACCES, …).
        NotRegular, ///< A folder, FIFO, socket or device: refused without reading.
        TooLarge,   ///< More bytes than the cap; `content` stays empty.
        Read,       ///< fstat() or read() failed; `error` holds errno (EIO, ENODATA, …).
    };

    std::string path;
    std::string content;
    Failure failure = Failure::None;
    int error = 0;

    bool ok() const { return failure == Failure::None; }
    /// "cannot read <path>: <reason>", for a log line; empty when ok().
    std::string message() const;
};

/// Opens a file for reading as `readHardwareFile` does: non-blocking, and only when it is a
/// regular file. Answers the descriptor, or -1 with errno set (EISDIR for a folder, EINVAL for
/// a FIFO, socket or device). Allocates nothing, for readers that keep a file open or read it
/// into a buffer of their own many times a second.
int openHardwareFile(const char* path);

/// Reads a whole small file of the kernel's (a sysfs attribute, a procfs table) or any other
/// regular file, never blocking on what is not one: the file is opened non-blocking and
/// anything but a regular file is refused at once, so a FIFO or a device put in the path
/// cannot hang the caller. Reads at most `cap` bytes; a longer file is an error, not a
/// truncated answer. Interrupted calls are retried. Takes the path as given: callers move
/// hardware paths under $HW_ROOT with `hwPath` first. Free of Qt, for the daemon.
HardwareFile readHardwareFile(std::string_view path, std::size_t cap = kHardwareFileCap);

} // namespace platform
