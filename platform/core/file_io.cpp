#include "platform/core/file_io.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

Expected<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Error{QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
    return bytes;
}

Expected<void> writeFileAtomically(const QString& path, const QByteArray& bytes) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Error{QStringLiteral("cannot create the folder %1").arg(folder)};
    // QSaveFile writes to a temporary file beside the target, syncs it and renames it over
    // the target on commit; until then the old file is untouched.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Error{QStringLiteral("cannot write %1: %2").arg(path, file.errorString())};
    if (file.write(bytes) != bytes.size() || !file.commit())
        return Error{QStringLiteral("cannot write %1: %2").arg(path, file.errorString())};
    return {};
}

Expected<QString> moveAside(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = QStringLiteral("%1.unreadable-%2").arg(path, stamp);
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = QStringLiteral("%1.unreadable-%2-%3").arg(path, stamp).arg(n);
    if (!QFile::rename(path, target))
        return Error{QStringLiteral("cannot move %1 aside").arg(path)};
    return target;
}

} // namespace platform
