// The helper as a program: its verbs on a QUELLAR_ROOT tree with recording tools, and the
// requests it must refuse without writing anything.

#include "platform/core/property_list.h"
#include "quellar/controller/core/system_paths.h"
#include "quellar/controller/tests/launch_files.h"
#include "system_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace quellar;
using quellar::testing::goodArguments;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray launchFile(const QStringList& arguments) {
    return quellar::testing::launchFile(
        arguments, {{QStringLiteral("Label"), QString::fromUtf8(kLaunchDaemonLabel)}});
}

bool disabledIn(const QString& path) {
    const auto parsed = platform::readPropertyList(readFile(path));
    return parsed && parsed->toDictionary() &&
           parsed->toDictionary()->count(QStringLiteral("Disabled"));
}

} // namespace

TEST(QuellarHelper, InstallsConfiguresEnablesAndRemovesUnderTheRoot) {
    SystemTree tree;
    ASSERT_EQ(tree.helper({QStringLiteral("install-daemon")}).status, 0);
    const QFileInfo daemon(tree.path(QString::fromUtf8(kInstalledDaemonPath)));
    EXPECT_TRUE(daemon.isExecutable());
    EXPECT_EQ(daemon.size(), QFileInfo(QString::fromUtf8(std::getenv("QUELLAR_SWITCHER"))).size());

    ASSERT_EQ(tree.helper({QStringLiteral("install-config")}).status, 0);
    const QString launch = tree.path(QString::fromUtf8(kLaunchDaemonPath));
    EXPECT_FALSE(disabledIn(launch));
    ASSERT_EQ(tree.helper({QStringLiteral("disable-daemon")}).status, 0);

    const auto written = tree.helper({QStringLiteral("write-config")}, launchFile(goodArguments()));
    ASSERT_EQ(written.status, 0) << written.err.toStdString();
    EXPECT_TRUE(readFile(launch).contains("<string>3102:2584:</string>"));
    EXPECT_TRUE(disabledIn(launch)) << "writing the arguments keeps the job's state";
    EXPECT_TRUE(readFile(tree.path(QString::fromUtf8(kUnitPath)))
                    .contains("ExecStart=/usr/local/sbin/QuellarSwitcher -a 3102:2584: -b 1548: "
                              "-l 25:75 -i 20 \"\" \"\""));

    ASSERT_EQ(tree.helper({QStringLiteral("enable-daemon")}).status, 0);
    EXPECT_FALSE(disabledIn(launch));
    EXPECT_TRUE(readFile(launch).contains("<string>3102:2584:</string>")) << "arguments kept";
    ASSERT_EQ(tree.helper({QStringLiteral("disable-daemon")}).status, 0);
    EXPECT_TRUE(disabledIn(launch));

    ASSERT_EQ(tree.helper({QStringLiteral("install-driver")}).status, 0);
    EXPECT_EQ(readFile(tree.path(QString::fromUtf8(kModulesLoadPath))), "msr\n");
    EXPECT_EQ(readFile(tree.path(QString::fromUtf8(kDriverStampPath))).trimmed(), kDriverVersion);
    ASSERT_EQ(tree.helper({QStringLiteral("load-driver")}).status, 0);
    EXPECT_TRUE(QFileInfo::exists(tree.path(QString::fromUtf8(kDriverModulePath))));

    EXPECT_EQ(tree.toolCalls(),
              (QStringList{QStringLiteral("systemctl disable --now quellar-switcher.service"),
                           QStringLiteral("systemctl daemon-reload"),
                           QStringLiteral("systemctl enable --now quellar-switcher.service"),
                           QStringLiteral("systemctl disable --now quellar-switcher.service"),
                           QStringLiteral("modprobe msr")}));

    for (const char* verb : {"remove-daemon", "remove-config", "remove-driver", "remove-config"})
        EXPECT_EQ(tree.helper({QString::fromUtf8(verb)}).status, 0) << verb;
    EXPECT_FALSE(QFileInfo::exists(daemon.filePath()));
    EXPECT_FALSE(QFileInfo::exists(launch));
    EXPECT_FALSE(QFileInfo::exists(tree.path(QString::fromUtf8(kUnitPath))));
    EXPECT_FALSE(QFileInfo::exists(tree.path(QString::fromUtf8(kModulesLoadPath))));
}

