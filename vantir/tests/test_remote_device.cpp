// The receiver's cookie strings, the remote ID, the container and the sharing of the receiver
// with other programs, on a scripted element source.

#include "platform/core/defaults.h"
#include "platform/testing/local_distributed_notification_center.h"
#include "platform/testing/manual_clock.h"
#include "vantir/core/receiver_report.h"
#include "vantir/core/remote_device.h"
#include "vantir/core/remote_handler.h"
#include "vantir/core/timed_alerts.h"
#include "vantir/tests/recording_remote_delegate.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantir;

namespace {

struct ScriptedSource : ElementSource {
    bool exists = true;
    std::vector<ElementSource::OpenResult> results{OpenResult::Opened};
    std::vector<bool> exclusiveOpens;
    std::vector<int> queued;
    int closes = 0;
    bool deviceExists() const override { return exists; }
    std::vector<int> cookies() const override { return {2, 3, 4, 18, 19, 0, 20}; }
    OpenResult open(bool exclusive, const std::vector<int>& cookies, Callout) override {
        exclusiveOpens.push_back(exclusive);
        queued = cookies;
        const OpenResult result = results.front();
        if (results.size() > 1)
            results.erase(results.begin());
        return result;
    }
    void close() override { ++closes; }
};

struct Device {
    RecordingRemoteDelegate recorder;
    ScriptedSource* source = new ScriptedSource;
    platform::doubles::LocalDistributedNotificationCenter center;
    IRRemoteDevice device{&recorder, std::unique_ptr<ElementSource>(source), CookieLayout::Newer,
                          QStringLiteral("9.8.0"),
                          RemoteSharing{&center, QStringLiteral("org.notebooksuite.Vantir")}};
};

std::vector<ElementEvent> burst(std::initializer_list<int> cookies, long value) {
    std::vector<ElementEvent> events;
    for (int cookie : cookies)
        events.push_back({cookie, value});
    return events;
}

} // namespace

TEST(CookieStrings, WholeStringsMapToTheirButtonPressedByTheValueSum) {
    Device d;
    d.device.queueCallback(burst({31, 20, 19, 18, 31, 20, 19, 18}, 1), false);
    d.device.queueCallback(burst({31, 29, 28, 19, 18}, 0), false);
    // Cookie 5 is skipped wherever it comes.
    d.device.queueCallback(burst({31, 5, 22, 19, 18, 31, 22, 19, 18}, 1), false);
    const std::vector<std::pair<int, bool>> expected{
        {kRemoteButtonMenu, true}, {kRemoteButtonPlus, false}, {kRemoteButtonRight, true}};
    EXPECT_EQ(d.recorder.events, expected);
}

TEST(CookieStrings, SeveralButtonsInOneBurstFollowTheBacklogSetting) {
    Device d;
    const auto plusThenMinus = burst({31, 29, 28, 19, 18, 31, 30, 28, 19, 18}, 1);
    d.device.queueCallback(plusThenMinus, false);
    EXPECT_EQ(d.recorder.events, (std::vector<std::pair<int, bool>>{{kRemoteButtonMinus, false}}));
    d.recorder.events.clear();
    d.device.setProcessesBacklog(true);
    d.device.queueCallback(plusThenMinus, false);
    EXPECT_EQ(d.recorder.events, (std::vector<std::pair<int, bool>>{{kRemoteButtonPlus, true},
                                                                    {kRemoteButtonMinus, true}}));
}

TEST(CookieStrings, UnknownRestsAndFailedReadsDeliverOnlyWhatMatched) {
    Device d;
    d.device.queueCallback(burst({31, 29, 28, 19, 18, 77, 78}, 1), false);
    d.device.queueCallback(burst({31, 29, 28, 19, 18}, 1), true);
    d.device.queueCallback({}, false);
    d.device.queueCallback(burst({99}, 1), false);
    EXPECT_EQ(d.recorder.events, (std::vector<std::pair<int, bool>>{{kRemoteButtonPlus, false}}));
}

