#include "platform/core/log.h"
#include "platform/testing/manual_clock.h"
#include "platform/testing/scripted_alerts.h"
#include "voltaro/core/app_controller.h"
#include "voltaro/core/history.h"
#include "voltaro/tests/fake_tools.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace voltaro;
using platform::doubles::ManualClock;
using platform::doubles::ScriptedAlerts;

namespace {

class RecordingWindow final : public MainWindowOutlets {
public:
    void loadPreferences(const PreferencesSheet& sheet) override { loadedSheet = sheet; }
    void centerWindows() override { ++centred; }
    void setArchitecture(const QString& text) override { architecture = text; }
    void showBatteryFields(const BatteryFields& fields) override { shown.push_back(fields); }

    PreferencesSheet loadedSheet;
    int centred = 0;
    QString architecture;
    std::vector<BatteryFields> shown;
};

class RefreshCycle : public ::testing::Test {
protected:
    RefreshCycle() : defaults(QStringLiteral("Voltaro"), folder.path()) {
        tools->setShellOutput(kProductNameProbe, "    |   \"product-name\" = <\"ThinkPad\">");
        tools->setShellOutput(kIntelCapacityCommand, " 5000\n");
        tools->setShellOutput(kSerialCommand, "W8812XXXXXX");
        tools->setReport(fakes::leopardReport(4000, 4400, 317, false, true));
    }
    ~RefreshCycle() override {
        // Nothing stays held, so that the controller's wait ends at once.
        for (int call = 0; call < 64; ++call)
            tools->release(call);
    }

    appController& controller() {
        if (!m_controller)
            m_controller = std::make_unique<appController>(clock, alerts, defaults, table, tools);
        return *m_controller;
    }

    bool waitForWorkers() { return controller().waitForWorkers(std::chrono::seconds(10)); }

