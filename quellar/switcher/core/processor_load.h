#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quellar {

/// The four tick counters of the processor-load figure, summed over all processors.
///
/// Linux splits time finer than four counters. Time waiting for I/O counts as idle: the
/// processor is free then, and a faster clock would not help. Time serving interrupts (irq,
/// softirq) counts as system time, since the processor is busy. Time stolen by a hypervisor
/// is left out of both: it was not ours to use. The guest counters are already inside user and
/// nice and are not added again.
struct CpuTicks {
    std::uint64_t user = 0, system = 0, idle = 0, nice = 0;
    std::uint64_t total() const { return user + system + idle + nice; }
};

/// Reads the counters from the first "cpu" line of /proc/stat text. A missing, short or
/// garbled line gives nothing.
std::optional<CpuTicks> parseCpuTicks(std::string_view procStat);

/// The busy share in percent between two readings, as 100 x (busy ticks) / (all ticks) with
/// integer division; nothing when no tick elapsed or the counters went backwards.
std::optional<std::uint32_t> loadBetween(const CpuTicks& previous, const CpuTicks& now);

/// Where the counters come from.
class LoadSource {
public:
    virtual ~LoadSource() = default;
    virtual std::optional<CpuTicks> read() = 0;
};

} // namespace quellar
