// The Fluxen program started from a terminal without any display, and on a display without
// OpenGL.

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

struct ProgramRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

ProgramRun fluxen(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(str("DISPLAY"));
    environment.remove(str("WAYLAND_DISPLAY"));
    environment.remove(str("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("FLUXEN_PROGRAM"), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    // A crash (an abort is status 134 in a shell) shows as -1.
    return ProgramRun{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                      process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutput) {
    const ProgramRun help = fluxen({str("--help")});
    EXPECT_EQ(help.status, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith("Usage: Fluxen")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--simulate"));
    const ProgramRun version = fluxen({str("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QByteArray("Fluxen 1.5\n"));
}

TEST(CommandLine, MistakesAnswerTheUsageOnStandardErrorWithStatusTwo) {
    for (const char* wrong : {"--bogus", "-x", "stray", "--simulate=yes"}) {
        const ProgramRun run = fluxen({str(wrong)});
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith("Fluxen: ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("Usage: Fluxen"));
    }
}

TEST(Display, WithoutOpenGLTheWindowRunsAndQuitsSavingItsSettings) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(str("QT_QPA_PLATFORM"), str("offscreen"));
    environment.insert(str("XDG_CONFIG_HOME"), home.path());
    process.setProcessEnvironment(environment);
    process.setReadChannel(QProcess::StandardError);
    process.start(qEnvironmentVariable("FLUXEN_PROGRAM"), {str("--simulate")});
    ASSERT_TRUE(process.waitForStarted());
    QByteArray err;
    QDeadlineTimer deadline(30000);
    while (!err.contains("offers no OpenGL") && !deadline.hasExpired() &&
           process.state() == QProcess::Running) {
        process.waitForReadyRead(int(deadline.remainingTime()));
        err += process.readAllStandardError();
    }
    EXPECT_TRUE(err.contains("offers no OpenGL")) << err.toStdString();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "it crashed";
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(home.path() + str("/Fluxen.plist")));
}
