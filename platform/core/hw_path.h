#pragma once

#include <string>
#include <string_view>

namespace platform {

/// Where a hardware path really is: a path under /sys, /proc or /dev is moved under the folder
/// named by the environment variable HW_ROOT (default "/"), so that tests run the real
/// backends on a fake tree. Other paths come back unchanged. Reads the environment on every
/// call. Free of Qt, for the daemon.
std::string hwPath(std::string_view absolutePath);

} // namespace platform
