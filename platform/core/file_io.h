#pragma once

#include "platform/core/expected.h"

#include <QByteArray>
#include <QString>

namespace platform {

/// Reads a whole file. A missing file is an error like any other; callers that treat it as
/// empty check `QFileInfo::exists` first.
Expected<QByteArray> readFile(const QString& path);

/// Replaces `path` with `bytes` so that a reader, or a crash at any moment, sees either the old
/// file or the new one, never a mixture: the bytes go to a temporary file in the same folder,
/// are flushed to disk, and the temporary file is renamed over `path`. Missing parent folders
/// are created.
Expected<void> writeFileAtomically(const QString& path, const QByteArray& bytes);

/// Moves an unreadable file out of the way so that nothing saves over it: renames `path` to
/// "<path>.unreadable-YYYYMMDD-HHMMSS" (local time, with a counter added if that name is
/// taken) and answers the new path.
Expected<QString> moveAside(const QString& path);

} // namespace platform
