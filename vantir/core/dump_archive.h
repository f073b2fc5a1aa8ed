#pragma once

#include "platform/core/expected.h"

#include <QByteArray>
#include <QString>

namespace vantir {

class ModelContext;

/// Loads the archive at `path` as the program loads its own (classes restored, every upgrade
/// applied, duplicate buttons of the first remote's layers removed) without asking, saving or
/// moving anything, and answers it as an XML property list. The error names the file and
/// what is wrong with it. The records restored live in `model`.
platform::Expected<QByteArray> dumpArchive(const QString& path, ModelContext& model);

} // namespace vantir