TEST(RemoteID, ItsCookieSetsTheIDAndReportsTheSwitch) {
    Device d;
    d.device.queueCallback({{39, 7}}, false);
    EXPECT_EQ(d.device.remoteID(), 7);
    EXPECT_EQ(d.recorder.remoteIDs, std::vector<int>{7});
    EXPECT_EQ(d.recorder.events,
              (std::vector<std::pair<int, bool>>{{kRemoteControlSwitched, false}}));
}

TEST(RemoteID, RawReportsOfTheReceiverNameTheirRemote) {
    using Report = std::vector<unsigned char>;
    const auto id = [](const Report& report) {
        return remoteIdInReceiverReport(report);
    };
    EXPECT_EQ(id({0x25, 0x87, 0xee, 0x91, 0x0a}), 0x91);
    // A remote with a low battery still names itself; ID 0 is an ID like any other.
    EXPECT_EQ(id({0x25, 0x87, 0xe0, 0x00, 0x06}), 0);
    // Key repeats name no remote, and neither do cut or foreign reports.
    EXPECT_EQ(id({0x26, 0x00, 0x00, 0x00, 0x00}), std::nullopt);
    EXPECT_EQ(id({0x25, 0x87, 0xee, 0x91}), std::nullopt);
    EXPECT_EQ(id({0x25, 0x86, 0xee, 0x91, 0x0a}), std::nullopt);
    EXPECT_EQ(id({0x25, 0x87, 0x00, 0x91, 0x0a}), std::nullopt);
    EXPECT_EQ(id({}), std::nullopt);
}

TEST(RemoteID, CookieFollowsTheKernelRelease) {
    EXPECT_EQ(IRRemoteDevice::remoteSwitchCookieForRelease(QStringLiteral("9.8.0")), 39);
    EXPECT_EQ(IRRemoteDevice::remoteSwitchCookieForRelease(QStringLiteral("8.11.1")), 21);
    EXPECT_EQ(IRRemoteDevice::remoteSwitchCookieForRelease(QStringLiteral("8.0.0")), 19);
    EXPECT_EQ(IRRemoteDevice::remoteSwitchCookieForRelease(QStringLiteral("6.1.0")), 19);
    const auto older = IRRemoteDevice::cookieTable(CookieLayout::Older, 21);
    EXPECT_EQ(older.front().cookies, QStringLiteral("14_12_11_6_"));
    EXPECT_EQ(older.back().cookies, QStringLiteral("21_"));
}

TEST(Listening, OpensSeizedQueuesCookiesUpToZeroAndReturnsTheReceiverOnStop) {
    Device d;
    int announcements = 0;
    d.device.setListeningChangedHandler([&] { ++announcements; });
    EXPECT_TRUE(d.device.sendsEventForButtonIdentifier(kRemoteButtonMenu | kRemoteButtonPlay));
    EXPECT_FALSE(d.device.sendsEventForButtonIdentifier(128));
    d.device.startListening();
    ASSERT_TRUE(d.device.isListeningToRemote());
    EXPECT_EQ(d.source->exclusiveOpens, std::vector<bool>{true});
    EXPECT_EQ(d.source->queued, (std::vector<int>{2, 3, 4, 18, 19}));
    d.device.startListening();
    EXPECT_EQ(d.source->exclusiveOpens.size(), 1u);
    d.device.stopListening();
    EXPECT_FALSE(d.device.isListeningToRemote());
    EXPECT_EQ(announcements, 2);
    ASSERT_EQ(d.center.posted.size(), 1u);
    EXPECT_EQ(d.center.posted[0].name, kFinishedUsingRemoteNotification);
    const auto info = d.center.posted[0].userInfo.toDictionary();
    EXPECT_EQ(info->at(kRemoteDeviceNameKey).toString(), QStringLiteral("AppleIRController"));
    EXPECT_EQ(info->at(kApplicationIdentifierKey).toString(),
              QStringLiteral("org.notebooksuite.Vantir"));
    EXPECT_EQ(info->count(kTargetApplicationIdentifierKey), 0u);
}

