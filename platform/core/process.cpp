#include "platform/core/process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
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

// Starts `argv` with its standard output on `out`; answers the child's pid or an error.
Expected<pid_t> spawn(const std::vector<QByteArray>& argv, int out, bool searchPath) {
    std::vector<char*> args;
    for (const QByteArray& arg : argv)
        args.push_back(const_cast<char*>(arg.constData()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    // The child starts with default signal handling, even if ours ignores SIGPIPE.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

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

} // namespace

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
