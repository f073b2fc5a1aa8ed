// quellar-helper: the only part of QuellarController that runs as root. It takes one fixed
// verb (see HelperVerb) with checked arguments and acts on fixed system paths. Started by
// pkexec, it trusts nothing of its caller's environment.

#include "platform/core/process.h"
#include "platform/core/property_list.h"
#include "quellar/common/core/driver_entries.h"
#include "quellar/controller/core/helper_request.h"
#include "quellar/controller/core/system_paths.h"
#include "quellar/controller/linux/system_files.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

using namespace quellar;
using platform::Error;
using platform::Expected;

enum ExitStatus { kDone = 0, kFailed = 1, kRefused = 2 };

constexpr const char* kFixedPath = "/usr/sbin:/usr/bin:/sbin:/bin";

struct Environment {
    bool privileged = false; ///< started by pkexec
    QString root = QStringLiteral("/");
    QString driver; ///< QUELLAR_DRIVER, honoured only when not privileged
};

void say(const QString& line) {
    std::fprintf(stderr, "quellar-helper: %s\n", line.toLocal8Bit().constData());
}

Environment readEnvironment() {
    Environment environment;
    environment.privileged = std::getenv("PKEXEC_UID") != nullptr;
    if (environment.privileged) {
        // Nothing the caller set may redirect what root runs, reads or writes.
        ::setenv("PATH", kFixedPath, 1);
        ::unsetenv("HW_ROOT");
        ::unsetenv("QUELLAR_ROOT");
        ::unsetenv("QUELLAR_DRIVER");
        return environment;
    }
    if (const char* root = std::getenv("QUELLAR_ROOT"); root && *root)
        environment.root = QString::fromLocal8Bit(root);
    if (const char* driver = std::getenv("QUELLAR_DRIVER"))
        environment.driver = QString::fromLocal8Bit(driver);
    return environment;
}

Expected<void> runTool(const QString& tool, const QStringList& arguments) {
    const auto run = platform::runProgram(tool, arguments);
    if (!run)
        return Error{run.error()};
    if (run->exitStatus != 0)
        return Error{QStringLiteral("%1 %2 ended with status %3")
                         .arg(tool, arguments.join(QLatin1Char(' ')))
                         .arg(run->exitStatus)};
    return {};
}

// The switcher program that came with this helper: beside it in the build, in the suite's
// bin folder once installed (the helper lives in libexec/notebook-suite).
Expected<QByteArray> daemonProgram(const SystemFiles&) {
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QDir folder = QFileInfo(self).dir();
    for (const QString& candidate :
         {folder.filePath(QStringLiteral("QuellarSwitcher")),
          folder.filePath(QStringLiteral("../../bin/QuellarSwitcher"))}) {
        QFile file(candidate);
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    return Error{QStringLiteral("no QuellarSwitcher beside %1").arg(self)};
}

Expected<QByteArray> readStandardInput() {
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0)
            return Error{QStringLiteral("cannot read the launch-daemon file from standard input")};
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
        if (bytes.size() > kMaxConfigBytes)
            return Error{QStringLiteral("refused: the launch-daemon file is larger than %1 bytes")
                             .arg(kMaxConfigBytes)};
    }
}

Expected<void> writeLaunchDaemonFile(const SystemFiles& files, const QStringList& arguments,
                                     bool disabled) {
    platform::Array list;
    for (const QString& argument : arguments)
        list.push_back(argument);
    platform::Dictionary root{
        {QStringLiteral("Label"), QString::fromUtf8(kLaunchDaemonLabel)},
        {QStringLiteral("ProgramArguments"), platform::Value::newArray(std::move(list))}};
    if (disabled)
        root[QStringLiteral("Disabled")] = true;
    const auto bytes = platform::writeXmlPropertyList(platform::Value::newDictionary(root));
    if (!bytes)
        return Error{bytes.error()};
    return files.write(kLaunchDaemonPath, *bytes, 0644);
}

