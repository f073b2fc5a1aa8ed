#pragma once

namespace quellar {

/// Where QuellarController's pieces live on the system. The helper writes them as root; the
/// controller reads them as the user. Tests and users without root move them all under
/// QUELLAR_ROOT (see `SystemRoot`).
inline constexpr const char* kInstalledDaemonPath = "/usr/local/sbin/QuellarSwitcher";
inline constexpr const char* kLaunchDaemonLabel = "org.notebooksuite.quellar.switcher";
inline constexpr const char* kLaunchDaemonPath =
    "/etc/quellar/org.notebooksuite.quellar.switcher.plist";
inline constexpr const char* kUnitName = "quellar-switcher.service";
inline constexpr const char* kUnitPath = "/etc/systemd/system/quellar-switcher.service";
/// The "driver": the msr module, loaded at every boot through this file.
inline constexpr const char* kModulesLoadPath = "/etc/modules-load.d/quellar.conf";
/// The installed driver's version, which the update check compares with `kDriverVersion`.
inline constexpr const char* kDriverStampPath = "/etc/quellar/driver-version";
inline constexpr const char* kDriverVersion = "2.0";
/// The kernel's sign that the msr module is loaded.
inline constexpr const char* kDriverModulePath = "/sys/module/msr";
/// The governor that ran before the daemon took the processor over.
inline constexpr const char* kGovernorBackupPath = "/etc/quellar/governor.backup";
/// The cpufreq governors of every processor, one file each: cpu<N>/cpufreq/scaling_governor.
inline constexpr const char* kCpuFolder = "/sys/devices/system/cpu";
/// The live values the daemon publishes for the controller.
inline constexpr const char* kPublishedEntriesPath = "/run/quellar/entries";
/// The governor that leaves the processor to the daemon alone.
inline constexpr const char* kDaemonGovernor = "userspace";

} // namespace quellar
