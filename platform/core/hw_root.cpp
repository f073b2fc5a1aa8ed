#include "platform/core/hw_root.h"

namespace platform {

QString hwPath(const QString& absolutePath) {
    return QString::fromStdString(hwPath(std::string_view(absolutePath.toStdString())));
}

Expected<QByteArray> readHardwareFile(const QString& path, std::size_t cap) {
    const HardwareFile file = readHardwareFile(std::string_view(path.toStdString()), cap);
    if (!file.ok())
        return Error{QString::fromStdString(file.message())};
    return QByteArray::fromStdString(file.content);
}

} // namespace platform
