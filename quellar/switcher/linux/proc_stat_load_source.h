#pragma once

#include "quellar/common/core/sysfs_file.h"
#include "quellar/switcher/core/processor_load.h"

namespace quellar {

/// /proc/stat under HW_ROOT, kept open and read from offset 0 each time (a file put in its place,
/// as in a test tree, is opened anew). Allocates nothing after construction.
class ProcStatLoadSource final : public LoadSource {
public:
    ProcStatLoadSource();
    std::optional<CpuTicks> read() override;

private:
    KeptFile m_file;
};

} // namespace quellar
