#include "kelvane/tests/controller_fixture.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace kelvane;
using kelvane::testing::ControllerFixture;

namespace {

platform::ArrayRef loginItems(ControllerFixture& f) {
    const auto domain = f.defaults().persistentDomainForName(QStringLiteral("loginwindow"));
    if (!domain)
        return nullptr;
    return platform::Value(domain)[QStringLiteral("AutoLaunchedApplicationDictionary")].toArray();
}

QDateTime hoursBefore(ControllerFixture& f, double hours) {
    return f.clock.currentDate().addSecs(qint64(-hours * 3600));
}

} // namespace

TEST(LoginItem, TurningItOnTwiceLeavesOneEntryFirst) {
    ControllerFixture f;
    const platform::Value other = platform::Value::newDictionary(
        {{QStringLiteral("Hide"), true},
         {QStringLiteral("Path"), QStringLiteral("/usr/bin/other")}});
    ASSERT_TRUE(f.defaults().setPersistentDomain(
        {{QStringLiteral("AutoLaunchedApplicationDictionary"), platform::Value::newArray({other})}},
        QStringLiteral("loginwindow")));
    auto& controller = f.start();
    controller.changeLoginPreference(true);
    controller.changeLoginPreference(true);
    const auto items = loginItems(f);
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 2u);
    EXPECT_EQ(items->at(0)[QStringLiteral("Path")].toString(), QStringLiteral("/usr/bin/Kelvane"));
    EXPECT_FALSE(items->at(0)[QStringLiteral("Hide")].toBool());
    EXPECT_EQ(items->at(1), other);
    EXPECT_EQ(f.reread().integerForKey(QStringLiteral("loginPreferenceSelectedRow")), 1);

    QFile entry(controller.autostartEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("Exec=\"/usr/bin/Kelvane\""));
    entry.close();

    controller.changeLoginPreference(false);
    EXPECT_EQ(loginItems(f)->size(), 1u);
    EXPECT_FALSE(QFile::exists(controller.autostartEntryPath()));
}

TEST(LoginItem, RemovingWithoutADomainWritesNothing) {
    ControllerFixture f;
    auto& controller = f.start();
    controller.changeLoginPreference(false);
    EXPECT_FALSE(f.defaults().persistentDomainForName(QStringLiteral("loginwindow")));
}

TEST(LoginItem, StoredRowTwoShowsTheBoxTicked) {
    ControllerFixture f;
    f.defaults().setInteger(2, QStringLiteral("loginPreferenceSelectedRow"));
    auto& controller = f.start();
    controller.showPrefsWindow();
    EXPECT_TRUE(controller.loginPreferenceState());
}

TEST(UpdateSchedule, EachItemWritesItsKeysAndInterval) {
    ControllerFixture f;
    auto& controller = f.start();
    controller.changeCheckUpdates(KVUpdatesDaily);
    auto saved = f.reread();
    EXPECT_TRUE(saved.boolForKey(QStringLiteral("SUCheckAtStartup")));
    EXPECT_EQ(saved.integerForKey(QStringLiteral("SUScheduledCheckInterval")), 86400);
    EXPECT_EQ(saved.integerForKey(QStringLiteral("checkUpdatesSelectedItem")), 3);
    EXPECT_EQ(f.updater.intervals, std::vector<double>{86400});

    controller.changeCheckUpdates(KVUpdatesAtLaunch);
    EXPECT_TRUE(f.reread().objectForKey(QStringLiteral("SUScheduledCheckInterval")).isNone());
    EXPECT_TRUE(f.reread().boolForKey(QStringLiteral("SUCheckAtStartup")));
    EXPECT_EQ(f.updater.intervals.size(), 1u) << "at launch only: nothing to schedule";

    controller.changeCheckUpdates(KVUpdatesWeekly);
    controller.changeCheckUpdates(KVUpdatesNever);
    EXPECT_FALSE(f.reread().boolForKey(QStringLiteral("SUCheckAtStartup")));
    EXPECT_EQ(f.updater.intervals, (std::vector<double>{86400, 604800}));
}

