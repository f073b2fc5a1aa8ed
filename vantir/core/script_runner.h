#pragma once

#include <QMap>
#include <QString>

namespace vantir {

/// Runs the program's own script templates, found by name among its resources, with named
/// arguments put in. The controller speaks its announcements through it.
class ScriptRunner {
public:
    virtual ~ScriptRunner() = default;

    /// Runs the template `name` with `args` ("speech", "voice", "volume" for "Announce");
    /// answers whether it ran and succeeded.
    virtual bool callScriptNamed(const QString& name, const QMap<QString, QString>& args) = 0;
};

} // namespace vantir