// The installed file's arguments and whether its job is disabled. A file that is missing or
// that fails the checks reads as the program path alone.
std::pair<QStringList, bool> installedLaunchDaemon(const SystemFiles& files) {
    const QStringList bare{QString::fromUtf8(kInstalledDaemonPath)};
    const auto bytes = files.read(kLaunchDaemonPath);
    if (!bytes)
        return {bare, true};
    const auto parsed = platform::readPropertyList(*bytes);
    const platform::DictionaryRef root = parsed ? parsed->toDictionary() : nullptr;
    if (!root)
        return {bare, true};
    const bool disabled = root->count(QStringLiteral("Disabled")) != 0;
    const auto arguments = parseLaunchDaemonFile(*bytes);
    return {arguments ? *arguments : bare, disabled};
}

Expected<void> setJobDisabled(const SystemFiles& files, bool disabled) {
    const auto [arguments, wasDisabled] = installedLaunchDaemon(files);
    Q_UNUSED(wasDisabled);
    const QString unit = QString::fromUtf8(kUnitName);
    if (auto done = runTool(QStringLiteral("systemctl"),
                            {disabled ? QStringLiteral("disable") : QStringLiteral("enable"),
                             QStringLiteral("--now"), unit});
        !done)
        return done;
    return writeLaunchDaemonFile(files, arguments, disabled);
}

std::unique_ptr<DriverEntries> driverEntries(const Environment& environment) {
    std::string problem;
    const QByteArray selection =
        environment.privileged ? QByteArray("msr") : environment.driver.toLocal8Bit();
    auto driver = openDriverEntries(selection.constData(), problem);
    if (!problem.empty())
        say(QString::fromStdString(problem));
    return driver;
}

QStringList governorFiles(const SystemFiles& files) {
    QStringList found;
    const QDir cpus(files.pathOf(kCpuFolder));
    static const QRegularExpression cpu(QStringLiteral("\\Acpu[0-9]+\\z"));
    for (const QString& name : cpus.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString governor = cpus.filePath(name + QStringLiteral("/cpufreq/scaling_governor"));
        if (cpu.match(name).hasMatch() && QFileInfo::exists(governor))
            found << governor;
    }
    return found;
}

bool isGovernorName(const QByteArray& name) {
    static const QRegularExpression plain(QStringLiteral("\\A[a-z0-9_-]{1,32}\\z"));
    return plain.match(QString::fromLatin1(name)).hasMatch();
}

// Governor files are the kernel's: they are written in place, as sysfs wants.
Expected<void> setGovernor(const QStringList& governors, const QByteArray& name) {
    for (const QString& path : governors) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(name + '\n') != name.size() + 1 ||
            !file.flush())
            return Error{
                QStringLiteral("cannot set the governor of %1: %2").arg(path, file.errorString())};
    }
    return {};
}

