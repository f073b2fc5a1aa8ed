#include "platform/core/process.h"

#include <gtest/gtest.h>

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
