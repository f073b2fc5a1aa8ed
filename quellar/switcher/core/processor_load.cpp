#include "quellar/switcher/core/processor_load.h"

#include "quellar/common/core/sysfs_file.h"

namespace quellar {

std::optional<CpuTicks> parseCpuTicks(std::string_view procStat) {
    const std::size_t lineEnd = procStat.find('\n');
    std::string_view line = procStat.substr(0, lineEnd);
    if (!line.starts_with("cpu ") && !line.starts_with("cpu\t"))
        return std::nullopt;
    line.remove_prefix(3);

    // user nice system idle iowait irq softirq steal guest guest_nice; older kernels stop
    // after idle, so the last six are optional.
    std::uint64_t field[8] = {};
    int count = 0;
    while (count < 8) {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() < '0' || line.front() > '9')
            break;
        auto value = parseLeadingInteger(line);
        if (!value || *value < 0)
            return std::nullopt;
        field[count++] = std::uint64_t(*value);
        while (!line.empty() && line.front() >= '0' && line.front() <= '9')
            line.remove_prefix(1);
    }
    if (count < 4 ||
        (!line.empty() && line.front() != ' ' && line.front() != '\t' && line.front() != '\r'))
        return std::nullopt;
    CpuTicks ticks;
    ticks.user = field[0];
    ticks.nice = field[1];
    ticks.system = field[2] + field[5] + field[6];
    ticks.idle = field[3] + field[4];
    return ticks;
}

std::optional<std::uint32_t> loadBetween(const CpuTicks& previous, const CpuTicks& now) {
    const std::uint64_t total = now.total(), previousTotal = previous.total();
    if (total <= previousTotal || now.idle < previous.idle)
        return std::nullopt;
    const std::uint64_t elapsed = total - previousTotal;
    const std::uint64_t idle = now.idle - previous.idle;
    const std::uint64_t busy = idle < elapsed ? elapsed - idle : 0;
    return std::uint32_t(100 * busy / elapsed);
}

} // namespace quellar
