#include "platform/testing/program_run.h"

#include <QProcess>

namespace platform::doubles {

ProgramRun runWithoutDisplay(const QString& program, const QStringList& arguments,
                             QProcessEnvironment environment, int timeoutMs) {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(variable));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = "did not finish: " + program.toUtf8();
        return run;
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit)
        run.status = process.exitCode();
    return run;
}

} // namespace platform::doubles
