#include "platform/core/process.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>
#include <signal.h>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(RunProgram, ReadsAllOutputAndTheExitStatusWithoutAShell) {
    auto result = runProgram(str("printf"), {str("%s|"), str("a b"), str("$HOME"), str("*")});
    ASSERT_TRUE(result) << result.error().toStdString();
    EXPECT_EQ(result->standardOutput, QByteArray("a b|$HOME|*|"));
    EXPECT_EQ(result->exitStatus, 0);

    auto large = runProgram(str("/bin/sh"), {str("-c"), str("head -c 300000 /dev/zero; exit 3")});
    ASSERT_TRUE(large);
    EXPECT_EQ(large->standardOutput.size(), 300000);
    EXPECT_EQ(large->exitStatus, 3);

    auto killed = runProgram(str("/bin/sh"), {str("-c"), str("kill -9 $$")});
    ASSERT_TRUE(killed);
    EXPECT_EQ(killed->exitStatus, 128 + 9);
}

TEST(RunProgram, AProgramThatCannotStartIsReportedToTheCaller) {
    auto missing = runProgram(str("/nonexistent/tool"), {str("x")});
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().contains(str("/nonexistent/tool")));
    EXPECT_FALSE(runProgram(str("no-such-program-anywhere")));
}

TEST(ReadShellOutput, ReadsOnlyTheHeadAndWaitsForThePipeline) {
    auto head = readShellOutput(str("echo 'MacBook2,1 and more text'"), 10);
    ASSERT_TRUE(head);
    EXPECT_EQ(*head, QByteArray("MacBook2,1"));

    auto shorter = readShellOutput(str("printf abc"), 40);
    ASSERT_TRUE(shorter);
    EXPECT_EQ(*shorter, QByteArray("abc"));

    // An endless writer ends on the closed pipe instead of hanging the reader.
    auto endless = readShellOutput(str("yes | tr -d '\\n'"), 5);
    ASSERT_TRUE(endless);
    EXPECT_EQ(*endless, QByteArray("yyyyy"));

    auto pipeline = readShellOutput(str("printf 'a\\nb\\nc\\n' | grep b; echo err >&2"), 40);
    ASSERT_TRUE(pipeline);
    EXPECT_EQ(*pipeline, QByteArray("b\n"));

    auto failing = readShellOutput(str("no-such-command-anywhere"), 40);
    ASSERT_TRUE(failing) << "the shell started; the command's failure is just empty output";
    EXPECT_TRUE(failing->isEmpty());
}

namespace {

// Whether `pid` is gone, or only a zombie waiting for a parent that does not reap it.
bool processEnded(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close > 0 && line.mid(close + 2, 1) == "Z";
}

bool waitForEnd(qint64 pid) {
    const QDeadlineTimer deadline(10000);
    while (!processEnded(pid) && !deadline.hasExpired())
        QThread::msleep(5);
    return processEnded(pid);
}

} // namespace

TEST(RunProgramWithLimits, KeepsTheHeadOfBothOutputsAndDropsTheRest) {
    auto result = runProgramWithLimits(
        str("/bin/sh"),
        {str("-c"), str("head -c 3000000 /dev/zero; echo first >&2; head -c 3000000 /dev/zero "
                        ">&2; exit 4")},
        ProcessLimits{30, 1000});
    ASSERT_TRUE(result) << result.error().toStdString();
    EXPECT_EQ(result->standardOutput, QByteArray(1000, '\0'));
    EXPECT_EQ(result->standardError.size(), 1000);
    EXPECT_TRUE(result->standardError.startsWith("first\n"));
    EXPECT_EQ(result->exitStatus, 4);
    EXPECT_FALSE(result->timedOut);
}

TEST(RunProgramWithLimits, KillsTheWholeProcessGroupAtTheLimit) {
    auto result = runProgramWithLimits(
        str("/bin/sh"), {str("-c"), str("sleep 1000 & echo $!; wait")}, ProcessLimits{0.3, 100});
    ASSERT_TRUE(result) << result.error().toStdString();
    EXPECT_TRUE(result->timedOut);
    EXPECT_EQ(result->exitStatus, 128 + 9);
    const qint64 child = result->standardOutput.trimmed().toLongLong();
    ASSERT_GT(child, 0);
    EXPECT_TRUE(waitForEnd(child)) << "the script's child outlived the limit";
}

TEST(RunProgramWithLimits, EndsWhenTheProgramExitsThoughItsChildHoldsTheOutput) {
    auto result = runProgramWithLimits(
        str("/bin/sh"), {str("-c"), str("sleep 1000 & echo $!; exit 0")}, ProcessLimits{20, 100});
    ASSERT_TRUE(result) << result.error().toStdString();
    EXPECT_FALSE(result->timedOut);
    EXPECT_EQ(result->exitStatus, 0);
    const qint64 child = result->standardOutput.trimmed().toLongLong();
    ASSERT_GT(child, 0);
    EXPECT_FALSE(processEnded(child)) << "what the script started in the background keeps running";
    ::kill(pid_t(child), SIGKILL);
}

TEST(RunProgramWithLimits, AProgramThatCannotStartIsAnError) {
    EXPECT_FALSE(runProgramWithLimits(str("/nonexistent/program"), {}, ProcessLimits{}));
}
