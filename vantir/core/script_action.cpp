#include "vantir/core/script_action.h"

#include "platform/core/defaults.h"
#include "platform/core/file_io.h"
#include "platform/core/log.h"
#include "vantir/core/pause.h"
#include "vantir/core/preferences.h"
#include "vantir/core/timed_alerts.h"

#include <algorithm>

namespace vantir {

namespace {

constexpr int kErrorAlertSeconds = 5;

QString describeFailure(const ScriptResult& result) {
    if (result.briefMessage.isEmpty())
        return QStringLiteral("exit status %1").arg(result.exitStatus);
    // A script that ran past its limit or could not start says so in its message alone.
    if (result.timedOut || result.exitStatus == 0)
        return result.briefMessage;
    return QStringLiteral("exit status %1: %2").arg(result.exitStatus).arg(result.briefMessage);
}

} // namespace

QString fillIn(const QString& text, const QMap<QString, QString>& args) {
    // Longer names first, so that "%speech" cannot take the start of "%speechRate".
    QStringList keys = args.keys();
    std::sort(keys.begin(), keys.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    // One pass over the template: a value put in is never searched again, so a value holding
    // "%voice" stays as it is.
    QString filled;
    filled.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%')) {
            const auto key = std::find_if(keys.cbegin(), keys.cend(), [&](const QString& name) {
                return !name.isEmpty() && QStringView(text).mid(i + 1).startsWith(name);
            });
            if (key != keys.cend()) {
                filled += shellQuoted(args.value(*key));
                i += key->size();
                continue;
            }
        }
        filled += text[i];
    }
    return filled;
}

ScriptExecutor scriptExecutorOffMainThread() {
    return [](const QString& script, double timeoutSeconds) {
        ScriptResult result;
        runOffMainThread([&] { result = runScript(script, timeoutSeconds); });
        return result;
    };
}

double scriptTimeout(const platform::Defaults& defaults) {
    const qint64 seconds =
        integerForKey(defaults, kScriptTimeoutKey, qint64(kDefaultScriptTimeout));
    return seconds > 0 ? double(seconds) : kDefaultScriptTimeout;
}

bool ScriptPerformer::perform(const VNTAction& action) {
    if (m_defaults.boolForKey(QStringLiteral("DontPerformAction")))
        return false;
    const QString script = action.stringForKey(QStringLiteral("script"));
    const ScriptResult result = m_executor(script, scriptTimeout(m_defaults));
    if (result.succeeded)
        return true;

    QString message = result.briefMessage.isEmpty()
                          ? QStringLiteral("AppleScript was canceled")
                          : QStringLiteral("%1\n\nPlease check the syntax of the script!")
                                .arg(result.briefMessage);
    if (looksLikeAppleScript(script))
        message += QStringLiteral("\n\nThis script is written in AppleScript, which does not run "
                                  "on this system. Scripts here are shell scripts.");
    m_alerts.runTimedAlert(TimedAlert{
        QStringLiteral("Vantir Alert"),
        QStringLiteral("Error while executing an AppleScript action:\n\n%1").arg(message),
        QStringLiteral("OK"),
        {},
        {},
        kErrorAlertSeconds});
    return false;
}

std::optional<QString> VantirASHandler::filledTemplate(const QString& name,
                                                       const QMap<QString, QString>& args) const {
    const QString path = m_resources.pathForResource(name, QStringLiteral("sh"));
    if (path.isEmpty())
        return std::nullopt;
    const auto bytes = platform::readFile(path);
    if (!bytes)
        return std::nullopt;
    return fillIn(QString::fromUtf8(*bytes), args);
}

bool VantirASHandler::callScriptNamed(const QString& name, const QMap<QString, QString>& args) {
    const std::optional<QString> text = filledTemplate(name, args);
    if (!text) {
        platform::log(
            QStringLiteral("VantirASHandler::callScriptNamed: could not read from script '%1'")
                .arg(name));
        return false;
    }
    return run(*text, QStringLiteral("VantirASHandler::callScriptNamed errorDict: %1"));
}

bool VantirASHandler::performScript(const QString& source) {
    return run(source, QStringLiteral("VantirASHandler::performScript: errorDict %1"));
}

std::optional<QString> VantirASHandler::resultFromScriptNamed(const QString& name) {
    if (!callScriptNamed(name))
        return std::nullopt;
    return m_resultString;
}

std::optional<QString> VantirASHandler::resultFromPerformScript(const QString& source) {
    if (!performScript(source))
        return std::nullopt;
    return m_resultString;
}

bool VantirASHandler::run(const QString& source, const QString& logLine) {
    const ScriptResult result = m_executor(source, scriptTimeout(m_defaults));
    if (!result.succeeded) {
        platform::log(logLine.arg(describeFailure(result)));
        return false;
    }
    m_resultString = result.output;
    return true;
}

} // namespace vantir
