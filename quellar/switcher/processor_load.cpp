#include "processor_load.h"

#include "common/sysfs_file.h"
#include "core/hw_path.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

ProcStatLoadSource::ProcStatLoadSource() {
    const std::string path = platform::hwPath("/proc/stat");
    std::strncpy(m_path, path.c_str(), sizeof m_path - 1);
    m_path[sizeof m_path - 1] = '\0';
    reopenIfReplaced();
}

ProcStatLoadSource::~ProcStatLoadSource() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void ProcStatLoadSource::reopenIfReplaced() {
    struct stat info;
    if (::stat(m_path, &info) != 0)
        return;
    if (m_fd >= 0 && info.st_dev == m_device && info.st_ino == m_inode)
        return;
    const int fd = ::open(m_path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    m_device = info.st_dev;
    m_inode = info.st_ino;
}

std::optional<CpuTicks> ProcStatLoadSource::read() {
    reopenIfReplaced();
    // The aggregate line comes first and is well under this size.
    char buffer[512];
    auto n = readHead(m_fd, buffer, sizeof buffer);
    if (!n)
        return std::nullopt;
    return parseCpuTicks(std::string_view(buffer, *n));
}

} // namespace quellar
