#pragma once

#include "platform/core/hw_path.h"

#include <QString>

namespace platform {

/// `hwPath` for Qt callers: /sys, /proc and /dev paths moved under $HW_ROOT.
QString hwPath(const QString& absolutePath);

} // namespace platform
