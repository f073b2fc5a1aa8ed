#include "platform/core/hw_root.h"

namespace platform {

QString hwPath(const QString& absolutePath) {
    return QString::fromStdString(hwPath(std::string_view(absolutePath.toStdString())));
}

} // namespace platform
