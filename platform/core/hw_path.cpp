#include "platform/core/hw_path.h"

#include <cstdlib>

namespace platform {

std::string hwPath(std::string_view absolutePath) {
    bool hardware = false;
    for (std::string_view tree : {"/sys", "/proc", "/dev"}) {
        hardware = hardware || absolutePath == tree ||
                   (absolutePath.starts_with(tree) && absolutePath.size() > tree.size() &&
                    absolutePath[tree.size()] == '/');
    }
    const char* variable = std::getenv("HW_ROOT");
    std::string_view root = variable ? variable : "";
    while (root.ends_with('/'))
        root.remove_suffix(1);
    if (!hardware || root.empty())
        return std::string(absolutePath);
    return std::string(root).append(absolutePath);
}

} // namespace platform
