// The controller on a QUELLAR_ROOT tree: the real helper run directly, recording systemctl and
// modprobe, the simulated processor, scripted alerts and a virtual pause.

#include "platform/core/defaults.h"
#include "platform/core/property_list.h"
#include "platform/testing/scripted_alerts.h"
#include "quellar/common/core/simulated_driver_entries.h"
#include "quellar/controller/core/controller.h"
#include "quellar/controller/core/system_paths.h"
#include "quellar/controller/linux/helper_privileged.h"
#include "system_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <gtest/gtest.h>

using namespace quellar;
using platform::AlertResponse;

namespace {

class VirtualPause final : public Pause {
public:
    void pause(double seconds) override {
        elapsed += seconds;
        if (hook)
            hook(elapsed);
    }
    double elapsed = 0;
    std::function<void(double)> hook;
};

class MemoryKeychain final : public Keychain {
public:
    bool add(const QString& name, const QString& password) override {
        items[name] = password;
        return true;
    }
    QString password(const QString& name) override {
        return items.count(name) ? items[name] : QString();
    }
    QString storedAccount() override { return items.empty() ? QString() : items.begin()->first; }
    bool remove(const QString& name) override { return items.erase(name) == 1; }
    std::map<QString, QString> items;
};

class RecordingView final : public ControllerView {
public:
    void refresh() override { ++refreshes; }
    void liveValuesChanged() override {}
    void testStarted() override { events << QStringLiteral("started"); }
    void testStatus(const QString& text) override { events << text; }
    void testEnded() override { events << QStringLiteral("ended"); }
    int refreshes = 0;
    QStringList events;
};

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One start of the program on the tree; a new Harness on the same tree is the next launch.
struct Harness {
    explicit Harness(SystemTree& tree, QString configFolder)
        : tree(tree), defaults(QString::fromUtf8(kDefaultsDomain), configFolder),
          driver(tree.processor().toStdString()),
          privileged(QString::fromUtf8(std::getenv("QUELLAR_HELPER")),
                     HelperPrivileged::Mode::Direct, tree.environment()),
          system(
              {tree.root(), QString::fromUtf8(std::getenv("QUELLAR_SWITCHER")), tree.processor()}),
          controller({alerts, defaults, driver, privileged, keychain, system, pause,
                      QStringLiteral("Agreement")},
                     view) {}

    QStringList shownTexts() const {
        QStringList texts;
        for (const platform::Alert& alert : alerts.shown)
            texts << alert.informativeText;
        return texts;
    }
    QStringList controlWrites() const {
        return QString::fromUtf8(readFile(tree.processor() + QStringLiteral("/ctl.log")))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    SystemTree& tree;
    platform::doubles::ScriptedAlerts alerts;
    platform::Defaults defaults;
    SimulatedDriverEntries driver;
    HelperPrivileged privileged;
    MemoryKeychain keychain;
    InstalledSystem system;
    VirtualPause pause;
    RecordingView view;
    Controller controller;
};

class ControllerTest : public ::testing::Test {
protected:
    // A first start that installs everything.
    std::unique_ptr<Harness> installed() {
        auto harness = std::make_unique<Harness>(tree, config.path());
        harness->alerts.answers = {AlertResponse::First, AlertResponse::First};
        harness->controller.awakeFromNib();
        return harness;
    }
    QString launchFile() const { return tree.path(QString::fromUtf8(kLaunchDaemonPath)); }