TEST(Listening, HeldByAnotherProgramAsksForItAndOpensWhenItIsHandedBack) {
    Device d;
    d.source->results = {ElementSource::OpenResult::ExclusiveAccess,
                         ElementSource::OpenResult::Opened};
    d.device.startListening();
    EXPECT_FALSE(d.device.isListeningToRemote());
    EXPECT_TRUE(d.device.isAwaitingRemote());
    ASSERT_EQ(d.center.posted.size(), 1u);
    EXPECT_EQ(d.center.posted[0].name, kRequestForRemoteNotification);
    d.center.post(kFinishedUsingRemoteNotification, {}, {});
    EXPECT_TRUE(d.device.isListeningToRemote());
    EXPECT_FALSE(d.device.isAwaitingRemote());
    // The observation is gone: another hand-back does not open twice.
    d.center.post(kFinishedUsingRemoteNotification, {}, {});
    EXPECT_EQ(d.source->exclusiveOpens.size(), 2u);
}

TEST(Listening, NoReceiverOrAFailedOpenLeavesItClosed) {
    Device d;
    d.source->exists = false;
    d.device.startListening();
    EXPECT_FALSE(d.device.isListeningToRemote());
    EXPECT_TRUE(d.source->exclusiveOpens.empty());
    d.source->exists = true;
    d.source->results = {ElementSource::OpenResult::Failed};
    d.device.startListening();
    EXPECT_FALSE(d.device.isListeningToRemote());
    EXPECT_FALSE(d.device.isAwaitingRemote());
    EXPECT_TRUE(d.center.posted.empty());
}

TEST(Container, EmptyIsUnavailableNeverListeningAndExclusive) {
    RemoteDeviceContainer container;
    EXPECT_FALSE(container.isRemoteAvailable());
    container.setListeningToRemote(true);
    EXPECT_FALSE(container.isListeningToRemote());
    EXPECT_TRUE(container.isOpenInExclusiveMode());
    EXPECT_EQ(container.count(), 0);
}

TEST(Container, ForwardsToItsDevicesWithItsDelegate) {
    RecordingRemoteDelegate recorder;
    RemoteDeviceContainer container(&recorder);
    ScriptedSource* source = nullptr;
    EXPECT_FALSE(
        container.instantiateAndAddRemoteDevice([](RemoteDeviceDelegate*) { return nullptr; }));
    ASSERT_TRUE(container.instantiateAndAddRemoteDevice([&](RemoteDeviceDelegate* delegate) {
        source = new ScriptedSource;
        return std::make_unique<IRRemoteDevice>(delegate, std::unique_ptr<ElementSource>(source),
                                                CookieLayout::Newer, QStringLiteral("9.8.0"));
    }));
    int announcements = 0;
    container.setListeningChangedHandler([&] { ++announcements; });
    container.setOpenInExclusiveMode(false);
    EXPECT_FALSE(container.isOpenInExclusiveMode());
    container.setListeningToRemote(true);
    EXPECT_TRUE(container.isListeningToRemote());
    EXPECT_EQ(source->exclusiveOpens, std::vector<bool>{false});
    EXPECT_EQ(announcements, 1);
    static_cast<IRRemoteDevice*>(container.device(0))
        ->queueCallback(burst({31, 21, 19, 18, 31, 21, 19, 18}, 1), false);
    EXPECT_EQ(recorder.events, (std::vector<std::pair<int, bool>>{{kRemoteButtonPlay, true}}));
}

namespace {

struct AlertRecorder : TimedAlerts {
    std::vector<TimedAlert> shown;
    int runTimedAlert(const TimedAlert& alert) override {
        shown.push_back(alert);
        return kAlertDefaultReturn;
    }
};

struct ListeningRecorder : ARBEventDelegate {
    std::vector<bool> listening;
    void handleARBEvent(int, bool) override {}
    void setIsListening(bool value) override { listening.push_back(value); }
};

struct Acquisition {
    QTemporaryDir folder;
    platform::Defaults defaults{QStringLiteral("Vantir"), folder.path()};
    platform::doubles::ManualClock clock;
    platform::doubles::LocalDistributedNotificationCenter center;
    AlertRecorder alerts;
    ListeningRecorder controller;
    ScriptedSource* source = nullptr;
    std::unique_ptr<IRAppleRemoteHandler> handler;

