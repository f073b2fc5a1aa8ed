#include "platform/core/hw_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

HardwareFile failed(HardwareFile file, HardwareFile::Failure failure, int error) {
    file.content.clear();
    file.failure = failure;
    file.error = error;
    return file;
}

// Opens `path` non-blocking and checks that it is a regular file; `failure` says which step
// failed, with errno set.
int openRegular(const char* path, HardwareFile::Failure& failure) {
    int fd;
    // O_NONBLOCK makes opening a FIFO without a writer return at once; O_NOCTTY keeps a
    // terminal named by mistake from becoming ours.
    do {
        fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        failure = HardwareFile::Failure::Open;
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        failure = HardwareFile::Failure::Read;
        return -1;
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        failure = HardwareFile::Failure::NotRegular;
        return -1;
    }
    failure = HardwareFile::Failure::None;
    return fd;
}

} // namespace

std::string HardwareFile::message() const {
    std::string reason;
    switch (failure) {
    case Failure::None:
        return {};
    case Failure::NotRegular:
        reason = "not a regular file";
        break;
    case Failure::TooLarge:
        reason = "larger than expected";
        break;
    case Failure::Open:
    case Failure::Read:
        reason = std::strerror(error);
        break;
    }
    return "cannot read " + path + ": " + reason;
}

int openHardwareFile(const char* path) {
    HardwareFile::Failure failure;
    return openRegular(path, failure);
}

HardwareFile readHardwareFile(std::string_view path, std::size_t cap) {
    HardwareFile file;
    file.path = std::string(path);

    Descriptor descriptor;
    HardwareFile::Failure failure;
    descriptor.fd = openRegular(file.path.c_str(), failure);
    if (descriptor.fd < 0)
        return failed(std::move(file), failure, errno);

    // sysfs reports every attribute as one page and procfs as empty, so the size from fstat
    // says nothing: read until the end, one byte past the cap at most to tell "exactly the
    // cap" from "more".
    char buffer[4096];
    for (;;) {
        const std::size_t wanted = std::min(sizeof buffer, cap + 1 - file.content.size());
        const ssize_t got = ::read(descriptor.fd, buffer, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failed(std::move(file), HardwareFile::Failure::Read, errno);
        if (got == 0)
            break;
        file.content.append(buffer, static_cast<std::size_t>(got));
        if (file.content.size() > cap)
            return failed(std::move(file), HardwareFile::Failure::TooLarge, EFBIG);
    }
    return file;
}

} // namespace platform
