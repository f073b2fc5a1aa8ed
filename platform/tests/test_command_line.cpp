#include "platform/core/command_line.h"

#include <QTextStream>

#include <gtest/gtest.h>

using platform::CommandLine;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

// One program's command line with a flag and an option that takes a value; the texts it
// writes are kept for the test to read.
struct ParseRun {
    QCommandLineOption simulate{str("simulate"), str("Simulate.")};
    QCommandLineOption archive{str("dump-archive"), str("Dump FILE."), str("FILE")};
    CommandLine commandLine{str("Tool"), str("1.5"), str("Does things.")};
    QString out, err;

    std::optional<int> parse(QStringList arguments) {
        commandLine.addOption(simulate);
        commandLine.addOption(archive);
        arguments.prepend(str("/usr/bin/Tool"));
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return commandLine.parse(arguments, outStream, errStream);
    }
};

} // namespace

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutputWithStatusZero) {
    for (const char* help : {"--help", "-h", "--help-all"}) {
        ParseRun run;
        EXPECT_EQ(run.parse({str(help)}), 0);
        EXPECT_TRUE(run.out.startsWith(str("Usage: Tool [options]"))) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(str("--dump-archive <FILE>")));
        EXPECT_FALSE(run.out.contains(str("platform"))) << "Qt's own options stay hidden";
        EXPECT_TRUE(run.err.isEmpty());
    }
    ParseRun run;
    EXPECT_EQ(run.parse({str("--version")}), 0);
    EXPECT_EQ(run.out, str("Tool 1.5\n"));
}

TEST(CommandLine, WrongCommandLinesAnswerTheUsageOnStandardErrorWithStatusTwo) {
    const QList<QStringList> wrong = {
        {str("--bogus")},        {str("-x")}, {str("--dump-archive")}, {str("stray-argument")},
        {str("--simulate=yes")},
    };
    for (const QStringList& arguments : wrong) {
        ParseRun run;
        EXPECT_EQ(run.parse(arguments), platform::kUsageStatus)
            << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.startsWith(str("Tool: "))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(str("Usage: Tool")));
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST(CommandLine, ProgramOptionsAndQtWindowSystemOptionsAreAccepted) {
    ParseRun run;
    EXPECT_EQ(run.parse({str("--simulate"), str("--dump-archive"), str("a.xml"), str("-platform"),
                         str("offscreen"), str("-session"), str("1234"), str("-reverse")}),
              std::nullopt)
        << run.err.toStdString();
    EXPECT_TRUE(run.commandLine.isSet(run.simulate));
    EXPECT_EQ(run.commandLine.value(run.archive), str("a.xml"));

    QString err;
    QTextStream errStream(&err);
    EXPECT_EQ(run.commandLine.usageError(str("bad value"), errStream), platform::kUsageStatus);
    EXPECT_TRUE(err.startsWith(str("Tool: bad value\nUsage: Tool")));
}
