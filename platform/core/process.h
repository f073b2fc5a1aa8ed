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

/// The short read of a shell command line: hands `commandLine` to /bin/sh, reads at most
/// `maxBytes` of its standard output in one go, closes the pipe and waits for the pipeline to
/// end. Only the head is read; a writer that goes on past it ends on a broken pipe. Standard
/// error is not captured. Fails only when the shell cannot be started. Safe from any thread.
Expected<QByteArray> readShellOutput(const QString& commandLine, std::size_t maxBytes);

} // namespace platform
