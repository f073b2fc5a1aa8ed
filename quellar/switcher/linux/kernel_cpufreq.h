#pragma once

#include <string>

namespace quellar {

/// One line for the log when the kernel's own cpufreq driver steers a processor under HW_ROOT
/// with a governor other than "userspace": that governor writes the same control register as
/// the daemon, so each would undo the other's settings. Empty when no processor has one. Reads
/// /sys/devices/system/cpu/cpuN/cpufreq/scaling_driver and scaling_governor.
std::string kernelCpufreqConflict();

} // namespace quellar
