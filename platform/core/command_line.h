#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

namespace platform {

/// The exit status after a command line that cannot be understood.
inline constexpr int kUsageStatus = 2;

/// The version of the whole suite, for programs that have none of their own.
QString suiteVersion();

/// A program's command line, read before any application object exists, so that `--help`,
/// `--version` and a wrong option are answered without a display. Each program declares only
/// its own options; the help and version options and Qt's own window-system options
/// (`-platform`, `-session`, `-style`, …, hidden from the help and left for QGuiApplication to
/// take from argv) are always accepted. Options are long names with one or two dashes.
class CommandLine {
public:
    CommandLine(QString program, QString version, QString description);

    void addOption(const QCommandLineOption& option);

    /// Reads `arguments` (the program's path first). Answers the status to exit with when the
    /// program must stop here: 0 after `--help` (the usage on `out`) or `--version`
    /// ("<program> <version>" on `out`), `kUsageStatus` after an unknown option, a missing
    /// value or a stray argument (the reason and the usage on `err`). Answers nothing when the
    /// program should go on.
    std::optional<int> parse(const QStringList& arguments, QTextStream& out, QTextStream& err);
    /// The same on the process's argv, standard output and standard error.
    std::optional<int> parse(int argc, const char* const* argv);

    bool isSet(const QCommandLineOption& option) const { return m_parser.isSet(option); }
    QString value(const QCommandLineOption& option) const { return m_parser.value(option); }

    /// For a value the program itself finds wrong: writes "<program>: <message>" and the usage
    /// on `err` and answers `kUsageStatus`.
    int usageError(const QString& message, QTextStream& err) const;
    int usageError(const QString& message) const;

    QString usage() const;

private:
    QString m_program;
    QString m_version;
    QCommandLineParser m_parser;
};

} // namespace platform
