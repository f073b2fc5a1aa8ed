#include "platform/core/process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

int exitStatusOf(int waitStatus) {
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return WEXITSTATUS(waitStatus);
}

int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return exitStatusOf(status);
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() { reset(); }
    void reset() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

struct Pipe {
    Descriptor read, write;
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read.fd = fds[0];
        write.fd = fds[1];
        return true;
    }
};

enum class ProcessGroup { Caller, Own };

// Starts `argv` with its standard output on `out` (and its standard error on `err` when that
// is not -1); answers the child's pid or an error.
Expected<pid_t> spawn(const std::vector<QByteArray>& argv, int out, bool searchPath, int err = -1,
                      ProcessGroup group = ProcessGroup::Caller) {
    std::vector<char*> args;
    for (const QByteArray& arg : argv)
        args.push_back(const_cast<char*>(arg.constData()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    if (err >= 0)
        posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    // The child starts with default signal handling, even if ours ignores SIGPIPE.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    short flags = POSIX_SPAWN_SETSIGDEF;
    if (group == ProcessGroup::Own) {
        // Group id 0: a new group led by the child, so that it can be killed with everything
        // it started.
        posix_spawnattr_setpgroup(&attributes, 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    }
    posix_spawnattr_setflags(&attributes, flags);

    pid_t pid = 0;
    const int error = searchPath
                          ? posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ)
                          : posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return Error{QStringLiteral("cannot start %1: %2")
                         .arg(QString::fromLocal8Bit(argv[0]), systemError(error))};
    return pid;
}

// Reads what `fd` has now into `into`, keeping at most `limit` bytes; answers false at the end
// of the output or on an error.
bool readAvailable(int fd, QByteArray& into, std::size_t limit) {
    char buffer[65536];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0)
        return errno == EINTR || errno == EAGAIN;
    if (n == 0)
        return false;
    const std::size_t room = limit - std::min(limit, std::size_t(into.size()));
    into.append(buffer, qsizetype(std::min(room, std::size_t(n))));
    return true;
}

// Reads everything `fd` (non-blocking) has now.
void drain(int fd, QByteArray& into, std::size_t limit) {
    for (;;) {
        errno = 0;
        if (!readAvailable(fd, into, limit) || errno == EAGAIN)
            return;
    }
}

} // namespace

Expected<LimitedProcessOutput> runProgramWithLimits(const QString& program,
                                                    const QStringList& arguments,
                                                    const ProcessLimits& limits) {
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(std::max(0.0, limits.timeoutSeconds)));
    std::vector<QByteArray> argv{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        argv.push_back(argument.toLocal8Bit());

    Pipe out, err;
    if (!out.open() || !err.open())
        return Error{QStringLiteral("cannot start %1: %2").arg(program, systemError(errno))};
    auto pid = spawn(argv, out.write.fd, !program.contains(QLatin1Char('/')), err.write.fd,
                     ProcessGroup::Own);
    if (!pid)
        return Error{pid.error()};
    out.write.reset();
    err.write.reset();
    ::fcntl(out.read.fd, F_SETFL, O_NONBLOCK);
    ::fcntl(err.read.fd, F_SETFL, O_NONBLOCK);
    // Readable when the child exits, so that its exit is seen at once even while processes it
    // started hold its output open.
    Descriptor exited;
    exited.fd = int(::syscall(SYS_pidfd_open, *pid, 0));

    LimitedProcessOutput output;
    bool outOpen = true, errOpen = true;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(*pid, &status, WNOHANG);
        if (done == *pid) {
            // Take what is already written, then leave the rest to whoever still writes.
            if (outOpen)
                drain(out.read.fd, output.standardOutput, limits.maxOutputBytes);
            if (errOpen)
                drain(err.read.fd, output.standardError, limits.maxOutputBytes);
            output.exitStatus = exitStatusOf(status);
            return output;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            ::kill(-*pid, SIGKILL);
            output.exitStatus = waitFor(*pid);
            output.timedOut = true;
            return output;
        }
        pollfd fds[3] = {{outOpen ? out.read.fd : -1, POLLIN, 0},
                         {errOpen ? err.read.fd : -1, POLLIN, 0},
                         {exited.fd, POLLIN, 0}};
        // Without a process descriptor (an old kernel) the exit is looked for every 10 ms.
        const int wait = exited.fd >= 0 ? int(std::min<long long>(left.count(), 1000)) : 10;
        if (::poll(fds, 3, wait) < 0 && errno != EINTR)
            return Error{
                QStringLiteral("cannot read from %1: %2").arg(program, systemError(errno))};
        if (outOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            outOpen = readAvailable(out.read.fd, output.standardOutput, limits.maxOutputBytes);
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
            errOpen = readAvailable(err.read.fd, output.standardError, limits.maxOutputBytes);
    }
}

Expected<ProcessOutput> runProgram(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> argv{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        argv.push_back(argument.toLocal8Bit());

    Pipe pipe;
    if (!pipe.open())
        return Error{QStringLiteral("cannot start %1: %2").arg(program, systemError(errno))};
    auto pid = spawn(argv, pipe.write.fd, !program.contains(QLatin1Char('/')));
    if (!pid)
        return Error{pid.error()};
    pipe.write.reset();

    ProcessOutput output;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(pipe.read.fd, buffer, sizeof buffer);
        if (n > 0)
            output.standardOutput.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    output.exitStatus = waitFor(*pid);
    return output;
}

Expected<QByteArray> readShellOutput(const QString& commandLine, std::size_t maxBytes) {
    const std::vector<QByteArray> argv{"/bin/sh", "-c", commandLine.toLocal8Bit()};
    Pipe pipe;
    if (!pipe.open())
        return Error{QStringLiteral("cannot start the shell: %1").arg(systemError(errno))};
    auto pid = spawn(argv, pipe.write.fd, false);
    if (!pid)
        return Error{pid.error()};
    pipe.write.reset();

    // Like one fread: keep reading until the buffer is full or the output ends.
    QByteArray head(qsizetype(maxBytes), '\0');
    std::size_t filled = 0;
    while (filled < maxBytes) {
        const ssize_t n = ::read(pipe.read.fd, head.data() + filled, maxBytes - filled);
        if (n > 0)
            filled += std::size_t(n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    pipe.read.reset();
    waitFor(*pid);
    head.truncate(qsizetype(filled));
    return head;
}

} // namespace platform
