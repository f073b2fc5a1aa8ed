#pragma once

#include "platform/core/expected.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>

namespace platform {

/// What a finished program left behind.
struct ProcessOutput {
    QByteArray standardOutput;
    /// The exit status, or 128 + the signal's number when a signal ended it.
    int exitStatus = 0;
};

/// Runs `program` with `arguments` directly, without a shell, reads its standard output to the
/// end and waits for it to exit. Standard input is /dev/null; standard error is the caller's.
/// A program name without a slash is looked up on PATH. A program that cannot be started is
/// an error, not an exit status. Safe from any thread.
Expected<ProcessOutput> runProgram(const QString& program, const QStringList& arguments = {});

/// Bounds for `runProgramWithLimits`.
struct ProcessLimits {
    /// Seconds the program may run; past them it is killed, with every process it started.
    double timeoutSeconds = 30;
    /// Bytes kept of each of standard output and standard error; the rest is read and dropped.
    std::size_t maxOutputBytes = 65536;
};

/// What a program run with limits left behind.
struct LimitedProcessOutput {
    QByteArray standardOutput;
    QByteArray standardError;
    /// The exit status, or 128 + the signal's number when a signal ended it.
    int exitStatus = 0;
    /// The program was still running at the time limit and was killed.
    bool timedOut = false;
};

/// Runs `program` with `arguments` directly, in a process group of its own, with standard
/// input from /dev/null and both outputs captured within `limits`. The run ends when the
/// program exits: processes it left running in the background keep running (a script may
/// start an application), but its own descendants cannot keep the run alive through its
/// output. At the time limit the whole process group is killed. A program name without a
/// slash is looked up on PATH. Safe from any thread.
Expected<LimitedProcessOutput> runProgramWithLimits(const QString& program,
                                                    const QStringList& arguments,
                                                    const ProcessLimits& limits);

/// The short read of a shell command line: hands `commandLine` to /bin/sh, reads at most
/// `maxBytes` of its standard output in one go, closes the pipe and waits for the pipeline to
/// end. Only the head is read; a writer that goes on past it ends on a broken pipe. Standard
/// error is not captured. Fails only when the shell cannot be started. Safe from any thread.
Expected<QByteArray> readShellOutput(const QString& commandLine, std::size_t maxBytes);

} // namespace platform
