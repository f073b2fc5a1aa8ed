#pragma once

#include "quellar/common/core/driver_entries.h"
#include "quellar/common/core/sysfs_file.h"

#include <array>

namespace quellar {

/// A simulated processor whose state lives in a folder, so that the daemon, the controller and
/// tests all see the same processor. The folder holds one file per entry, named by the entry,
/// with a decimal integer and a newline. Reading an entry reads its file; a missing or
/// unparsable file fails the read. Writing the control entry replaces its file, appends the
/// value as a decimal line to "ctl.log", and, where their files exist, makes the processor
/// follow: bits 8-15 of the status low word take the frequency code, and the voltage entry
/// takes the voltage of the voltage code.
class SimulatedDriverEntries final : public DriverEntries {
public:
    explicit SimulatedDriverEntries(std::string folder);

    const std::string& folder() const { return m_folder; }

    bool read(const char* name, std::int32_t& value) override;
    bool write(const char* name, std::int32_t value) override;

    /// Fills `folder` (created if needed) with a processor of the Core 2 Duo class: bus 200 MHz,
    /// ratios 6 to 12, voltage codes 12 to 40, running at its highest setting, at 50 degrees.
    /// "PerformanceStateArray" lists its factory states, fastest first, one packed setting a
    /// line: 12/40, 10/32, 8/24 and 6/12.
    static bool create(const std::string& folder, std::string& problem);

private:
    KeptFile* fileOf(const char* name);
    bool writeEntry(const char* name, std::int32_t value);

    std::string m_folder;
    // The entries' files, kept open for reading; ctl.log last.
    std::array<std::unique_ptr<KeptFile>, 7> m_files;
};

/// The voltage of a voltage code, in the voltage entry's units of 0.1 mV.
constexpr std::int32_t voltageOfCode(int code) {
    return 7125 + 125 * code;
}

} // namespace quellar
