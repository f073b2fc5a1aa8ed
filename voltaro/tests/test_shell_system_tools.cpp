#include "platform/core/file_io.h"
#include "platform/core/log.h"
#include "voltaro/core/app_controller.h"
#include "voltaro/linux/shell_system_tools.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace voltaro;

namespace {

// A folder of tools written as shell scripts, named like the stand-ins.
class FakeToolFolder : public ::testing::Test {
protected:
    FakeToolFolder() {
        folder = dir.path() + QStringLiteral("/tools with 'quote'");
        platform::setLogSink([](const QString&) {});
    }
    ~FakeToolFolder() override { platform::setLogSink({}); }

    void tool(const QString& name, const QByteArray& script) {
        const QString path = folder + QLatin1Char('/') + name;
        ASSERT_TRUE(platform::writeFileAtomically(path, "#!/bin/sh\n" + script));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir dir;
    QString folder;
};

TEST_F(FakeToolFolder, CommandLinesRunTheToolsOfTheFolder) {
    ShellSystemTools tools(folder);
    EXPECT_EQ(tools.rewriteCommandLine(kIntelCapacityCommand),
              QStringLiteral("'%1/ioreg' -l | grep DesignCapacity | cut -d = -f2")
                  .arg(QString(folder).replace(QStringLiteral("'"), QStringLiteral("'\\''"))));
    EXPECT_EQ(tools.rewriteCommandLine(QStringLiteral("/usr/sbin/other")),
              QStringLiteral("/usr/sbin/other"));
}

TEST_F(FakeToolFolder, CapacityPipelineKeepsEveryDigit) {
    tool(QStringLiteral("ioreg"), "echo '    |   \"DesignCapacity\" = 12345'\n");
    auto tools = std::make_shared<ShellSystemTools>(folder);
    const ToolReaders readers(tools, kAppKitVersionNumber10_5);
    EXPECT_EQ(readers.INTEL_capacityMaximum(), 12345) << "a blank and five digits";
    tool(QStringLiteral("ioreg"), "echo '    |   \"DesignCapacity\" = 4400'\n");
    EXPECT_EQ(readers.INTEL_capacityMaximum(), 4400);
    tool(QStringLiteral("ioreg"), "echo nothing to see\n");
    EXPECT_EQ(readers.INTEL_capacityMaximum(), -1);
}

TEST_F(FakeToolFolder, ALongOutputIsCutAtTheHead) {
    tool(QStringLiteral("ioreg"),
         "i=0; while [ $i -lt 20000 ]; do echo '  |   \"product-name\" = <\"MacBook5,1\">'; "
         "i=$((i+1)); done\n");
    auto tools = std::make_shared<ShellSystemTools>(folder);
    const auto head = tools->readShellOutput(kProductNameProbe, 40);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->size(), 40);
}

TEST_F(FakeToolFolder, PowerReportComesFromTheFoldersSystemProfiler) {
    tool(QStringLiteral("system_profiler"), "echo \"$@\"\n");
    ShellSystemTools tools(folder);
    const auto output = tools.runProgram(kSystemProfilerProgram, kPowerReportArguments);
    ASSERT_TRUE(output);
    EXPECT_EQ(*output, QByteArray("SPPowerDataType -xml\n"));
}

TEST_F(FakeToolFolder, AMissingToolIsNoOutput) {
    ShellSystemTools tools(folder + QStringLiteral("/none"));
    EXPECT_FALSE(tools.runProgram(kSystemProfilerProgram, kPowerReportArguments));
    const auto shell = tools.readShellOutput(kSerialCommand, 11);
    ASSERT_TRUE(shell) << "the shell starts; the pipeline prints nothing";
    EXPECT_TRUE(shell->isEmpty());
}

TEST(ToolsFolder, EnvironmentVariableWins) {
    qputenv("VOLTARO_TOOLS", "/opt/tools");
    EXPECT_EQ(ShellSystemTools::defaultToolsFolder(), QStringLiteral("/opt/tools"));
    EXPECT_EQ(ShellSystemTools().toolsFolder(), QStringLiteral("/opt/tools"));
    qunsetenv("VOLTARO_TOOLS");
    EXPECT_TRUE(ShellSystemTools::defaultToolsFolder().endsWith(
        QStringLiteral("/libexec/notebook-suite/voltaro")));
}

TEST(ProcessorArchitecture, ReadFromCpuinfoUnderHwRoot) {
    QTemporaryDir tree;
    ASSERT_TRUE(platform::writeFileAtomically(tree.path() + QStringLiteral("/proc/cpuinfo"),
                                              "processor\t: 0\nvendor_id\t: AuthenticAMD\n"));
    qputenv("HW_ROOT", QFile::encodeName(tree.path()));
    EXPECT_EQ(ShellSystemTools(QStringLiteral("/none")).processorArchitecture(),
              QStringLiteral("AMD"));
    qunsetenv("HW_ROOT");
}

} // namespace
