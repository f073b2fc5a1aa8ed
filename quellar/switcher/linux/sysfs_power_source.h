#pragma once

#include "quellar/switcher/core/power_source.h"

#include <string>

namespace quellar {

/// /sys/class/power_supply under HW_ROOT, listed anew at every call, since chargers come and
/// go. Garbage in a file counts as that attribute missing.
class SysfsPowerSource final : public PowerSource {
public:
    SysfsPowerSource();
    std::string_view providingType() override;

private:
    std::string m_folder;
};

} // namespace quellar