    QTemporaryDir folder;
    ManualClock clock{QDateTime(QDate(2008, 4, 15), QTime(5, 0), Qt::UTC)};
    ScriptedAlerts alerts;
    platform::Defaults defaults;
    platform::StringsTable table = fakes::englishStrings();
    std::shared_ptr<fakes::FakeTools> tools = std::make_shared<fakes::FakeTools>();
    RecordingWindow window;

private:
    std::unique_ptr<appController> m_controller;
};

TEST_F(RefreshCycle, StartUpShowsTheFieldsOnceTheFirstWorkerHasRun) {
    tools->hold(1); // the first worker's report; call 0 is the start-up's battery test
    ASSERT_TRUE(controller().awakeFromNib(window));
    EXPECT_EQ(window.architecture, QStringLiteral("AMD"));
    EXPECT_EQ(window.centred, 1);
    ASSERT_EQ(window.shown.size(), 1u) << "one display refresh at once";
    EXPECT_FALSE(window.shown.back().revealed);
    EXPECT_EQ(window.shown.back().chargeCurrent, QStringLiteral("2 mAh")) << "start values";

    ASSERT_TRUE(tools->waitForCalls(2));
    clock.advance(3);
    EXPECT_EQ(window.shown.size(), 4u) << "every second";
    EXPECT_FALSE(window.shown.back().revealed) << "the worker has not finished";

    tools->release(1);
    ASSERT_TRUE(waitForWorkers());
    clock.advance(1);
    const BatteryFields& fields = window.shown.back();
    EXPECT_TRUE(fields.revealed);
    EXPECT_EQ(fields.chargeCurrent, QStringLiteral("4000 mAh"));
    EXPECT_EQ(fields.chargePercent, QStringLiteral("90 %"));
    EXPECT_EQ(fields.capacityOriginal, QStringLiteral("5000 mAh"));
    EXPECT_EQ(fields.capacityPercent, QStringLiteral("88 %"));
    EXPECT_EQ(fields.loadcycles, QStringLiteral("317"));
    EXPECT_EQ(fields.age, QStringLiteral("6 Weeks")) << "45 days";
    EXPECT_EQ(fields.chargerConnected, QStringLiteral("Yes"));
    EXPECT_EQ(fields.batteryCharging, QStringLiteral("No"));
}

TEST_F(RefreshCycle, AWorkerEverySevenSeconds) {
    ASSERT_TRUE(controller().awakeFromNib(window));
    ASSERT_TRUE(waitForWorkers());
    EXPECT_EQ(tools->calls(), 2);
    clock.advance(6.9);
    EXPECT_EQ(tools->calls(), 2);
    clock.advance(0.1);
    ASSERT_TRUE(waitForWorkers());
    EXPECT_EQ(tools->calls(), 3);
    clock.advance(14);
    ASSERT_TRUE(waitForWorkers());
    EXPECT_EQ(tools->calls(), 5);
}

TEST_F(RefreshCycle, OverlappingWorkersAreSerialisedByTheLock) {
    tools->setReport(1, fakes::leopardReport(1000, 4400, 1, false, false));
    tools->setReport(2, fakes::leopardReport(2000, 4400, 2, true, true));
    tools->hold(1);
    ASSERT_TRUE(controller().awakeFromNib(window));
    ASSERT_TRUE(tools->waitForCalls(2));
    clock.advance(7); // a second worker while the first is still in its tool
    ASSERT_TRUE(tools->waitForCalls(3));
    ASSERT_TRUE(controller().waitForWorkers(std::chrono::seconds(10), 1));
    EXPECT_EQ(controller().runningWorkers(), 1);
    // Whichever worker got call 2 has finished; the other is held.
    clock.advance(1);
    EXPECT_EQ(window.shown.back().chargeCurrent, QStringLiteral("2000 mAh"));
    EXPECT_EQ(window.shown.back().loadcycles, QStringLiteral("2"));
    EXPECT_TRUE(window.shown.back().revealed);

    tools->release(1);
    ASSERT_TRUE(waitForWorkers());
    clock.advance(1);
    EXPECT_EQ(window.shown.back().chargeCurrent, QStringLiteral("1000 mAh"))
        << "the last write wins";
    EXPECT_EQ(window.shown.back().loadcycles, QStringLiteral("1"));
    EXPECT_EQ(window.shown.back().chargerConnected, QStringLiteral("No"));
}

TEST_F(RefreshCycle, WorkersStuckInAToolDoNotPileUp) {
    QStringList lines;
    platform::setLogSink([&](const QString& line) { lines << line; });
    for (int call = 1; call < 20; ++call)
        tools->hold(call);
    ASSERT_TRUE(controller().awakeFromNib(window));
    clock.advance(70);
    ASSERT_TRUE(tools->waitForCalls(1 + appController::kMaxRunningWorkers));
    EXPECT_EQ(controller().runningWorkers(), appController::kMaxRunningWorkers);
    EXPECT_EQ(lines.size(), 1) << "reported once";
    for (int call = 1; call < 20; ++call)
        tools->release(call);
    ASSERT_TRUE(waitForWorkers());
    clock.advance(7);
    ASSERT_TRUE(waitForWorkers());
    EXPECT_EQ(tools->calls(), 2 + appController::kMaxRunningWorkers) << "they start again";
    platform::setLogSink({});
}

TEST_F(RefreshCycle, SavingThePreferencesStartsAWorkerAtOnce) {
    ASSERT_TRUE(controller().awakeFromNib(window));
    ASSERT_TRUE(waitForWorkers());
    clock.advance(3);
    EXPECT_EQ(tools->calls(), 2);
    const std::optional<double> nextTick = clock.secondsToNextTimer();

    PreferencesSheet sheet;
    sheet.customCapacityChecked = true;
    sheet.customCapacityText = QStringLiteral("8800 mAh");
    controller().preferences_savePreferences(sheet);
    ASSERT_TRUE(waitForWorkers());
    EXPECT_EQ(tools->calls(), 3);
    EXPECT_EQ(controller().globalBatteryData().capacityMaximum(), 8800);
    EXPECT_EQ(defaults.stringForKey(key::kCustomCapacity), QStringLiteral("8800 mAh"));

    // The rhythm goes on unchanged: the next worker 7 s after the last tick, at 7.
    EXPECT_EQ(clock.secondsToNextTimer(), nextTick);
    clock.advance(3.9);
    EXPECT_EQ(tools->calls(), 3);
    clock.advance(0.1);
    ASSERT_TRUE(waitForWorkers());
    EXPECT_EQ(tools->calls(), 4);
}

TEST_F(RefreshCycle, ACustomCapacityOfLettersIsZeroAndShowsNoPercentage) {
    defaults.setString(QStringLiteral("lots"), key::kCustomCapacity);
    ASSERT_TRUE(controller().awakeFromNib(window));
    ASSERT_TRUE(waitForWorkers());
    clock.advance(1);
    EXPECT_EQ(window.shown.back().capacityOriginal, QString());
    EXPECT_EQ(window.shown.back().capacityPercent, QString());
    EXPECT_EQ(window.loadedSheet.customCapacityText, QStringLiteral("lots"));
    EXPECT_TRUE(window.loadedSheet.customCapacityChecked);
}

TEST_F(RefreshCycle, AReportWithoutTheMaximumShowsAnEmptyPercentage) {
    tools->setReport(QByteArray(R"(<plist version="1.0"><array><dict><key>_items</key><array>
        <dict><key>_name</key><string>spbattery_information</string>
        <key>sppower_battery_charge_info</key><dict>
        <key>sppower_battery_current_capacity</key><integer>500</integer></dict></dict>
        </array></dict></array></plist>)"));
    ASSERT_TRUE(controller().awakeFromNib(window));
    ASSERT_TRUE(waitForWorkers());
    clock.advance(1);
    const BatteryFields& fields = window.shown.back();
    EXPECT_EQ(fields.chargeMaximum, QStringLiteral("0 mAh"));
    EXPECT_EQ(fields.chargePercent, QString());
    EXPECT_EQ(fields.loadcycles, QStringLiteral("0"));
    EXPECT_EQ(fields.capacityPercent, QStringLiteral("0 %")) << "no present capacity of 5000";
    EXPECT_EQ(fields.batteryCharging, QStringLiteral("Yes")) << "no is_charging text";
}

TEST_F(RefreshCycle, ACustomSerialShowsAtTheNextRefresh) {
    ASSERT_TRUE(controller().awakeFromNib(window));
    ASSERT_TRUE(waitForWorkers());
    defaults.setString(QString(11, QLatin1Char(' ')), key::kCustomSerial);
    clock.advance(7);
    ASSERT_TRUE(waitForWorkers());
    clock.advance(1);
    EXPECT_EQ(window.shown.back().age, QStringLiteral("0 Weeks"));
}

TEST_F(RefreshCycle, AnUnsupportedComputerGetsTheAlertAndNoTimers) {
    tools->setReport(QByteArray(R"(<plist version="1.0"><array><dict><key>_items</key><array>
        <dict><key>_name</key><string>sppower_ac_charger_information</string></dict>
        </array></dict></array></plist>)"));
    EXPECT_FALSE(controller().awakeFromNib(window));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText, table.text(QStringLiteral("UnsupportedComputerTitle")));
    EXPECT_EQ(alerts.shown[0].informativeText,
              table.text(QStringLiteral("UnsupportedComputerText")) + QStringLiteral(" (UNKNOWN)"));
    EXPECT_EQ(alerts.shown[0].buttons, QStringList{QStringLiteral("Quit")});
    EXPECT_EQ(clock.pendingTimers(), 0);
    EXPECT_TRUE(window.shown.empty());
}

TEST_F(RefreshCycle, ADesktopMacStaysUnsupported) {
    tools->setShellOutput(kProductNameProbe, "    |   \"product-name\" = <\"iMac7,1\">");
    tools->setReport(QByteArray("<plist version=\"1.0\"><array/></plist>"));
    EXPECT_FALSE(controller().identifyComputer());
    EXPECT_EQ(controller().globalComputerTypeString(), family::kNotSupported);
}

TEST_F(RefreshCycle, ProbesRunInOrderUntilOnePlacesTheMachine) {
    tools->setShellOutput(kProductNameProbe, "");
    tools->setShellOutput(kModelIdentifierProbe, "");
    tools->setShellOutput(kModelProbe, "      Model Name: PowerBook G4 PowerBook5,8");
    ASSERT_TRUE(controller().identifyComputer());
    EXPECT_EQ(controller().globalComputerTypeString(), family::kPpcNotebook);
    EXPECT_EQ(controller().architectureText(), QStringLiteral("PPC"));
    const std::vector<QString> probes(tools->commandLines.begin(), tools->commandLines.begin() + 3);
    EXPECT_EQ(probes,
              (std::vector<QString>{kProductNameProbe, kModelIdentifierProbe, kModelProbe}));
}

TEST_F(RefreshCycle, APowerBookReadsItsDesignCapacityFromTheDeviceTree) {
    tools->setShellOutput(kProductNameProbe, "    |   \"product-name\" = <\"PowerBook5,8\">");
    tools->setShellOutput(kPpcCapacityCommandNewer, "4200}");
    ASSERT_TRUE(controller().awakeFromNib(window));
    ASSERT_TRUE(waitForWorkers());
    EXPECT_EQ(controller().globalBatteryData().capacityMaximum(), 4200);
}

TEST_F(RefreshCycle, TheHistoryButtonSavesTheShownCapacity) {
    ASSERT_TRUE(controller().awakeFromNib(window));
    ASSERT_TRUE(waitForWorkers());
    clock.advance(1);
    QTemporaryDir data;
    Voltaro_AppDelegate delegate(alerts, data.path());
    controller().savedData_saveData(delegate);
    controller().savedData_saveData(delegate);
    const auto& records = delegate.managedObjectContext().records();
    ASSERT_EQ(records.size(), 2u) << "two entries on one day are two records";
    EXPECT_EQ(records[0],
              (SavedData{clock.currentDate().toLocalTime().toString(QStringLiteral("yyyy-MM-dd")),
                         QStringLiteral("88 % (4400 mAh)")}));
    EXPECT_EQ(records[0], records[1]);
}

TEST_F(RefreshCycle, NoEntryWithoutACapacityPercentage) {
    tools->setShellOutput(kIntelCapacityCommand, "");
    tools->hold(1);
    ASSERT_TRUE(controller().awakeFromNib(window));
    QTemporaryDir data;
    Voltaro_AppDelegate delegate(alerts, data.path());
    EXPECT_FALSE(controller().savedData_saveData(delegate)) << "the start values are no reading";
    tools->release(1);
    ASSERT_TRUE(waitForWorkers());
    clock.advance(1);
    EXPECT_EQ(window.shown.back().capacityOriginal, QString()) << "no design capacity found";
    EXPECT_FALSE(controller().savedData_saveData(delegate));
    EXPECT_TRUE(delegate.managedObjectContext().records().empty());
    EXPECT_EQ(alerts.beeps, 2);
}

} // namespace
