#include "voltaro/core/preferences.h"

#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace voltaro;

namespace {

class Preferences : public ::testing::Test {
protected:
    Preferences() : defaults(QStringLiteral("Voltaro"), folder.path()) {}
    QTemporaryDir folder;
    platform::Defaults defaults;
};

TEST_F(Preferences, AbsentKeysLeaveTheSheetAsTheWindowHasIt) {
    PreferencesSheet sheet;
    sheet.customSerialText = QStringLiteral("typed before");
    loadPreferences(defaults, sheet);
    EXPECT_FALSE(sheet.useUnifiedLook);
    EXPECT_FALSE(sheet.customCapacityChecked);
    EXPECT_FALSE(sheet.customCapacityEnabled);
    EXPECT_EQ(sheet.customSerialText, QStringLiteral("typed before"));
    EXPECT_FALSE(usesUnifiedLook(defaults));
}

TEST_F(Preferences, StoredTextsFillTheSheet) {
    defaults.setString(QStringLiteral("YES"), key::kUseUnifiedLook);
    defaults.setString(QStringLiteral("5200"), key::kCustomCapacity);
    defaults.setString(QStringLiteral("W8812XXXXXX"), key::kCustomSerial);
    PreferencesSheet sheet;
    loadPreferences(defaults, sheet);
    EXPECT_EQ(sheet, (PreferencesSheet{true, true, true, QStringLiteral("5200"), true, true,
                                       QStringLiteral("W8812XXXXXX")}));
}

TEST_F(Preferences, LookIsOnOnlyForYes) {
    defaults.setString(QStringLiteral("yes"), key::kUseUnifiedLook);
    EXPECT_FALSE(usesUnifiedLook(defaults));
    defaults.setBool(true, key::kUseUnifiedLook);
    EXPECT_FALSE(usesUnifiedLook(defaults)) << "the setting is text";
    defaults.setString(QStringLiteral("YES"), key::kUseUnifiedLook);
    EXPECT_TRUE(usesUnifiedLook(defaults));
}

TEST_F(Preferences, SavingStoresTextsAndRemovesWhatIsOff) {
    PreferencesSheet sheet{
        true, true, true, QStringLiteral("letters"), false, true, QStringLiteral("ignored")};
    defaults.setString(QStringLiteral("W8812XXXXXX"), key::kCustomSerial);
    storePreferences(defaults, sheet);
    EXPECT_EQ(defaults.stringForKey(key::kUseUnifiedLook), QStringLiteral("YES"));
    EXPECT_EQ(defaults.stringForKey(key::kCustomCapacity), QStringLiteral("letters"))
        << "stored unchanged";
    EXPECT_FALSE(textForKey(defaults, key::kCustomSerial));

    // Written at once.
    platform::Defaults reread(QStringLiteral("Voltaro"), folder.path());
    EXPECT_EQ(reread.stringForKey(key::kCustomCapacity), QStringLiteral("letters"));

    sheet.useUnifiedLook = false;
    sheet.customCapacityChecked = false;
    storePreferences(defaults, sheet);
    EXPECT_EQ(defaults.stringForKey(key::kUseUnifiedLook), QStringLiteral("NO"));
    EXPECT_FALSE(textForKey(defaults, key::kCustomCapacity));
}

TEST(Links, DonationFormHasItsFieldsInOrder) {
    const QString address = donationAddress();
    const QUrl url(address);
    EXPECT_EQ(url.path(), QStringLiteral("/cgi-bin/webscr"));
    const QString query = address.mid(address.indexOf(QLatin1Char('?')) + 1);
    const QStringList fields = query.split(QLatin1Char('&'));
    ASSERT_EQ(fields.size(), 8);
    EXPECT_EQ(fields[0], QStringLiteral("cmd=_xclick"));
    EXPECT_EQ(fields[1], QStringLiteral("business=") +
                             QString::fromLatin1(QUrl::toPercentEncoding(maker::kDonationAccount)));
    EXPECT_TRUE(fields[1].contains(QStringLiteral("%40")));
    EXPECT_EQ(
        fields.mid(2),
        (QStringList{QStringLiteral("no_shipping=0"), QStringLiteral("no_note=1"),
                     QStringLiteral("tax=0"), QStringLiteral("currency_code=USD"),
                     QStringLiteral("bn=PP%2dDonationsBF"), QStringLiteral("charset=UTF%2d8")}));
    EXPECT_TRUE(QUrl(maker::kHomepage).isValid());
}

} // namespace
