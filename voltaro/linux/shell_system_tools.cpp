#include "voltaro/linux/shell_system_tools.h"

#include "platform/core/hw_root.h"
#include "platform/core/log.h"
#include "platform/core/process.h"
#include "voltaro/core/machine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

namespace voltaro {

namespace {

const QString kToolNames[] = {QStringLiteral("system_profiler"), QStringLiteral("ioreg")};
const QString kMacToolFolder = QStringLiteral("/usr/sbin/");

QString shellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

ShellSystemTools::ShellSystemTools(QString toolsFolder)
    : m_toolsFolder(toolsFolder.isEmpty() ? defaultToolsFolder() : std::move(toolsFolder)) {}

QString ShellSystemTools::defaultToolsFolder() {
    const QString named = qEnvironmentVariable("VOLTARO_TOOLS");
    if (!named.isEmpty())
        return named;
    const QString bin =
        QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    return QDir::cleanPath(bin + QStringLiteral("/" VOLTARO_TOOLS_FROM_BIN));
}

QString ShellSystemTools::rewriteCommandLine(const QString& commandLine) const {
    QString rewritten = commandLine;
    for (const QString& tool : kToolNames)
        rewritten.replace(kMacToolFolder + tool,
                          shellQuoted(m_toolsFolder + QLatin1Char('/') + tool));
    return rewritten;
}

std::optional<QByteArray> ShellSystemTools::readShellOutput(const QString& commandLine,
                                                            std::size_t maxBytes) {
    auto head = platform::readShellOutput(rewriteCommandLine(commandLine), maxBytes);
    if (!head) {
        platform::log(head.error());
        return std::nullopt;
    }
    return *head;
}

std::optional<QByteArray> ShellSystemTools::runProgram(const QString& program,
                                                       const QStringList& arguments) {
    QString path = program;
    if (program.startsWith(kMacToolFolder))
        path = m_toolsFolder + QLatin1Char('/') + program.mid(kMacToolFolder.size());
    auto output = platform::runProgram(path, arguments);
    if (!output) {
        platform::log(output.error());
        return std::nullopt;
    }
    return output->standardOutput;
}

QString ShellSystemTools::processorArchitecture() {
    auto cpuinfo = platform::readHardwareFile(platform::hwPath(QStringLiteral("/proc/cpuinfo")));
    return processorArchitectureLabel(cpuinfo ? *cpuinfo : QByteArray(),
                                      QSysInfo::currentCpuArchitecture());
}

} // namespace voltaro
