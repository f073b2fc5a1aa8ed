#include "platform/core/defaults.h"
#include "quellar/controller/core/settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quellar;

namespace {

QStringList arguments(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

} // namespace

TEST(DaemonArguments, ElevenStringsWithTheListsEndingInAColon) {
    ControllerSettings settings;
    settings.SetA[0] = {0x0C, 0x1E};
    settings.SetA[1] = {0x0A, 0x18};
    settings.SetA[2] = {0x08, 0}; // not both codes: left out
    settings.SetB[0] = {0x06, 0x0C};
    settings.tLimit = 70;
    EXPECT_EQ(createSArray(settings, QStringLiteral("/usr/local/sbin/QuellarSwitcher")),
              arguments({"/usr/local/sbin/QuellarSwitcher", "-a", "3102:2584:", "-b", "1548:", "-l",
                         "25:75", "-i", "20", "-t", "70"}));
}

TEST(DaemonArguments, ZeroValuesGiveTwoEmptyStringsEach) {
    ControllerSettings settings;
    settings.lLimit = settings.uLimit = 0;
    settings.sRate = 0;
    const QStringList written = createSArray(settings, QStringLiteral("/d"));
    ASSERT_EQ(written.size(), 11);
    EXPECT_EQ(written.mid(2), arguments({"", "-b", "", "", "", "", "", "", ""}));
}

TEST(DaemonArguments, ReadBackRestoresTablesLimitsRateAndTemperature) {
    ControllerSettings written;
    written.SetA[0] = {0x06, 12};
    written.SetA[1] = {0x0C, 40};
    written.SetB[0] = {0x86, 12};
    changeSpeed(2, written);
    tempLimit(4, written);
    ControllerSettings read;
    getSwitchArr(createSArray(written, QStringLiteral("/d")), read);
    EXPECT_EQ(read.SetA, written.SetA);
    EXPECT_EQ(read.SetB, written.SetB);
    EXPECT_EQ(read.lLimit, 15);
    EXPECT_EQ(read.uLimit, 40);
    EXPECT_EQ(read.sRate, 30);
    EXPECT_EQ(read.tLimit, 70);

    ControllerSettings limits;
    getSwitchArr(arguments({"/d", "-l", "25:75"}), limits);
    EXPECT_EQ(limits.lLimit, 25);
    EXPECT_EQ(limits.uLimit, 75);
}

TEST(DaemonArguments, GarbageReadsBackWithoutACrash) {
    ControllerSettings settings;
    const QString overlong = QString(300, QLatin1Char('7')) + QStringLiteral(":1548");
    getSwitchArr(
        arguments({"/d", "-a", "x:3102junk::", "-b", "", "-l", "0:75", "-i", "zz", "-t", "-a"}),
        settings);
    EXPECT_EQ(settings.SetA[0], StatePair{}) << "x reads as 0";
    EXPECT_EQ(settings.SetA[1], (StatePair{0x0C, 0x1E})) << "leading digits count";
    EXPECT_EQ(settings.SetA[2], StatePair{}) << "an empty token gives 0";
    EXPECT_EQ(settings.SetB, StateTable{}) << "an empty value changes nothing";
    EXPECT_EQ(settings.lLimit, 75) << "0 leaves the lower limit free for the 75";
    EXPECT_EQ(settings.uLimit, 0);
    EXPECT_EQ(settings.sRate, 0);
    convertArg(overlong, settings.SetB);
    EXPECT_EQ(settings.SetB[1], StatePair{}) << "the text is cut to 254 characters";

    ControllerSettings many;
    QString list;
    for (int i = 1; i <= 40; ++i)
        list += QStringLiteral("%1:").arg(i);
    convertArg(list, many.SetA);
    EXPECT_EQ(many.SetA[29], (StatePair{0, 30})) << "at most 30 numbers";
}

TEST(SpeedPresets, SelectionFollowsRateAndLimits) {
    ControllerSettings settings;
    EXPECT_EQ(speedItem(settings), 1);
    changeSpeed(3, settings);
    EXPECT_EQ(speedItem(settings), 3);
    settings.uLimit = 50;
    EXPECT_EQ(speedItem(settings), std::nullopt) << "a known rate with other limits";
    settings.sRate = 7;
    EXPECT_EQ(speedItem(settings), 1) << "any other rate selects Medium";
    changeSpeed(9, settings);
    EXPECT_EQ(settings.sRate, 7);
}

TEST(TemperaturePresets, TitlesInBothScalesAndSelection) {
    const QStringList celsius = temperatureItems(false);
    ASSERT_EQ(celsius.size(), 8);
    EXPECT_EQ(celsius[0], QStringLiteral("Off"));
    EXPECT_EQ(celsius[1], QStringLiteral("55\u00B0C"));
    const QStringList fahrenheit = temperatureItems(true);
    EXPECT_EQ(fahrenheit[1], QStringLiteral("131\u00B0F"));
    EXPECT_EQ(fahrenheit[7], QStringLiteral("185\u00B0F"));
    EXPECT_EQ(toFahrenheit(57), 134);
    EXPECT_EQ(temperatureItem(85), 7);
    EXPECT_EQ(temperatureItem(71), 0);
}

TEST(Preferences, WrittenAndReadBack) {
    QTemporaryDir folder;
    ControllerSettings written;
    written.PowerStates = {powerStateBlob(0x0C28)};
    written.checkedItems = {1, 0, 1, 0, 1, 0, 0, 1};
    written.fahrenheitScale = true;
    written.updateInt = 10;
    written.UserName = QStringLiteral("admin");
    {
        platform::Defaults defaults(QString::fromUtf8(kDefaultsDomain), folder.path());
        ASSERT_TRUE(createSettings(defaults, written));
    }
    platform::Defaults defaults(QString::fromUtf8(kDefaultsDomain), folder.path());
    ControllerSettings read;
    EXPECT_TRUE(readSettings(defaults, read));
    EXPECT_EQ(read.PowerStates, written.PowerStates);
    EXPECT_EQ(read.checkedItems, written.checkedItems);
    EXPECT_TRUE(read.fahrenheitScale);
    EXPECT_EQ(read.updateInt, 10);
    EXPECT_EQ(read.UserName, QStringLiteral("admin"));

    defaults.setInteger(0, QStringLiteral("UpdateInt"));
    defaults.setData(QByteArray(3, '\1'), QStringLiteral("CheckedItems"));
    ControllerSettings fresh;
    readSettings(defaults, fresh);
    EXPECT_EQ(fresh.updateInt, 1) << "a zero rate is not loaded";
    EXPECT_EQ(fresh.checkedItems, (ControllerSettings{}.checkedItems)) << "only 8 bytes count";
}