    explicit Acquisition(bool withDevice = true) {
        auto container = std::make_unique<RemoteDeviceContainer>();
        if (withDevice) {
            container->instantiateAndAddRemoteDevice([this](RemoteDeviceDelegate* delegate) {
                source = new ScriptedSource;
                return std::make_unique<IRRemoteDevice>(
                    delegate, std::unique_ptr<ElementSource>(source), CookieLayout::Newer,
                    QStringLiteral("9.8.0"), RemoteSharing{&center, {}});
            });
        }
        handler =
            std::make_unique<IRAppleRemoteHandler>(clock, defaults, &alerts, std::move(container));
        handler->setDelegate(&controller);
    }
    QString alertText() const { return alerts.shown.empty() ? QString() : alerts.shown[0].message; }
};

} // namespace

TEST(Acquisition, TakesTheRemoteExclusivelyAndGivesUpOnlyTheExclusiveUse) {
    Acquisition a;
    a.handler->startAppleRemote();
    EXPECT_TRUE(a.alerts.shown.empty());
    EXPECT_EQ(a.source->exclusiveOpens, std::vector<bool>{true});
    a.handler->stopAppleRemote();
    EXPECT_EQ(a.source->exclusiveOpens, (std::vector<bool>{true, false}));
    EXPECT_TRUE(a.handler->appleRemote()->isListeningToRemote());
    a.handler->closeAppleRemote();
    EXPECT_FALSE(a.handler->appleRemote()->isListeningToRemote());
}

TEST(Acquisition, AFailedOpenAlertsAndDropsTheRemoteForTheRun) {
    Acquisition a;
    a.source->results = {ElementSource::OpenResult::Failed};
    a.handler->startAppleRemote();
    ASSERT_EQ(a.alerts.shown.size(), 1u);
    EXPECT_EQ(a.alerts.shown[0].title, QStringLiteral("Vantir Alert"));
    EXPECT_TRUE(a.alertText().startsWith(QStringLiteral("The Apple Remote could not be acquired")));
    EXPECT_EQ(a.alerts.shown[0].seconds, 10);
    EXPECT_EQ(a.handler->appleRemote(), nullptr);
    EXPECT_EQ(a.controller.listening, std::vector<bool>{false});
    a.handler->startAppleRemote();
    EXPECT_EQ(a.alerts.shown.back().message, QStringLiteral("Could not find an Apple IR port."));
}

TEST(Acquisition, AReceiverHeldElsewhereIsKeptToBeTakenWhenHandedBack) {
    Acquisition a;
    a.source->results = {ElementSource::OpenResult::ExclusiveAccess,
                         ElementSource::OpenResult::Opened};
    a.handler->startAppleRemote();
    EXPECT_EQ(a.alerts.shown.size(), 1u);
    ASSERT_NE(a.handler->appleRemote(), nullptr);
    EXPECT_TRUE(a.controller.listening.empty()) << "the remote stays active meanwhile";
    a.center.post(kFinishedUsingRemoteNotification, {}, {});
    EXPECT_TRUE(a.handler->appleRemote()->isListeningToRemote());
    EXPECT_EQ(a.source->exclusiveOpens, (std::vector<bool>{true, true}));
}

TEST(Acquisition, NoReceiverIsSaidAsSuch) {
    Acquisition a;
    a.source->exists = false;
    a.handler->startAppleRemote();
    EXPECT_EQ(a.alertText(), QStringLiteral("Could not find an Apple IR port."));
    Acquisition empty(false);
    empty.handler->startAppleRemote();
    EXPECT_EQ(empty.alertText(), QStringLiteral("Could not find an Apple IR port."));
}

TEST(Acquisition, TheRemoteIDIsRememberedAcrossRuns) {
    Acquisition a;
    EXPECT_EQ(a.handler->remoteID(), -1);
    a.handler->setRemoteID(5);
    IRAppleRemoteHandler next(a.clock, a.defaults, nullptr, nullptr);
    EXPECT_EQ(next.remoteID(), 5);
}
