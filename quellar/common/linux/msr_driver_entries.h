#pragma once

#include "quellar/common/core/driver_entries.h"

#include <vector>

namespace quellar {

/// The driver entries on Linux's msr module, which gives each processor's model-specific
/// registers as /dev/cpu/N/msr (pread/pwrite of 8 bytes at the register's number):
///
/// - control: bits 0-15 of IA32_PERF_CTL (0x199) on every online processor, other bits kept;
/// - status low/high: the two halves of IA32_PERF_STATUS (0x198) of processor 0;
/// - voltage: from the VID in bits 0-5 of that status, 0.7125 V + 12.5 mV a step;
/// - bus: from MSR_FSB_FREQ (0xCD) bits 2-0;
/// - temperature: the coretemp hwmon's package sensor, or else its hottest core.
///
/// Files are opened once, at construction.
class MsrDriverEntries final : public DriverEntries {
public:
    MsrDriverEntries();
    ~MsrDriverEntries() override;
    MsrDriverEntries(const MsrDriverEntries&) = delete;
    MsrDriverEntries& operator=(const MsrDriverEntries&) = delete;

    /// Why no entry works, or empty when the registers can be used.
    const std::string& problem() const { return m_problem; }

    bool read(const char* name, std::int32_t& value) override;
    bool write(const char* name, std::int32_t value) override;

private:
    bool readRegister(int fd, std::uint32_t address, std::uint64_t& value) const;
    bool readTemperature(std::int32_t& value) const;

    std::vector<int> m_cpus;         // msr files, processor 0 first
    std::vector<int> m_temperatures; // the package sensor alone, or every core sensor
    std::string m_problem;
};

} // namespace quellar