TEST(UpdateSchedule, CheckAtStartupWithoutAnItemSelectsHourly) {
    ControllerFixture f;
    f.defaults().setBool(true, QStringLiteral("SUCheckAtStartup"));
    auto& controller = f.start();
    EXPECT_EQ(controller.checkUpdatesSelectedItem(), KVUpdatesHourly);
    EXPECT_EQ(f.updater.intervals, std::vector<double>{3600});
}

TEST(DonationReminder, NeverAnsweredRemindsThirtySecondsAfterLaunch) {
    ControllerFixture f;
    f.start();
    f.clock.advance(29.9);
    EXPECT_EQ(f.donationWindowsShown, 0);
    f.clock.advance(0.2);
    EXPECT_EQ(f.donationWindowsShown, 1);
}

TEST(DonationReminder, LaterAnswerCarriesAcrossLaunches) {
    ControllerFixture tenHours;
    tenHours.defaults().setDate(hoursBefore(tenHours, 10),
                                QStringLiteral("donationReminderLastDisplayed"));
    tenHours.start();
    tenHours.clock.advance(14 * 3600 - 1);
    EXPECT_EQ(tenHours.donationWindowsShown, 0);
    tenHours.clock.advance(2);
    EXPECT_EQ(tenHours.donationWindowsShown, 1);

    ControllerFixture twoDays;
    twoDays.defaults().setDate(hoursBefore(twoDays, 48),
                               QStringLiteral("donationReminderLastDisplayed"));
    twoDays.start();
    twoDays.clock.advance(30.1);
    EXPECT_EQ(twoDays.donationWindowsShown, 1);
}

TEST(DonationReminder, SilencedForOneVersionShowsAgainForTheNext) {
    ControllerFixture first;
    first.start();
    first.clock.advance(31);
    first.controller->donateLater(true);
    first.clock.advance(3 * 86400);
    EXPECT_EQ(first.donationWindowsShown, 1) << "nothing scheduled after don't-ask-again";

    ControllerFixture sameVersion;
    sameVersion.defaults().setString(QStringLiteral("1.2"),
                                     QStringLiteral("donationReminderVersion"));
    sameVersion.defaults().setDate(sameVersion.clock.currentDate(),
                                   QStringLiteral("donationReminderLastDisplayed"));
    sameVersion.start();
    sameVersion.clock.advance(2 * 86400);
    EXPECT_EQ(sameVersion.donationWindowsShown, 0);

    ControllerFixture newVersion;
    newVersion.version = QStringLiteral("1.3");
    newVersion.defaults().setString(QStringLiteral("1.2"),
                                    QStringLiteral("donationReminderVersion"));
    newVersion.defaults().setDate(newVersion.clock.currentDate(),
                                  QStringLiteral("donationReminderLastDisplayed"));
    newVersion.start();
    newVersion.clock.advance(86400 - 1);
    EXPECT_EQ(newVersion.donationWindowsShown, 0);
    newVersion.clock.advance(2);
    EXPECT_EQ(newVersion.donationWindowsShown, 1);
}

TEST(DonationReminder, DonatingOpensThePageAndContributingStopsReminders) {
    ControllerFixture f;
    auto& controller = f.start();
    controller.donateNow();
    ASSERT_EQ(f.urlOpener.opened.size(), 1u);
    EXPECT_EQ(f.urlOpener.opened[0].toString(),
              QStringLiteral("https://kelvane.example.org/donate.html"));
    EXPECT_EQ(f.reread().stringForKey(QStringLiteral("donationReminderVersion")),
              QStringLiteral("1.2"));

    ControllerFixture contributed;
    contributed.defaults().setBool(true, QStringLiteral("donationDidAlreadyContribute"));
    contributed.start();
    EXPECT_EQ(contributed.clock.pendingTimers(), 0);
}
