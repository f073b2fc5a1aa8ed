#pragma once

#include "platform/core/expected.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace quellar {

/// What quellar-helper may do, and nothing else. Each verb is a fixed operation on fixed
/// system paths; the caller chooses no path and no command.
enum class HelperVerb {
    InstallDaemon,     ///< copy the QuellarSwitcher beside the helper into place
    RemoveDaemon,      ///< remove the installed daemon program
    InstallConfig,     ///< the launch-daemon file with only the program path
    RemoveConfig,      ///< the launch-daemon file and the unit
    WriteConfig,       ///< a launch-daemon file read from standard input, and the unit from it
    InstallDriver,     ///< load the msr module at every boot, and stamp its version
    RemoveDriver,      ///< undo InstallDriver
    LoadDriver,        ///< modprobe msr
    UnloadDriver,      ///< modprobe -r msr
    EnableDaemon,      ///< systemctl enable --now, and clear "Disabled"
    DisableDaemon,     ///< systemctl disable --now, and set "Disabled"
    SetControl,        ///< write one packed setting to the control entry
    GovernorUserspace, ///< keep the present governor aside and hand the processor to the daemon
    GovernorRestore,   ///< put the kept governor back
    ReadStatus,        ///< print the status words and the bus clock, one per line
    Reboot,            ///< restart the machine
};

struct HelperRequest {
    HelperVerb verb;
    std::uint32_t setting = 0; ///< SetControl's packed setting
};

/// The verbs as written on the helper's command line.
QString verbName(HelperVerb verb);

/// Reads the helper's arguments (without the program name): a verb and, for "set-control",
/// one decimal packed setting of at most 16 bits. Anything else is refused with a reason.
platform::Expected<HelperRequest> parseHelperRequest(const QStringList& arguments);

/// The most bytes of a launch-daemon file the helper reads from its standard input.
inline constexpr qsizetype kMaxConfigBytes = 64 * 1024;

/// Checks the daemon's eleven arguments: the installed program's path, "-a" and an adapter
/// list, "-b" and a battery list, then "-l" with "lower:upper", "-i" with a rate of 1 to 50 and
/// "-t" with a limit of 1 to 150 degrees, each pair possibly two empty strings. A list is up to
/// 30 packed settings of 16 bits, each followed by a colon. Answers why when they are not.
platform::Expected<void> checkDaemonArguments(const QStringList& arguments);

/// Reads a launch-daemon file as the helper receives it: a property list whose root dictionary
/// holds "ProgramArguments" (checked as above) and at most "Label" (ours) and "Disabled". Answers
/// the eleven arguments.
platform::Expected<QStringList> parseLaunchDaemonFile(const QByteArray& bytes);

/// The systemd unit that runs the daemon with `arguments` (already checked), empty ones quoted.
QByteArray switcherUnit(const QStringList& arguments);

} // namespace quellar
