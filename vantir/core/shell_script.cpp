#include "vantir/core/shell_script.h"

#include "platform/core/process.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace vantir {

namespace {

constexpr std::size_t kKeptOutputBytes = 64 * 1024;
constexpr double kSyntaxCheckSeconds = 10;

QString firstLine(const QByteArray& bytes) {
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    }
    return {};
}

// A private copy of the script on disk for the interpreter to read.
class ScriptFile {
public:
    explicit ScriptFile(const QString& script)
        : m_file(QDir::tempPath() + QStringLiteral("/vantir-script-XXXXXX")) {
        // QTemporaryFile creates it readable by its owner only.
        m_ok = m_file.open() && m_file.write(script.toUtf8()) >= 0 && m_file.flush();
        m_file.close();
    }
    bool ok() const { return m_ok; }
    QString path() const { return m_file.fileName(); }

private:
    QTemporaryFile m_file;
    bool m_ok = false;
};

// The interpreter's name, looking through "env".
QString interpreterName(const QStringList& interpreter) {
    QString name = QFileInfo(interpreter.value(0)).fileName();
    if (name == QLatin1String("env") && interpreter.size() > 1)
        name = QFileInfo(interpreter[1]).fileName();
    return name;
}

} // namespace

QStringList interpreterFor(const QString& script) {
    if (!script.startsWith(QLatin1String("#!")))
        return {QStringLiteral("/bin/sh")};
    // As the kernel reads the line: the interpreter, then the rest as one argument.
    const QString line = script.mid(2, script.indexOf(QLatin1Char('\n')) - 2).trimmed();
    const qsizetype space = line.indexOf(QRegularExpression(QStringLiteral("[ \t]")));
    if (line.isEmpty())
        return {QStringLiteral("/bin/sh")};
    if (space < 0)
        return {line};
    return {line.left(space), line.mid(space + 1).trimmed()};
}

ScriptResult runScript(const QString& script, double timeoutSeconds) {
    ScriptResult result;
    const ScriptFile file(script);
    if (!file.ok()) {
        result.briefMessage =
            QStringLiteral("The script could not be written to %1.").arg(QDir::tempPath());
        return result;
    }
    const QStringList interpreter = interpreterFor(script);
    const auto run =
        platform::runProgramWithLimits(interpreter.first(), interpreter.mid(1) << file.path(),
                                       platform::ProcessLimits{timeoutSeconds, kKeptOutputBytes});
    if (!run) {
        result.briefMessage = run.error();
        return result;
    }
    result.output = QString::fromUtf8(run->standardOutput);
    result.exitStatus = run->exitStatus;
    result.timedOut = run->timedOut;
    result.succeeded = !run->timedOut && run->exitStatus == 0;
    if (run->timedOut)
        result.briefMessage =
            QStringLiteral("The script ran longer than %1 seconds and was stopped.")
                .arg(timeoutSeconds);
    else
        // The shell names the file it read; the user knows it as "the script".
        result.briefMessage =
            firstLine(run->standardError).replace(file.path(), QStringLiteral("script"));
    return result;
}

SyntaxCheck checkScriptSyntax(const QString& script) {
    const QStringList interpreter = interpreterFor(script);
    const QString name = interpreterName(interpreter);
    QStringList checkArguments;
    static const QStringList shells{QStringLiteral("sh"),   QStringLiteral("dash"),
                                    QStringLiteral("bash"), QStringLiteral("zsh"),
                                    QStringLiteral("ksh"),  QStringLiteral("mksh")};
    if (shells.contains(name)) {
        checkArguments = {QStringLiteral("-n")};
    } else if (name.startsWith(QLatin1String("python"))) {
        // The compiler's own complaint, on one line, rather than a traceback.
        checkArguments = {
            QStringLiteral("-c"),
            QStringLiteral("import sys\n"
                           "try:\n"
                           "    compile(open(sys.argv[1], 'rb').read(), 'script', "
                           "'exec')\n"
                           "except SyntaxError as error:\n"
                           "    sys.exit('line %s: %s' % (error.lineno, error.msg))\n")};
    } else {
        return {};
    }
    const ScriptFile file(script);
    if (!file.ok())
        return {};
    const auto run = platform::runProgramWithLimits(
        interpreter.first(), interpreter.mid(1) << checkArguments << file.path(),
        platform::ProcessLimits{kSyntaxCheckSeconds, kKeptOutputBytes});
    if (!run || run->timedOut)
        return {};
    if (run->exitStatus == 0)
        return {SyntaxCheck::Outcome::Correct, {}};
    // The shell names the file it read; the user knows it as "the script".
    QString message = firstLine(run->standardError);
    message.replace(file.path(), QStringLiteral("script"));
    return {SyntaxCheck::Outcome::Faulty, message};
}

bool looksLikeAppleScript(const QString& script) {
    if (script.startsWith(QLatin1String("#!")))
        return false;
    static const QRegularExpression appleScript(
        QStringLiteral("^\\s*(tell\\s+application\\b|end\\s+tell\\b|display\\s+dialog\\b|"
                       "on\\s+run\\b|end\\s+run\\b)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    return appleScript.match(script).hasMatch();
}

QString shellQuoted(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace vantir
