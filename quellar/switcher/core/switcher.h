#pragma once

#include "quellar/common/core/driver_entries.h"
#include "quellar/switcher/core/command_line.h"
#include "quellar/switcher/core/power_source.h"
#include "quellar/switcher/core/processor_load.h"

namespace quellar {

/// Where the loop says what goes wrong while it runs, one line at a time. Lines are written
/// without allocating.
class SwitcherLog {
public:
    virtual ~SwitcherLog() = default;
    virtual void line(const char* text) = 0;
};

/// The daemon's sampling loop, one pass at a time: temperature, load, step, and every three
/// seconds' worth of samples the power source. Allocates nothing.
///
/// Where the rules leave room:
/// - a sample in which no tick elapsed (or a failed read of the counters) measures nothing, and
///   the last load figure stays in force;
/// - the load figure before the first measurement is 0;
/// - no step up while the overheat flag is set, even at the lowest entry, where the last load
///   figure still dates from before the limit was passed;
/// - when the active source has no temperature limit, the overheat flag is cleared: a limit
///   that does not apply cannot hold the processor down.
class Switcher {
public:
    /// The first write the driver refuses is reported to `log`, when there is one; the later
    /// ones would only repeat it many times a second.
    Switcher(SwitcherState& state, DriverEntries& driver, LoadSource& load, PowerSource& power,
             SwitcherLog* log = nullptr);

    /// Checks the power source with force and writes the first entry of the active table a
    /// second time.
    void start();
    /// One pass of the loop, without the sleep that follows it.
    void sample();
    /// The power-source check; on a change (or with `force`) jumps to the first entry of the
    /// other table and takes its sampling rate.
    void log_ut(bool force);

    /// Microseconds to sleep after each pass.
    std::int32_t delay() const { return m_state.delay; }
    bool overheated() const { return m_overheat; }
    std::uint32_t load() const { return m_load; }

private:
    void writeSetting(std::uint32_t setting);

    SwitcherState& m_state;
    DriverEntries& m_driver;
    LoadSource& m_loadSource;
    PowerSource& m_powerSource;
    SwitcherLog* m_log;
    bool m_refusalReported = false;

    bool m_overheat = false;
    std::uint32_t m_load = 0;
    CpuTicks m_previous;
    std::int32_t m_samples = 0;
    std::int32_t m_temperature = 0;
};

} // namespace quellar