Expected<void> perform(const HelperRequest& request, const Environment& environment,
                       const SystemFiles& files) {
    switch (request.verb) {
    case HelperVerb::InstallDaemon: {
        const auto program = daemonProgram(files);
        if (!program)
            return Error{program.error()};
        return files.write(kInstalledDaemonPath, *program, 0755);
    }
    case HelperVerb::RemoveDaemon:
        return files.remove(kInstalledDaemonPath);
    case HelperVerb::InstallConfig:
        if (QFileInfo::exists(files.pathOf(kLaunchDaemonPath)))
            return {};
        // Like a launch daemon put in place, the job counts as enabled: the first save of the
        // tables writes its unit and starts it.
        return writeLaunchDaemonFile(files, {QString::fromUtf8(kInstalledDaemonPath)}, false);
    case HelperVerb::RemoveConfig: {
        if (auto removed = files.remove(kLaunchDaemonPath); !removed)
            return removed;
        if (auto removed = files.remove(kUnitPath); !removed)
            return removed;
        return runTool(QStringLiteral("systemctl"), {QStringLiteral("daemon-reload")});
    }
    case HelperVerb::WriteConfig: {
        const auto input = readStandardInput();
        if (!input)
            return Error{input.error()};
        const auto arguments = parseLaunchDaemonFile(*input);
        if (!arguments)
            return Error{QStringLiteral("refused: %1").arg(arguments.error())};
        const bool disabled = installedLaunchDaemon(files).second;
        if (auto written = writeLaunchDaemonFile(files, *arguments, disabled); !written)
            return written;
        if (auto written = files.write(kUnitPath, switcherUnit(*arguments), 0644); !written)
            return written;
        return runTool(QStringLiteral("systemctl"), {QStringLiteral("daemon-reload")});
    }
    case HelperVerb::InstallDriver: {
        if (auto written = files.write(kModulesLoadPath, "msr\n", 0644); !written)
            return written;
        return files.write(kDriverStampPath, QByteArray(kDriverVersion) + '\n', 0644);
    }
    case HelperVerb::RemoveDriver: {
        if (auto removed = files.remove(kModulesLoadPath); !removed)
            return removed;
        return files.remove(kDriverStampPath);
    }
    case HelperVerb::LoadDriver:
        return runTool(QStringLiteral("modprobe"), {QStringLiteral("msr")});
    case HelperVerb::UnloadDriver:
        return runTool(QStringLiteral("modprobe"), {QStringLiteral("-r"), QStringLiteral("msr")});
    case HelperVerb::EnableDaemon:
        return setJobDisabled(files, false);
    case HelperVerb::DisableDaemon:
        return setJobDisabled(files, true);
    case HelperVerb::SetControl: {
        const auto driver = driverEntries(environment);
        if (!driver || !driver->write(kControlEntry, std::int32_t(request.setting)))
            return Error{
                QStringLiteral("the processor did not take the setting %1").arg(request.setting)};
        return {};
    }
    case HelperVerb::GovernorUserspace: {
        const QStringList governors = governorFiles(files);
        if (governors.isEmpty())
            return {}; // No cpufreq: the daemon holds the processor already.
        QFile first(governors.first());
        const QByteArray present =
            first.open(QIODevice::ReadOnly) ? first.readAll().trimmed() : QByteArray();
        if (!QFileInfo::exists(files.pathOf(kGovernorBackupPath)) && isGovernorName(present) &&
            present != kDaemonGovernor) {
            if (auto kept = files.write(kGovernorBackupPath, present + '\n', 0644); !kept)
                return kept;
        }
        return setGovernor(governors, kDaemonGovernor);
    }
    case HelperVerb::GovernorRestore: {
        const auto kept = files.read(kGovernorBackupPath);
        if (!kept)
            return Error{QStringLiteral("no governor was kept: %1").arg(kept.error())};
        const QByteArray name = kept->trimmed();
        if (!isGovernorName(name))
            return Error{QStringLiteral("the kept governor is no governor's name")};
        return setGovernor(governorFiles(files), name);
    }
    case HelperVerb::ReadStatus: {
        const auto driver = driverEntries(environment);
        std::int32_t low = 0, high = 0, bus = 0;
        if (!driver || !driver->read(kStatusLowEntry, low) ||
            !driver->read(kStatusHighEntry, high) || !driver->read(kBusEntry, bus))
            return Error{QStringLiteral("cannot read the processor's status")};
        std::printf("%d\n%d\n%d\n", low, high, bus);
        return {};
    }
    case HelperVerb::Reboot:
        return runTool(QStringLiteral("reboot"), {});
    }
    return Error{QStringLiteral("unknown verb")};
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments == QStringList{QStringLiteral("--help")}) {
        std::puts(
            "usage: quellar-helper VERB [SETTING]\n\n"
            "The privileged helper of QuellarController, started through pkexec. Verbs:\n"
            "install-daemon, remove-daemon, install-config, remove-config, write-config\n"
            "(the launch-daemon file on standard input), install-driver, remove-driver,\n"
            "load-driver, unload-driver, enable-daemon, disable-daemon, set-control SETTING,\n"
            "governor-userspace, governor-restore, read-status, reboot.");
        return kDone;
    }
    if (arguments == QStringList{QStringLiteral("--version")}) {
        std::puts("quellar-helper version 1.0");
        return kDone;
    }
    const Environment environment = readEnvironment();
    const auto request = parseHelperRequest(arguments);
    if (!request) {
        say(QStringLiteral("refused: %1").arg(request.error()));
        return kRefused;
    }
    const auto files = SystemFiles::open(environment.root);
    if (!files) {
        say(QStringLiteral("refused: %1").arg(files.error()));
        return kRefused;
    }
    const auto done = perform(*request, environment, *files);
    if (!done) {
        say(done.error());
        return done.error().startsWith(QStringLiteral("refused:")) ? kRefused : kFailed;
    }
    return kDone;
}
