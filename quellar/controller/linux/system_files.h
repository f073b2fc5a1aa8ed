#pragma once

#include "platform/core/expected.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace quellar {

/// Files that the privileged helper writes, at fixed system paths under a root folder ("/"
/// unless tests move it). Nothing is written or removed through a symbolic link below the root:
/// a link in place of a folder or of the file itself refuses the operation, so no tree that a
/// user prepared can steer a write elsewhere. Missing folders are created (0755).
class SystemFiles {
public:
    /// `root` must be an absolute path to a folder, without "." or ".." components.
    static platform::Expected<SystemFiles> open(const QString& root);

    const QString& root() const { return m_root; }
    /// `path` (absolute, fixed by the caller's code) under the root.
    QString pathOf(const char* path) const;

    /// Replaces the file atomically: a new file beside it, flushed, then renamed over it. Owned
    /// by root when the helper runs as root.
    platform::Expected<void> write(const char* path, const QByteArray& bytes, mode_t mode) const;
    /// Removes the file; a missing file is no error.
    platform::Expected<void> remove(const char* path) const;
    /// Reads a file of at most 64 MiB.
    platform::Expected<QByteArray> read(const char* path) const;

private:
    explicit SystemFiles(QString root) : m_root(std::move(root)) {}
    platform::Expected<void> checkFolders(const char* path, bool create) const;

    QString m_root;
};

} // namespace quellar
