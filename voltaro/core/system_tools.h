#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>

namespace voltaro {

/// The machine's inspection tools, as Voltaro runs them. Command lines name the tools as
/// "/usr/sbin/system_profiler" and "/usr/sbin/ioreg"; an implementation decides where those
/// really are. Every operation is safe from any thread.
class SystemTools {
public:
    virtual ~SystemTools() = default;

    /// The short read of a shell command line: at most `maxBytes` bytes of its standard
    /// output, read in one go. Nothing when the shell cannot be started.
    virtual std::optional<QByteArray> readShellOutput(const QString& commandLine,
                                                      std::size_t maxBytes) = 0;

    /// Runs `program` directly (no shell), reads its standard output to the end and waits for
    /// it. Nothing when it cannot be started.
    virtual std::optional<QByteArray> runProgram(const QString& program,
                                                 const QStringList& arguments) = 0;

    /// The processor's architecture label ("INTEL", "AMD", "ARM", …).
    virtual QString processorArchitecture() = 0;
};

} // namespace voltaro