    SystemTree tree;
    QTemporaryDir config;
};

} // namespace

TEST_F(ControllerTest, FirstStartInstallsAfterTheQuestionsAndShowsTheProcessor) {
    const auto harness = installed();
    EXPECT_EQ(harness->shownTexts(), (QStringList{QStringLiteral("Install the Quellar driver?"),
                                                  QStringLiteral("Agreement")}));
    EXPECT_TRUE(harness->system.driverInstalled() && harness->system.daemonInstalled() &&
                harness->system.launchDaemonInstalled());
    EXPECT_TRUE(tree.toolCalls().contains(QStringLiteral("modprobe msr")));

    const Controller& c = harness->controller;
    EXPECT_EQ(c.lists().frequencyItems.first(), QStringLiteral("1200 MHz"));
    EXPECT_EQ(c.lists().frequencyItems.last(), QStringLiteral("2400 MHz"));
    EXPECT_EQ(c.lists().voltageItems.first(), QStringLiteral("0.8625 V"));
    EXPECT_EQ(c.factory().DefMax, 4u);
    EXPECT_EQ(c.settings().SetA[0], (StatePair{0x06, 12}))
        << "a bare launch file gives the factory tables";
    EXPECT_EQ(c.settings().SetB[3], (StatePair{0x0C, 40}));
    EXPECT_EQ(c.curFreq(), QStringLiteral("2400"));
    EXPECT_EQ(c.curVid(), QStringLiteral("1.2125"));
    EXPECT_EQ(c.curTemp(), QStringLiteral("50\u00B0C"));
    EXPECT_TRUE(c.driverOn()) << "no governor: the daemon holds the processor alone";
    EXPECT_TRUE(c.switcherChecked());
}

TEST_F(ControllerTest, DecliningTheAgreementInstallsNothing) {
    Harness harness(tree, config.path());
    harness.alerts.answers = {AlertResponse::First, AlertResponse::Second};
    harness.controller.awakeFromNib();
    EXPECT_TRUE(harness.shownTexts().contains(QStringLiteral("Quellar installation failed")));
    EXPECT_TRUE(QDir(tree.root()).isEmpty());
}

TEST_F(ControllerTest, ADriverWithoutItsDaemonFailsWithoutAsking) {
    QDir().mkpath(tree.path(QStringLiteral("/etc/modules-load.d")));
    QFile(tree.path(QString::fromUtf8(kModulesLoadPath))).open(QIODevice::WriteOnly);
    Harness harness(tree, config.path());
    harness.controller.awakeFromNib();
    EXPECT_EQ(harness.shownTexts().first(), QStringLiteral("Quellar installation failed"));
}

TEST(DriverVersion, PartsCompareAsIntegersAndCountsMustMatch) {
    EXPECT_FALSE(versionUpToDate(QStringLiteral("1.2.3"), QStringLiteral("1.2.10")));
    EXPECT_FALSE(versionUpToDate(QStringLiteral("1.2"), QStringLiteral("1.2.0")));
    EXPECT_TRUE(versionUpToDate(QStringLiteral("1.2.10"), QStringLiteral("1.2.3")));
    EXPECT_TRUE(versionUpToDate(QStringLiteral("2.0"), QStringLiteral("2.0")));
}

TEST_F(ControllerTest, AnOldDriverIsReplacedAfterTheQuestion) {
    installed();
    QFile stamp(tree.path(QString::fromUtf8(kDriverStampPath)));
    ASSERT_TRUE(stamp.open(QIODevice::WriteOnly));
    stamp.write("1.2.0\n");
    stamp.close();
    const int before = int(tree.toolCalls().size());

    Harness next(tree, config.path());
    next.alerts.answers = {AlertResponse::First};
    next.controller.awakeFromNib();
    EXPECT_EQ(next.shownTexts().first(),
              QStringLiteral("Do you want to update the Quellar driver?\nYour current settings "
                             "will not be affected."));
    EXPECT_EQ(readFile(stamp.fileName()).trimmed(), kDriverVersion);
    EXPECT_EQ(tree.toolCalls().mid(before),
              (QStringList{QStringLiteral("systemctl disable --now quellar-switcher.service"),
                           QStringLiteral("modprobe msr"),
                           QStringLiteral("systemctl enable --now quellar-switcher.service")}));
    EXPECT_DOUBLE_EQ(next.pause.elapsed, 0.4);
}

TEST_F(ControllerTest, AnOlderDaemonIsReplacedAndItsJobStateRestored) {
    installed();
    const QString daemon = tree.path(QString::fromUtf8(kInstalledDaemonPath));
    QFile old(daemon);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("#!/bin/sh\n"); // says nothing: version 0
    old.close();
    EXPECT_EQ(InstalledSystem::checkSwitcher(daemon), 0);
    EXPECT_DOUBLE_EQ(
        InstalledSystem::checkSwitcher(QString::fromUtf8(std::getenv("QUELLAR_SWITCHER"))), 1.0);

    Harness next(tree, config.path());
    next.alerts.answers = {AlertResponse::First};
    next.controller.awakeFromNib();
    EXPECT_TRUE(next.shownTexts().contains(
        QStringLiteral("Do you want to update the QuellarSwitcher daemon?\nYour current settings "
                       "will not be affected.")));
    EXPECT_EQ(QFileInfo(daemon).size(),
              QFileInfo(QString::fromUtf8(std::getenv("QUELLAR_SWITCHER"))).size());
    EXPECT_EQ(tree.toolCalls().last(),
              QStringLiteral("systemctl enable --now quellar-switcher.service"));
    EXPECT_TRUE(next.controller.switcherChecked());
}

TEST_F(ControllerTest, UninstallRemovesEveryPieceThePreferencesAndTheStoredAdministrator) {
    auto harness = installed();
    ASSERT_TRUE(harness->controller.keySet(QStringLiteral("admin"), QStringLiteral("secret")));
    harness->alerts.answers = {AlertResponse::First};
    EXPECT_TRUE(harness->controller.uninstallFiles());
    EXPECT_FALSE(harness->system.driverInstalled() || harness->system.daemonInstalled() ||
                 harness->system.launchDaemonInstalled());
    EXPECT_FALSE(QFileInfo::exists(tree.path(QString::fromUtf8(kUnitPath))));
    EXPECT_FALSE(QFileInfo::exists(harness->defaults.path()));
    EXPECT_TRUE(harness->keychain.items.empty());
    EXPECT_TRUE(tree.toolCalls().contains(QStringLiteral("modprobe -r msr")));
}

TEST_F(ControllerTest, UninstallHandsTheProcessorBackToTheKeptGovernor) {
    const QString governor =
        tree.path(QStringLiteral("/sys/devices/system/cpu/cpu0/cpufreq/scaling_governor"));
    QDir().mkpath(QFileInfo(governor).path());
    QFile file(governor);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ondemand\n");
    file.close();
    auto harness = installed();
    EXPECT_FALSE(harness->controller.driverOn());
    EXPECT_FALSE(harness->controller.switcherEnabled());

    harness->controller.changeDriver(true);
    EXPECT_TRUE(harness->controller.driverOn());
    EXPECT_EQ(readFile(governor), "userspace\n");
    EXPECT_EQ(tree.toolCalls().last(),
              QStringLiteral("systemctl enable --now quellar-switcher.service"));

    harness->alerts.answers = {AlertResponse::First};
    EXPECT_TRUE(harness->controller.uninstallFiles());
    EXPECT_EQ(readFile(governor), "ondemand\n");
}

TEST_F(ControllerTest, SavingWithoutTestingWritesTheElevenArgumentsAndEnablesTheJob) {
    auto harness = installed();
    Controller& c = harness->controller;
    c.clearTable(Tab::Adapter, std::nullopt);
    c.selectFrequency(6); // 2400 MHz
    c.selectVoltage(28);  // 1.2125 V
    c.addFreq(Tab::Adapter, std::nullopt);
    c.selectFrequency(4); // 2000 MHz
    c.selectVoltage(12);
    c.addFreq(Tab::Adapter, std::nullopt);
    c.clearTable(Tab::Battery, std::nullopt);
    c.selectFrequency(0);
    c.selectVoltage(0);
    c.addFreq(Tab::Battery, std::nullopt);
    c.tempLimit(3);
    harness->alerts.answers = {AlertResponse::Second};
    c.testSettings();

    const QByteArray file = readFile(launchFile());
    const auto parsed = platform::readPropertyList(file);
    ASSERT_TRUE(parsed);
    QStringList arguments;
    for (const platform::Value& argument : *(*parsed)[QStringLiteral("ProgramArguments")].toArray())
        arguments << argument.toString();
    EXPECT_EQ(
        arguments,
        (QStringList{QStringLiteral("/usr/local/sbin/QuellarSwitcher"), QStringLiteral("-a"),
                     QStringLiteral("2584:3112:"), QStringLiteral("-b"), QStringLiteral("1548:"),
                     QStringLiteral("-l"), QStringLiteral("25:75"), QStringLiteral("-i"),
                     QStringLiteral("20"), QStringLiteral("-t"), QStringLiteral("65")}));
    EXPECT_TRUE(readFile(tree.path(QString::fromUtf8(kUnitPath)))
                    .contains("ExecStart=/usr/local/sbin/QuellarSwitcher -a 2584:3112: -b 1548: -l "
                              "25:75 -i 20 -t 65\n"));
    EXPECT_EQ(tree.toolCalls().last(),
              QStringLiteral("systemctl enable --now quellar-switcher.service"));
    EXPECT_FALSE((*parsed).toDictionary()->count(QStringLiteral("Disabled")));

    Harness next(tree, config.path());
    next.controller.awakeFromNib();
    EXPECT_EQ(next.controller.settings().SetA, c.settings().SetA) << "read back at the next start";
    EXPECT_EQ(next.controller.settings().tLimit, 65);
}

TEST_F(ControllerTest, CancelDuringTheThirdAdapterSettingSavesNothingAndRestoresTheDaemon) {
    auto harness = installed();
    const QByteArray before = readFile(launchFile());
    const int writesBefore = int(harness->controlWrites().size());
    harness->alerts.answers = {AlertResponse::First};
    // The third setting starts after 0.1 s and two settings of 5 s.
    harness->pause.hook = [&](double elapsed) {
        if (elapsed > 11.0)
            harness->controller.cancelTest();
    };
    harness->controller.testSettings();
    EXPECT_EQ(
        harness->controlWrites().mid(writesBefore),
        (QStringList{QStringLiteral("1548"), QStringLiteral("2072"), QStringLiteral("2592")}));
    EXPECT_EQ(harness->view.events, (QStringList{QStringLiteral("started"),
                                                 QStringLiteral("Testing adapter setting No. 1"),
                                                 QStringLiteral("Testing adapter setting No. 2"),
                                                 QStringLiteral("Testing adapter setting No. 3"),
                                                 QString(), QStringLiteral("ended")}));
    EXPECT_EQ(readFile(launchFile()), before);
    EXPECT_EQ(tree.toolCalls().mid(tree.toolCalls().size() - 2),
              (QStringList{QStringLiteral("systemctl disable --now quellar-switcher.service"),
                           QStringLiteral("systemctl enable --now quellar-switcher.service")}));
    EXPECT_EQ(harness->controller.loadGenerator().sleep(), LoadGenerator::kIdle);
}

TEST_F(ControllerTest, AFullTestRunsEverySettingForFiveSecondsThenSaves) {
    auto harness = installed();
    const int writesBefore = int(harness->controlWrites().size());
    harness->alerts.answers = {AlertResponse::First};
    harness->controller.testSettings();
    EXPECT_EQ(harness->controlWrites().size() - writesBefore, 8);
    EXPECT_NEAR(harness->pause.elapsed, 0.1 + 8 * 5.0 + 0.0025, 1e-9);
    EXPECT_TRUE(readFile(launchFile()).contains("<string>1548:2072:2592:3112:</string>"));
}

TEST_F(ControllerTest, ADriverThatVanishesEndsTheTestAndRestoresTheDaemon) {
    auto harness = installed();
    const QByteArray before = readFile(launchFile());
    harness->alerts.answers = {AlertResponse::First};
    harness->pause.hook = [&](double elapsed) {
        if (elapsed > 3.0)
            QDir(tree.processor()).removeRecursively();
    };
    harness->controller.testSettings();
    EXPECT_EQ(readFile(launchFile()), before);
    EXPECT_EQ(tree.toolCalls().last(),
              QStringLiteral("systemctl enable --now quellar-switcher.service"));
    EXPECT_LT(harness->pause.elapsed, 11.0);
    EXPECT_EQ(harness->view.events.last(), QStringLiteral("ended"));
}

TEST_F(ControllerTest, AnEmptyBatteryTableIsRefusedAndTheDaemonLeftAlone) {
    auto harness = installed();
    harness->controller.clearTable(Tab::Battery, std::nullopt);
    const QStringList calls = tree.toolCalls();
    harness->controller.testSettings();
    EXPECT_EQ(harness->shownTexts().last(),
              QStringLiteral("You have to select values for both battery and adapter."));
    EXPECT_EQ(tree.toolCalls(), calls);
}

TEST_F(ControllerTest, AFailedSaveIsReported) {
    auto harness = installed();
    tree.failTool(QStringLiteral("systemctl"));
    harness->alerts.answers = {AlertResponse::Second};
    harness->controller.testSettings();
    EXPECT_EQ(harness->shownTexts().last(),
              QStringLiteral("Could not create settings file for launch daemon"));
}

TEST_F(ControllerTest, SetWritesThePackedSettingAndTheSwitcherBoxFollowsTheJob) {
    auto harness = installed();
    Controller& c = harness->controller;
    c.switcherOn(false);
    EXPECT_FALSE(c.switcherChecked());
    EXPECT_TRUE(c.setEnabled());
    c.selectFrequency(3);
    c.selectVoltage(10);
    c.applyFreq();
    EXPECT_EQ(harness->controlWrites().last(), QString::number(9 * 256 + 22));
    c.readFreq();
    EXPECT_EQ(c.curFreq(), QStringLiteral("1800"));

    tree.failTool(QStringLiteral("systemctl"));
    c.switcherOn(true);
    EXPECT_FALSE(c.switcherChecked()) << "a failed start flips the box back";
}

TEST_F(ControllerTest, AddReplacesTheSelectedRowAndRefusesAKnownFrequency) {
    auto harness = installed();
    Controller& c = harness->controller;
    c.selectFrequency(2); // ratio 8, already in row 1
    c.addFreq(Tab::Adapter, 0);
    EXPECT_EQ(c.settings().SetA[0], (StatePair{0x08, 24}));
    EXPECT_EQ(c.settings().SetA[3], StatePair{}) << "the table shrank by one";
}

TEST_F(ControllerTest, TheVoltageWarningIsShownOnceAcrossLaunches) {
    {
        auto harness = installed();
        harness->controller.clickVolt();
        harness->controller.clickVolt();
        EXPECT_EQ(harness->shownTexts().filter(QStringLiteral("WARNING!")).size(), 1);
    }
    Harness next(tree, config.path());
    next.controller.awakeFromNib();
    next.controller.clickVolt();
    EXPECT_TRUE(next.shownTexts().filter(QStringLiteral("WARNING!")).isEmpty());
}

TEST_F(ControllerTest, LiveValuesInFahrenheitAndAtHalfBus) {
    auto harness = installed();
    Controller& c = harness->controller;
    QFile temperature(tree.processor() + QStringLiteral("/kern.quellar2_temp"));
    ASSERT_TRUE(temperature.open(QIODevice::WriteOnly));
    temperature.write("57\n");
    temperature.close();
    c.setFahrenheit(true);
    c.readFreq();
    EXPECT_EQ(c.curTemp(), QStringLiteral("134\u00B0F"));
    c.setValue(0x8C20);
    c.readFreq();
    EXPECT_EQ(c.curFreq(), QStringLiteral("1200"));
}

TEST(StatusTitle, RotatesOverTheTickedValues) {
    std::array<std::int8_t, 8> checked{1, 0, 1, 0, 0, 0, 0, 0};
    std::uint32_t menuNr = 0;
    const QString f = QStringLiteral("2400"), v = QStringLiteral("1.2125"),
                  t = QStringLiteral("50\u00B0C");
    EXPECT_EQ(statusTitle(checked, menuNr, f, v, t), f);
    EXPECT_EQ(statusTitle(checked, menuNr, f, v, t), t) << "voltage is not ticked";
    EXPECT_EQ(statusTitle(checked, menuNr, f, v, t), f);
}

TEST(StatusTitle, AllAtOnceWithSmallFontPutsTheFrequencyOnTheFirstLine) {
    std::array<std::int8_t, 8> checked{1, 1, 0, 1, 0, 1, 0, 0};
    std::uint32_t menuNr = 0;
    const QString f = QStringLiteral("2400"), v = QStringLiteral("1.2125"),
                  t = QStringLiteral("50\u00B0C");
    EXPECT_EQ(statusTitle(checked, menuNr, f, v, t), QStringLiteral(" 2400\n 1.2125"));
    checked = {0, 1, 1, 1, 0, 1, 0, 0};
    EXPECT_EQ(statusTitle(checked, menuNr, f, v, t), QStringLiteral(" 1.2125\n 50\u00B0C"));
    checked = {1, 1, 1, 1, 0, 0, 0, 0};
    EXPECT_EQ(statusTitle(checked, menuNr, f, v, t), QStringLiteral(" 2400 1.2125 50\u00B0C"));
    checked = {0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(statusTitle(checked, menuNr, f, v, t), QString())
        << "nothing ticked: all at once, empty";
}

TEST_F(ControllerTest, TheLastValueStaysTickedWhileTheIconIsHidden) {
    auto harness = installed();
    Controller& c = harness->controller;
    c.menuController(kHideIcon);
    c.menuController(kShowFrequency); // tick frequency ... (off at start)
    c.menuController(kShowFrequency); // ... and untick it again
    ASSERT_EQ(c.getChecked(), 1);
    c.menuController(kShowTemperature);
    EXPECT_EQ(c.settings().checkedItems[kShowTemperature], 1)
        << "unticking the last value is refused";
    c.menuController(kAllAtOnce);
    EXPECT_EQ(c.settings().checkedItems[kAllAtOnce], 0) << "the all-at-once click is kept";
}

TEST_F(ControllerTest, WithoutDriverEntriesTheKernelsReadingsShowAndTheVoltageIsUnavailable) {
    auto harness = installed();
    struct Kernel final : FallbackReadings {
        std::optional<int> megahertz() override { return 1596; }
        std::optional<int> celsius() override { return 41; }
    } kernel;
    SimulatedDriverEntries gone(tree.root().toStdString() + "/no-processor");
    Harness fallback(tree, config.path());
    Controller c({fallback.alerts, fallback.defaults, gone, fallback.privileged, fallback.keychain,
                  fallback.system, fallback.pause, QString(), &kernel},
                 fallback.view);
    c.readFreq();
    EXPECT_EQ(c.curFreq(), QStringLiteral("1596"));
    EXPECT_EQ(c.curTemp(), QStringLiteral("41\u00B0C"));
    EXPECT_EQ(c.curVid(), QStringLiteral("unavailable"));
}

TEST_F(ControllerTest, AnUnreadableSwitcherFileGivesTheFactoryTablesAndAnOffSwitcher) {
    installed();
    QFile launch(launchFile());
    ASSERT_TRUE(launch.open(QIODevice::WriteOnly));
    launch.write("<?xml version=\"1.0\"?><plist><dict><key>ProgramArguments</key><array><string>");
    launch.close();
    Harness next(tree, config.path());
    next.controller.awakeFromNib();
    EXPECT_EQ(next.controller.settings().SetA[0], (StatePair{0x06, 12}));
    EXPECT_FALSE(next.controller.switcherChecked());
}

TEST_F(ControllerTest, WithoutReadableRegistersTheHelperReadsTheLimitsOnce) {
    installed();
    // The user's view: no registers, no daemon.
    struct NoStatus final : DriverEntries {
        bool read(const char*, std::int32_t&) override { return false; }
        bool write(const char*, std::int32_t) override { return false; }
    } unreadable;
    struct Counting final : Privileged {
        explicit Counting(Privileged& inner) : inner(inner) {}
        bool authorize() override { return inner.authorize(); }
        void deauthenticate() override {}
        std::optional<QByteArray> run(const HelperRequest& request,
                                      const QByteArray& input) override {
            reads += request.verb == HelperVerb::ReadStatus;
            return inner.run(request, input);
        }
        Privileged& inner;
        int reads = 0;
    };
    Harness next(tree, config.path());
    Counting counting(next.privileged);
    Controller c({next.alerts, next.defaults, unreadable, counting, next.keychain, next.system,
                  next.pause, QString()},
                 next.view);
    c.awakeFromNib();
    c.clickDivide(false);
    EXPECT_EQ(counting.reads, 1);
    EXPECT_EQ(c.lists().frequencyItems.last(), QStringLiteral("2400 MHz"))
        << "the bus clock came along";
    EXPECT_EQ(c.lists().Volt.size(), 29u);
}
