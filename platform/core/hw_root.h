#pragma once

#include <QString>

namespace platform {

/// Where a hardware path really is: a path under /sys, /proc or /dev is moved under the folder
/// named by the environment variable HW_ROOT (default "/"), so that tests run the real
/// backends on a fake tree. Other paths come back unchanged. Read on every call.
QString hwPath(const QString& absolutePath);

} // namespace platform
