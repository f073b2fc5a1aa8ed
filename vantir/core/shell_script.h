#pragma once

#include <QString>
#include <QStringList>

namespace vantir {

/// Script actions and the program's own script templates are shell scripts: a script whose
/// first line starts with "#!" runs with the interpreter that line names (and the one
/// argument it may give), any other with /bin/sh.
QStringList interpreterFor(const QString& script);

/// How a script run ended.
struct ScriptResult {
    /// It ran to its end with status 0.
    bool succeeded = false;
    /// Its standard output, as text (the head of it, when it printed a lot).
    QString output;
    /// The first line of its standard error; or why it could not start, or that it ran past
    /// its time limit. Empty when the script failed without a word.
    QString briefMessage;
    bool timedOut = false;
    int exitStatus = 0;
};

/// Runs `script` from a private temporary file, for at most `timeoutSeconds` (then it is
/// killed with everything it started). Output past 64 KiB is read and dropped. Blocks; safe
/// from any thread.
ScriptResult runScript(const QString& script, double timeoutSeconds);

/// The outcome of checking a script's syntax without running it.
struct SyntaxCheck {
    enum class Outcome { Correct, Faulty, NotCheckable };
    Outcome outcome = Outcome::NotCheckable;
    /// For a faulty script, the first line of the checker's complaint.
    QString message;
};

/// Checks the syntax with the interpreter's own check: `-n` for the shells, the compiler for
/// python; other interpreters cannot be checked.
SyntaxCheck checkScriptSyntax(const QString& script);

/// Whether `script` reads like AppleScript (carried over in an archive from the platform the
/// archives come from), which no interpreter here runs.
bool looksLikeAppleScript(const QString& script);

/// `value` quoted for the shell: one word, taken literally whatever it holds.
QString shellQuoted(const QString& value);

} // namespace vantir
