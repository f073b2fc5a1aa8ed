#include "platform/core/log.h"
#include "platform/testing/manual_clock.h"
#include "vantir/core/localized.h"
#include "vantir/core/model_context.h"
#include "vantir/core/preferences.h"
#include "vantir/core/version.h"
#include "vantir/core/version_check.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantir;

namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

class PreferencesTest : public ::testing::Test {
protected:
    PreferencesTest()
        : defaults(str("Vantir"), folder.path()), preferences(defaults, notifications),
          model(std::make_unique<ModelContext>(clock, notifications, &preferences)) {}
    ~PreferencesTest() override {
        platform::setLogSink({});
        platform::setDebugEnabled(platform::DebugChannel::Debug, false);
        platform::setDebugEnabled(platform::DebugChannel::Debug2, false);
    }
    QTemporaryDir folder;
    platform::doubles::ManualClock clock;
    platform::NotificationCenter notifications;
    platform::Defaults defaults;
    Preferences preferences;
    std::unique_ptr<ModelContext> model;
};

} // namespace

TEST_F(PreferencesTest, FallbacksAnswerOnlyForMissingKeys) {
    EXPECT_EQ(Preferences::integerForKey(str("LastDisplayedLayer"), 3), 3);
    Preferences::setInteger(0, str("LastDisplayedLayer"));
    EXPECT_EQ(Preferences::integerForKey(str("LastDisplayedLayer"), 3), 0);
    EXPECT_TRUE(Preferences::existsKey(str("LastDisplayedLayer")));

    EXPECT_EQ(Preferences::stringForKey(str("ExportDirectory"), str("/home")), str("/home"));
    Preferences::setString(QString(), str("ExportDirectory"));
    EXPECT_EQ(Preferences::stringForKey(str("ExportDirectory"), str("/home")), QString());

    EXPECT_TRUE(boolForKey(defaults, str("Missing"), true));
    Preferences::setBool(false, str("Missing"));
    EXPECT_FALSE(boolForKey(defaults, str("Missing"), true));

    // Only values that read as a string exist; a list does not.
    defaults.setObject(platform::Value::newArray({1}), str("List"));
    EXPECT_FALSE(existsKey(defaults, str("List")));
    EXPECT_EQ(stringForKey(defaults, str("List"), str("fallback")), str("fallback"));

    // Every change is written at once.
    platform::Defaults reread(str("Vantir"), folder.path());
    EXPECT_EQ(reread.integerForKey(str("LastDisplayedLayer")), 0);
    EXPECT_TRUE(reread.objectForKey(str("Missing")) == platform::Value(false));

    const Color teal{0, 0.5, 0.5, 1};
    EXPECT_EQ(colorForKey(defaults, str("Tint"), teal), teal);
    setColor(defaults, Color{1, 0.25, 0, 0.5}, str("Tint"));
    EXPECT_EQ(colorForKey(defaults, str("Tint"), teal), (Color{1, 0.25, 0, 0.5}));
    defaults.setData(QByteArray("junk"), str("Tint"));
    EXPECT_EQ(colorForKey(defaults, str("Tint"), teal), teal);

    model.reset();
    EXPECT_EQ(Preferences::integerForKey(str("LastDisplayedLayer"), 5), 5);
    EXPECT_FALSE(Preferences::existsKey(str("LastDisplayedLayer")));
}

TEST_F(PreferencesTest, RegisteredDefaultsAnswerButAreNotWritten) {
    registerDefaultSettings(defaults);
    EXPECT_TRUE(defaults.boolForKey(str("LookForUpdate")));
    EXPECT_DOUBLE_EQ(defaults.floatForKey(str("DoubleClickSpeed")), 25.0);
    EXPECT_EQ(defaults.stringForKey(str("VoiceCharacter")), str("Vicki"));
    EXPECT_EQ(versionDescriptionAddress(defaults),
              QUrl(str("https://notebook-suite.example.org/Vantir/version.xml")));
    defaults.setString(str("http://127.0.0.1:8080/"), kVersionCheckServerKey);
    EXPECT_EQ(versionDescriptionAddress(defaults),
              QUrl(str("http://127.0.0.1:8080/Vantir/version.xml")));
    ASSERT_TRUE(defaults.synchronize());
    platform::Defaults reread(str("Vantir"), folder.path());
    EXPECT_TRUE(reread.objectForKey(str("LookForUpdate")).isNone());
}

TEST_F(PreferencesTest, DebugLinesFollowTheirSwitches) {
    QStringList lines;
    platform::setLogSink([&](const QString& line) { lines.append(line); });
    defaults.setBool(true, str("DebugMode2"));
    preferences.applyDebugSwitches();
    dlog(str("one"));
    dlog2(str("two"));
    EXPECT_EQ(lines, QStringList{str("two")});
}

TEST(Version, NumbersAndText) {
    EXPECT_EQ(Version::majorVersion(), 0);
    EXPECT_EQ(Version::minorVersion(), 9);
    EXPECT_EQ(Version::buildVersion(), 30);
    EXPECT_EQ(Version::releaseDate(), QDate(2007, 11, 6));
    EXPECT_EQ(Version::versionString(), str("Version 0.99 beta 20 (build 30) released 2007/11/06"));
    EXPECT_EQ(formatted(str("%@ and %@ at 100%%"), {str("a")}), str("a and  at 100%"));
}

TEST(VersionDescription, ReadsTheFirstDictionaryAndComparesVersions) {
    const auto document = [](int major, int minor, int build) {
        return QStringLiteral("<plist version=\"1.0\"><array><dict>"
                              "<key>majorVersion</key><integer>%1</integer>"
                              "<key>minorVersion</key><integer>%2</integer>"
                              "<key>buildVersion</key><integer>%3</integer>"
                              "<key>versionName</key><string>1.0</string>"
                              "<key>notes</key><string>Better.</string>"
                              "</dict></array></plist>")
            .arg(major)
            .arg(minor)
            .arg(build)
            .toUtf8();
    };
    const platform::StringsTable none;
    const auto newer = [&](int major, int minor, int build) {
        return isNewerVersion(*parseVersionDescription(document(major, minor, build), none));
    };
    EXPECT_TRUE(newer(0, 9, 31));
    EXPECT_FALSE(newer(0, 9, 30));
    EXPECT_FALSE(newer(0, 8, 99));
    EXPECT_TRUE(newer(1, 0, 31));
    EXPECT_FALSE(newer(1, 0, 12)) << "a newer major with a lower build is not offered";
    const auto description = parseVersionDescription(document(0, 9, 31), none);
    EXPECT_EQ(description->notes, str("Better."));

    for (const char* bad : {"", "garbage", "<plist version=\"1.0\"><array/></plist>",
                            "<plist version=\"1.0\"><array><string>x</string></array></plist>",
                            "<plist version=\"1.0\"><dict/></plist>"})
        EXPECT_FALSE(parseVersionDescription(QByteArray(bad), none)) << bad;

    // A localisation may name the text keys differently.
    const auto table = platform::StringsTable::parse(
        "<plist version=\"1.0\"><dict><key>notes</key><string>notes_en</string></dict></plist>");
    ASSERT_TRUE(table);
    const auto localised = parseVersionDescription(
        "<plist version=\"1.0\"><array><dict><key>notes_en</key><string>Hi</string>"
        "<key>notes</key><string>no</string></dict></array></plist>",
        *table);
    EXPECT_EQ(localised->notes, str("Hi"));
}
