#pragma once

#include "platform/core/expected.h"
#include "platform/core/hw_file.h"
#include "platform/core/hw_path.h"

#include <QByteArray>
#include <QString>

namespace platform {

/// `hwPath` for Qt callers: /sys, /proc and /dev paths moved under $HW_ROOT.
QString hwPath(const QString& absolutePath);

/// `readHardwareFile` for Qt callers: the bytes of a regular file of at most `cap` bytes, or
/// an error naming the path. Never blocks on a FIFO or a device.
Expected<QByteArray> readHardwareFile(const QString& path, std::size_t cap = kHardwareFileCap);

} // namespace platform
