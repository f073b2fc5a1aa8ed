#include "quellar/switcher/linux/proc_stat_load_source.h"

#include "platform/core/hw_path.h"

namespace quellar {

ProcStatLoadSource::ProcStatLoadSource() : m_file(platform::hwPath("/proc/stat")) {}

std::optional<CpuTicks> ProcStatLoadSource::read() {
    // The aggregate line comes first and is well under this size.
    char buffer[512];
    auto n = m_file.read(buffer, sizeof buffer);
    if (!n)
        return std::nullopt;
    return parseCpuTicks(std::string_view(buffer, *n));
}

} // namespace quellar
