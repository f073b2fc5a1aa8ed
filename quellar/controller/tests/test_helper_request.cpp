#include "platform/core/property_list.h"
#include "quellar/controller/core/helper_request.h"
#include "quellar/controller/core/system_paths.h"
#include "quellar/controller/tests/launch_files.h"

#include <gtest/gtest.h>

using namespace quellar;
using quellar::testing::goodArguments;
using quellar::testing::launchFile;

TEST(HelperRequest, VerbsAndTheOneSetting) {
    const auto set = parseHelperRequest({QStringLiteral("set-control"), QStringLiteral("3102")});
    ASSERT_TRUE(set);
    EXPECT_EQ(set->verb, HelperVerb::SetControl);
    EXPECT_EQ(set->setting, 3102u);
    const auto enable = parseHelperRequest({QStringLiteral("enable-daemon")});
    ASSERT_TRUE(enable);
    EXPECT_EQ(enable->verb, HelperVerb::EnableDaemon);
    EXPECT_EQ(verbName(HelperVerb::GovernorRestore), QStringLiteral("governor-restore"));
}

TEST(HelperRequest, EverythingElseIsRefusedWithAReason) {
    const std::vector<QStringList> hostile{
        {},
        {QStringLiteral("rm")},
        {QStringLiteral("--root=/"), QStringLiteral("enable-daemon")},
        {QStringLiteral("enable-daemon"), QStringLiteral("--now")},
        {QStringLiteral("set-control")},
        {QStringLiteral("set-control"), QStringLiteral("-1")},
        {QStringLiteral("set-control"), QStringLiteral("65536")},
        {QStringLiteral("set-control"), QStringLiteral("3102; reboot")},
        {QStringLiteral("set-control"), QStringLiteral("0x0C1E")},
        {QStringLiteral("set-control"), QString(5000, QLatin1Char('9'))},
        {QStringLiteral("install-daemon"), QStringLiteral("../../tmp/evil")},
    };
    for (const QStringList& arguments : hostile) {
        const auto parsed = parseHelperRequest(arguments);
        EXPECT_FALSE(parsed) << arguments.join(QLatin1Char(' ')).left(60).toStdString();
        if (!parsed) {
            EXPECT_LT(parsed.error().size(), 200) << "a hostile value is not echoed whole";
        }
    }
}

TEST(DaemonArgumentCheck, TheControllersArgumentsPass) {
    EXPECT_TRUE(checkDaemonArguments(goodArguments()));
    QStringList noLimits = goodArguments();
    noLimits[5] = noLimits[6] = QString();
    EXPECT_TRUE(checkDaemonArguments(noLimits));
}

TEST(DaemonArgumentCheck, HostileArgumentsAreRefused) {
    const auto with = [](int index, const QString& value) {
        QStringList arguments = goodArguments();
        arguments[index] = value;
        return arguments;
    };
    const std::vector<QStringList> hostile{
        with(0, QStringLiteral("/usr/local/sbin/../../tmp/evil")),
        with(0, QStringLiteral("/bin/sh")),
        with(2, QStringLiteral("3102:--evil:")),
        with(2, QStringLiteral("3102")),
        with(2, QStringLiteral("3102:\n[Service]\nExecStartPre=/bin/sh:")),
        with(2, QStringLiteral("99999:")),
        with(2, QString(2000, QLatin1Char('1')) + QLatin1Char(':')),
        with(4, QStringLiteral("0:")),
        with(5, QStringLiteral("-L")),
        with(6, QStringLiteral("25:75:90")),
        with(8, QString()), // -i with an empty value
        with(8, QStringLiteral("51")),
        with(9, QStringLiteral("-t")), // with an empty value
        with(1, QStringLiteral("-b")),
        goodArguments().mid(0, 10),
        goodArguments() << QStringLiteral("-T"),
    };
    for (const QStringList& arguments : hostile)
        EXPECT_FALSE(checkDaemonArguments(arguments))
            << arguments.join(QLatin1Char('|')).left(80).toStdString();
}

TEST(LaunchDaemonFile, OnlyOurKeysAndCheckedArguments) {
    const auto parsed = parseLaunchDaemonFile(launchFile(
        goodArguments(), {{QStringLiteral("Label"), QString::fromUtf8(kLaunchDaemonLabel)},
                          {QStringLiteral("Disabled"), true}}));
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    EXPECT_EQ(*parsed, goodArguments());

    EXPECT_FALSE(parseLaunchDaemonFile("<plist><dict><key>ProgramArguments</key>"));
    EXPECT_FALSE(parseLaunchDaemonFile(QByteArray(kMaxConfigBytes + 1, ' ')));
    EXPECT_FALSE(
        parseLaunchDaemonFile(*platform::writeXmlPropertyList(platform::Value::newArray())));
    EXPECT_FALSE(parseLaunchDaemonFile(
        launchFile(goodArguments(), {{QStringLiteral("UserName"), QStringLiteral("root")}})));
    EXPECT_FALSE(parseLaunchDaemonFile(
        launchFile(goodArguments(), {{QStringLiteral("Label"), QStringLiteral("other")}})));
    EXPECT_FALSE(parseLaunchDaemonFile(launchFile({QString::fromUtf8(kInstalledDaemonPath)})));
}

TEST(LaunchDaemonFile, TheUnitCarriesTheArgumentsWithEmptyOnesQuoted) {
    const QByteArray unit = switcherUnit(goodArguments());
    EXPECT_TRUE(unit.contains("\nExecStart=/usr/local/sbin/QuellarSwitcher -a 3102:2584: -b 1548: "
                              "-l 25:75 -i 20 \"\" \"\"\n"));
    EXPECT_TRUE(unit.contains("RuntimeDirectory=quellar\n"));
}