TEST(QuellarHelper, AFailingSystemctlLeavesTheJobStateAndFails) {
    SystemTree tree;
    ASSERT_EQ(tree.helper({QStringLiteral("install-config")}).status, 0);
    ASSERT_EQ(tree.helper({QStringLiteral("disable-daemon")}).status, 0);
    tree.failTool(QStringLiteral("systemctl"));
    const auto run = tree.helper({QStringLiteral("enable-daemon")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        run.err.contains("systemctl enable --now quellar-switcher.service ended with status 1"));
    EXPECT_TRUE(disabledIn(tree.path(QString::fromUtf8(kLaunchDaemonPath))));
}

TEST(QuellarHelper, SetsTheControlEntryAndSwitchesTheGovernor) {
    SystemTree tree;
    ASSERT_EQ(tree.helper({QStringLiteral("set-control"), QStringLiteral("2584")}).status, 0);
    EXPECT_EQ(readFile(tree.processor() + QStringLiteral("/kern.quellar2_ctl")), "2584\n");

    const auto status = tree.helper({QStringLiteral("read-status")});
    ASSERT_EQ(status.status, 0);
    EXPECT_EQ(status.out.split('\n').value(2), "200");

    for (const char* cpu : {"cpu0", "cpu1"}) {
        const QString folder = tree.path(
            QStringLiteral("/sys/devices/system/cpu/%1/cpufreq").arg(QLatin1StringView(cpu)));
        QDir().mkpath(folder);
        QFile governor(folder + QStringLiteral("/scaling_governor"));
        ASSERT_TRUE(governor.open(QIODevice::WriteOnly));
        governor.write("schedutil\n");
    }
    const QString cpu1 =
        tree.path(QStringLiteral("/sys/devices/system/cpu/cpu1/cpufreq/scaling_governor"));
    ASSERT_EQ(tree.helper({QStringLiteral("governor-userspace")}).status, 0);
    EXPECT_EQ(readFile(cpu1), "userspace\n");
    ASSERT_EQ(tree.helper({QStringLiteral("governor-userspace")}).status, 0);
    EXPECT_EQ(readFile(tree.path(QString::fromUtf8(kGovernorBackupPath))), "schedutil\n")
        << "a second switch keeps the first governor";
    ASSERT_EQ(tree.helper({QStringLiteral("governor-restore")}).status, 0);
    EXPECT_EQ(readFile(cpu1), "schedutil\n");
}

TEST(QuellarHelper, RefusesHostileRequestsWithAMessageAndWritesNothing) {
    SystemTree tree;
    ASSERT_EQ(tree.helper({QStringLiteral("install-config")}).status, 0);
    const auto before = tree.snapshot();

    struct Case {
        const char* what;
        QStringList arguments;
        QByteArray input;
    };
    QStringList dotted = goodArguments();
    dotted[0] = QStringLiteral("/usr/local/sbin/../../../tmp/x");
    QStringList injected = goodArguments();
    injected[2] = QStringLiteral("3102:\nExecStartPre=/bin/sh -c evil\n:");
    QStringList option = goodArguments();
    option[6] = QStringLiteral("--root=/");
    QStringList overlong = goodArguments();
    overlong[4] = QString(100000, QLatin1Char('7'));
    const std::vector<Case> cases{
        {"unknown verb",
         {QStringLiteral("cp"), QStringLiteral("/etc/shadow"), QStringLiteral("/tmp")},
         {}},
        {"path as argument",
         {QStringLiteral("remove-daemon"), QStringLiteral("../../etc/passwd")},
         {}},
        {"injected option", {QStringLiteral("--now"), QStringLiteral("enable-daemon")}, {}},
        {"overlong value", {QStringLiteral("set-control"), QString(100000, QLatin1Char('1'))}, {}},
        {"dotted program path", {QStringLiteral("write-config")}, launchFile(dotted)},
        {"unit injection", {QStringLiteral("write-config")}, launchFile(injected)},
        {"option as value", {QStringLiteral("write-config")}, launchFile(option)},
        {"overlong list", {QStringLiteral("write-config")}, launchFile(overlong)},
        {"garbage plist",
         {QStringLiteral("write-config")},
         "<?xml version=\"1.0\"?><plist><dict><key>"},
        {"no plist", {QStringLiteral("write-config")}, {}},
        {"oversized plist", {QStringLiteral("write-config")}, QByteArray(200000, 'x')},
    };
    for (const Case& c : cases) {
        const auto run = tree.helper(c.arguments, c.input);
        EXPECT_EQ(run.status, 2) << c.what << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("quellar-helper: refused: "))
            << c.what << ": " << run.err.toStdString();
        EXPECT_LT(run.err.size(), 400) << c.what;
    }
    EXPECT_EQ(tree.snapshot(), before);
    EXPECT_EQ(tree.toolCalls(), QStringList{});
}

TEST(QuellarHelper, NeitherASymlinkInTheRootNorADottedRootRedirectsAWrite) {
    SystemTree tree;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), tree.path(QStringLiteral("/etc"))));
    QDir().mkpath(tree.path(QStringLiteral("/usr/local")));
    ASSERT_TRUE(QFile::link(elsewhere.path(), tree.path(QStringLiteral("/usr/local/sbin"))));
    for (const char* verb : {"install-config", "install-driver", "install-daemon"}) {
        const auto run = tree.helper({QString::fromUtf8(verb)});
        EXPECT_EQ(run.status, 1) << verb;
        EXPECT_TRUE(run.err.contains("symbolic link")) << verb << ": " << run.err.toStdString();
    }
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());

    QProcessEnvironment dotted = tree.environment();
    dotted.insert(QStringLiteral("QUELLAR_ROOT"), tree.root() + QStringLiteral("/../root"));
    const auto run = tree.helper({QStringLiteral("install-driver")}, {}, &dotted);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("\"..\""));
}

TEST(QuellarHelper, UnderPkexecTheCallersEnvironmentIsIgnored) {
    SystemTree tree;
    QProcessEnvironment pkexec = tree.environment();
    pkexec.insert(QStringLiteral("PKEXEC_UID"), QStringLiteral("1000"));
    // The helper now reads the real system: the sim processor and the recording tools are out of
    // reach, so setting the control entry fails on the real msr files instead of writing the
    // simulated one.
    const auto run =
        tree.helper({QStringLiteral("set-control"), QStringLiteral("2584")}, {}, &pkexec);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(readFile(tree.processor() + QStringLiteral("/kern.quellar2_ctl")), "2584\n");
    EXPECT_EQ(tree.toolCalls(), QStringList{});
}
