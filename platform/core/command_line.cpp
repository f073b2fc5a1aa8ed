#include "platform/core/command_line.h"

#include <QTextStream>

#include <cstdio>

namespace platform {

namespace {

// QGuiApplication takes these from argv; hidden here so that they are neither shown nor
// refused. "-session" in particular is how the session manager restarts a program.
const char* const kQtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "title",         "name",   "qmljsdebugger",
};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

QCommandLineOption hidden(const char* name, const QString& valueName = {}) {
    QCommandLineOption option(QString::fromLatin1(name), QString(), valueName);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

} // namespace

QString suiteVersion() {
    return QStringLiteral(SUITE_VERSION);
}

CommandLine::CommandLine(QString program, QString version, QString description)
    : m_program(std::move(program)), m_version(std::move(version)) {
    m_parser.setApplicationDescription(description);
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    for (const char* name : kQtOptionsWithValue)
        m_parser.addOption(hidden(name, QStringLiteral("value")));
    for (const char* name : kQtFlags)
        m_parser.addOption(hidden(name));
}

void CommandLine::addOption(const QCommandLineOption& option) {
    m_parser.addOption(option);
}

QString CommandLine::usage() const {
    // Qt names the program after the application object's path, or not at all before one
    // exists; the usage line names it as the user knows it.
    QString text = m_parser.helpText();
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: %1 [options]").arg(m_program) + text.mid(lineEnd);
}

int CommandLine::usageError(const QString& message, QTextStream& err) const {
    err << m_program << ": " << message << '\n' << usage();
    err.flush();
    return kUsageStatus;
}

int CommandLine::usageError(const QString& message) const {
    QTextStream err(stderr);
    return usageError(message, err);
}

std::optional<int> CommandLine::parse(const QStringList& arguments, QTextStream& out,
                                      QTextStream& err) {
    if (!m_parser.parse(arguments))
        return usageError(m_parser.errorText(), err);
    if (m_parser.isSet(QStringLiteral("help")) || m_parser.isSet(QStringLiteral("help-all"))) {
        out << usage();
        out.flush();
        return 0;
    }
    if (m_parser.isSet(QStringLiteral("version"))) {
        out << m_program << ' ' << m_version << '\n';
        out.flush();
        return 0;
    }
    if (!m_parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(m_parser.positionalArguments().first()),
            err);
    return std::nullopt;
}

std::optional<int> CommandLine::parse(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return parse(arguments, out, err);
}

} // namespace platform
