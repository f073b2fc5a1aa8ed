#pragma once

#include "platform/core/resources.h"
#include "vantir/core/classes.h"
#include "vantir/core/script_runner.h"
#include "vantir/core/shell_script.h"

#include <QMap>
#include <QString>

#include <functional>
#include <optional>

namespace platform {
class Defaults;
} // namespace platform

namespace vantir {

class TimedAlerts;

/// The defaults key holding the seconds a script may run before it is stopped, and its value
/// when the key is absent.
inline const QString kScriptTimeoutKey = QStringLiteral("ScriptTimeout");
inline constexpr double kDefaultScriptTimeout = 30;

/// Runs one script to its end: the program hands in a runner that keeps the event loop
/// turning meanwhile, tests one that runs it at once.
using ScriptExecutor = std::function<ScriptResult(const QString& script, double timeoutSeconds)>;

/// `runScript` on a thread of its own while the event loop turns.
ScriptExecutor scriptExecutorOffMainThread();

/// The seconds a script may run, from the defaults.
double scriptTimeout(const platform::Defaults& defaults);

/// `text` with every "%KEY" of `args` replaced by its value quoted for the shell, in one pass.
QString fillIn(const QString& text, const QMap<QString, QString>& args);

/// Performs script actions ("VNTAAppleScript"): runs the action's "script" and reports a
/// failure in an alert that closes by itself after five seconds.
class ScriptPerformer {
public:
    ScriptPerformer(TimedAlerts& alerts, const platform::Defaults& defaults,
                    ScriptExecutor executor)
        : m_alerts(alerts), m_defaults(defaults), m_executor(std::move(executor)) {}

    /// NO when "DontPerformAction" is set (nothing runs) or the script failed; YES when it ran
    /// to its end with status 0.
    bool perform(const VNTAction& action);

private:
    TimedAlerts& m_alerts;
    const platform::Defaults& m_defaults;
    ScriptExecutor m_executor;
};

/// The program's own scripts: templates of type "sh" among its resources, found by name, with
/// named arguments put in. Each argument's value goes in quoted for the shell, so that text a
/// user typed (a layer's name to announce) is spoken, never run. Failures are only logged.
class VantirASHandler final : public ScriptRunner {
public:
    VantirASHandler(platform::Resources resources, const platform::Defaults& defaults,
                    ScriptExecutor executor)
        : m_resources(std::move(resources)), m_defaults(defaults), m_executor(std::move(executor)) {
    }

    /// Runs the template `name` with every "%KEY" replaced by the quoted value of KEY; YES
    /// when it ran to its end with status 0.
    bool callScriptNamed(const QString& name, const QMap<QString, QString>& args) override;
    bool callScriptNamed(const QString& name) { return callScriptNamed(name, {}); }
    /// Runs `source` as it stands.
    bool performScript(const QString& source);
    /// The script's output on success.
    std::optional<QString> resultFromScriptNamed(const QString& name);
    std::optional<QString> resultFromPerformScript(const QString& source);

    /// The output of the last script that succeeded.
    QString resultString() const { return m_resultString; }
    void setResultString(const QString& result) { m_resultString = result; }

    /// The template's text with the arguments put in, or nothing when there is no template.
    std::optional<QString> filledTemplate(const QString& name,
                                          const QMap<QString, QString>& args) const;

private:
    bool run(const QString& source, const QString& logLine);

    platform::Resources m_resources;
    const platform::Defaults& m_defaults;
    ScriptExecutor m_executor;
    QString m_resultString;
};

} // namespace vantir
