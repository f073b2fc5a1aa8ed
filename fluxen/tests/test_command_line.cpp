// The Fluxen program started from a terminal without any display, and on a display without
// OpenGL.

#include "platform/testing/program_run.h"

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

using platform::doubles::ProgramRun;

ProgramRun fluxen(const QStringList& arguments) {
    return platform::doubles::runWithoutDisplay(qEnvironmentVariable("FLUXEN_PROGRAM"), arguments);
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
