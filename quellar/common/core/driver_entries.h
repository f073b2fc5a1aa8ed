#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quellar {

/// The names of the processor driver's six entries.
inline constexpr const char* kControlEntry = "kern.quellar2_ctl";
inline constexpr const char* kBusEntry = "kern.quellar2_bus";
inline constexpr const char* kVoltageEntry = "kern.quellar2_vid";
inline constexpr const char* kTemperatureEntry = "kern.quellar2_temp";
inline constexpr const char* kStatusLowEntry = "kern.quellar2_stseax";
inline constexpr const char* kStatusHighEntry = "kern.quellar2_stsedx";

/// The processor driver's control interface: six signed 32-bit entries read and written by
/// name.
///
/// - "kern.quellar2_ctl" (write): packed setting, bits 8-15 frequency code, bits 0-7 voltage
///   code.
/// - "kern.quellar2_bus" (read): front-side bus clock in MHz.
/// - "kern.quellar2_vid" (read): present core voltage in units of 0.1 mV.
/// - "kern.quellar2_temp" (read): processor temperature in whole degrees Celsius.
/// - "kern.quellar2_stseax" / "kern.quellar2_stsedx" (read): low / high 32 bits of the
///   processor's performance status.
///
/// Reads and writes answer whether they succeeded; a failed read leaves `value` unchanged.
/// Implementations allocate nothing per call, so the daemon's loop stays allocation-free.
class DriverEntries {
public:
    virtual ~DriverEntries() = default;
    virtual bool read(const char* name, std::int32_t& value) = 0;
    virtual bool write(const char* name, std::int32_t value) = 0;
};

/// Picks the backend named by `selection`, the value of the environment variable
/// QUELLAR_DRIVER: "msr" (also when empty or null) for the Linux msr module under HW_ROOT,
/// "sim:DIR" for the simulated processor kept in DIR. When the backend cannot work (no msr
/// module, no permission, no such folder) it is still returned, every call fails, and
/// `problem` says why in one line; otherwise `problem` is left empty. An unknown selection
/// gives null and a problem.
std::unique_ptr<DriverEntries> openDriverEntries(const char* selection, std::string& problem);

} // namespace quellar
