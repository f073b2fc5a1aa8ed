#pragma once

#include "voltaro/core/system_tools.h"

namespace voltaro {

/// The tools as Linux has them: our stand-ins for `system_profiler` and `ioreg`, which read
/// /sys (under HW_ROOT). Command lines keep the tools' macOS paths; "/usr/sbin/ioreg" and
/// "/usr/sbin/system_profiler" are replaced by the stand-ins in `toolsFolder`.
class ShellSystemTools final : public SystemTools {
public:
    /// `toolsFolder` empty means `defaultToolsFolder()`.
    explicit ShellSystemTools(QString toolsFolder = {});

    /// The folder named by VOLTARO_TOOLS, else the program's libexec folder beside its bin
    /// folder (the same in the build tree as once installed).
    static QString defaultToolsFolder();
    const QString& toolsFolder() const { return m_toolsFolder; }

    /// `commandLine` with the tools' paths pointing into the tools folder, quoted for the shell.
    QString rewriteCommandLine(const QString& commandLine) const;

    std::optional<QByteArray> readShellOutput(const QString& commandLine,
                                              std::size_t maxBytes) override;
    std::optional<QByteArray> runProgram(const QString& program,
                                         const QStringList& arguments) override;
    /// From /proc/cpuinfo (under HW_ROOT), or the architecture Qt was built for.
    QString processorArchitecture() override;

private:
    QString m_toolsFolder;
};

} // namespace voltaro
