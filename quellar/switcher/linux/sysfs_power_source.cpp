#include "quellar/switcher/linux/sysfs_power_source.h"

#include "platform/core/hw_path.h"
#include "quellar/common/core/sysfs_file.h"

#include <cstdio>
#include <dirent.h>
#include <limits.h>

namespace quellar {

SysfsPowerSource::SysfsPowerSource() : m_folder(platform::hwPath("/sys/class/power_supply")) {}

std::string_view SysfsPowerSource::providingType() {
    PowerSourceDecision decision;
    const std::string& folder = m_folder;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return decision.providingType();
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        char path[PATH_MAX];
        char type[32];
        std::snprintf(path, sizeof path, "%s/%s/type", folder.c_str(), entry->d_name);
        auto length = readHead(path, type, sizeof type);
        if (!length)
            continue;
        std::string_view typeText(type, *length);
        while (!typeText.empty() && (typeText.back() == '\n' || typeText.back() == ' '))
            typeText.remove_suffix(1);

        PowerSupply supply{typeText};
        std::snprintf(path, sizeof path, "%s/%s/online", folder.c_str(), entry->d_name);
        supply.online = readIntegerFile(path).value_or(0) == 1;
        std::snprintf(path, sizeof path, "%s/%s/present", folder.c_str(), entry->d_name);
        supply.present = readIntegerFile(path).value_or(1) != 0;
        decision.add(supply);
    }
    ::closedir(dir);
    return decision.providingType();
}

} // namespace quellar
