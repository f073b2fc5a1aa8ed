// The controller's dispatch of interpreted remote events, with recording performers, displays,
// script runner and sounds.

#include "model_fixture.h"
#include "platform/core/front_application.h"
#include "platform/core/sleep_wake.h"
#include "platform/testing/recording_event_poster.h"
#include "vantir/core/controller.h"
#include "vantir/core/osd_display.h"
#include "vantir/core/script_runner.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

struct FakeReceiver : RemoteDevice {
    bool open = false;
    bool exclusive = true;
    bool refuses = false;
    QStringList* calls = nullptr;
    using RemoteDevice::RemoteDevice;
    bool isRemoteAvailable() const override { return true; }
    bool isListeningToRemote() const override { return open; }
    void startListening() override {
        if (refuses)
            return;
        open = true;
        calls->append(exclusive ? str("start exclusive") : str("start shared"));
    }
    void stopListening() override {
        if (open)
            calls->append(str("stop"));
        open = false;
    }
    bool isOpenInExclusiveMode() const override { return exclusive; }
    void setOpenInExclusiveMode(bool value) override { exclusive = value; }
};

struct ScriptRecorder : ScriptRunner {
    QStringList calls;
    bool callScriptNamed(const QString& name, const QMap<QString, QString>& args) override {
        QStringList parts{name};
        for (auto it = args.begin(); it != args.end(); ++it)
            parts.append(it.key() + str("=") + it.value());
        calls.append(parts.join(QLatin1Char(' ')));
        return true;
    }
};

struct SoundRecorder : SoundPlayer {
    QStringList played;
    void play(const QString& name) override { played.append(name); }
};

struct FakeSleepWake : platform::SleepWake {
    std::function<void()> willSleep, didWake;
    void setHandlers(std::function<void()> sleep, std::function<void()> wake) override {
        willSleep = std::move(sleep);
        didWake = std::move(wake);
    }
};

struct FakeFrontApplication : platform::FrontApplication {
    QString name;
    std::function<void(const QString&)> handler;
    QString frontApplicationName() const override { return name; }
    void setChangeHandler(std::function<void(const QString&)> h) override {
        handler = std::move(h);
    }
    void switchTo(const QString& application) {
        name = application;
        handler(application);
    }
};

struct FakeDisplay : OSDDisplay {
    bool shown = false;
    QStringList calls;
    std::function<void(int)> click;
    bool isOpen() const override { return shown; }
    void open() override {
        shown = true;
        calls.append(str("open"));
    }
    void close() override {
        shown = false;
        calls.append(str("close"));
    }
    void refill(const VNTTriggerLayer& layer) override {
        calls.append(str("refill ") + layer.stringForKey(str("name")));
    }
    void refresh() override {}
    void setOSDBHighlighted(int osdb, bool on) override {
        calls.append(QStringLiteral("highlight %1 %2").arg(osdb).arg(on ? str("on") : str("off")));
    }
    void setClickHandler(std::function<void(int)> handler) override { click = std::move(handler); }
};

class ControllerTest : public ModelTest {
protected:
    ControllerTest() {
        registerDefaultSettings(*defaults);
        installArchive("layers.xml");
        repository = makeRepository();
        repository->load();
        for (const char* kind : {"VNTAKeystroke", "VNTAMouse", "VNTAAppleScript"}) {
            model->setPerformer(str(kind), [this](const VNTAction& action) {
                performed.append(action.uuid());
                if (onPerform)
                    onPerform();
                return true;
            });
        }
        auto container = std::make_unique<RemoteDeviceContainer>();
        container->instantiateAndAddRemoteDevice([this](RemoteDeviceDelegate* delegate) {
            auto device = std::make_unique<FakeReceiver>(delegate);
            device->calls = &receiverCalls;
            receiver = device.get();
            return device;
        });
        handler =
            std::make_unique<IRAppleRemoteHandler>(clock, *defaults, nullptr, std::move(container));
        controller = std::make_unique<VNTController>(ControllerServices{
            clock, *preferences, notifications, *repository, *handler, scripts, sounds, sleepWake,
            front, &display, &fullscreen, [this] { activations++; },
            [this](const QString& name) { launched.append(name); }, &poster});
    }

    void activate() {
        controller->setActivated(true);
        ASSERT_TRUE(controller->isListening());
    }
    QString press(int arbe, bool repeated = false) {
        performed.clear();
        controller->handleARBEvent(arbe, repeated);
        return performed.join(QLatin1Char(' '));
    }

    std::unique_ptr<VNTRepository> repository;
    QStringList performed;
    std::function<void()> onPerform;
    QStringList receiverCalls;
    FakeReceiver* receiver = nullptr;
    ScriptRecorder scripts;
    SoundRecorder sounds;
    FakeSleepWake sleepWake;
    FakeFrontApplication front;
    platform::doubles::RecordingEventPoster poster;
    FakeDisplay display, fullscreen;
    int activations = 0;
    QStringList launched;
    std::unique_ptr<IRAppleRemoteHandler> handler;
    std::unique_ptr<VNTController> controller;
};

} // namespace

TEST_F(ControllerTest, StartsWithTheStoredLayerAndTheDisplayAndTakesTheRemote) {
    defaults->setInteger(1, str("LastDisplayedLayer"));
    controller->applicationDidFinishLaunching();
    EXPECT_TRUE(controller->isListening());
    EXPECT_EQ(receiverCalls, QStringList{str("start exclusive")});
    EXPECT_EQ(sounds.played, QStringList{str("Hi")});
    EXPECT_EQ(controller->activeLayerNumber(), 1);
    EXPECT_EQ(display.calls, (QStringList{str("open"), str("refill Browser")}));
}

TEST_F(ControllerTest, WithoutActivationAtStartTheRemoteIsHeardWithoutBeingTaken) {
    defaults->setBool(false, str("ActivateIROnStartup"));
    controller->applicationDidFinishLaunching();
    EXPECT_FALSE(controller->isListening());
    EXPECT_EQ(receiverCalls, QStringList{str("start shared")});
    // Only a Menu hold does something then: it activates.
    EXPECT_EQ(press(ARB_PLAY | kARBSingle), QString());
    press(ARB_MENU | kARBHold, true);
    EXPECT_TRUE(controller->isListening());
    EXPECT_EQ(receiverCalls.last(), str("start exclusive"));
}

TEST_F(ControllerTest, PerformsButtonsOfTheActiveLayerWithHighlights) {
    activate();
    controller->showLayer(0);
    display.open();
    display.calls.clear();
    EXPECT_EQ(press(ARB_PLAY | kARBSingle), str("K"));
    EXPECT_EQ(display.calls, (QStringList{str("highlight 1 on"), str("highlight 1 off")}));
    EXPECT_EQ(press(ARB_PLAY | kARBDouble), str("S")) << "Play double is button 23";
    EXPECT_EQ(press(ARB_PLUS | kARBHold, true), str("M")) << "a repeated hold: its hold actions";
    EXPECT_EQ(press(ARB_PLUS | kARBHold, false), str("K"));
    EXPECT_EQ(press(kARBUp), QString());
    EXPECT_EQ(press(ARB_MINU | kARBDouble), QString()) << "an unbound button does nothing";
}

TEST_F(ControllerTest, TheRemoteIDChoosesItsLayer) {
    activate();
    controller->showLayer(0);
    handler->setRemoteID(7);
    EXPECT_EQ(defaults->integerForKey(str("LastAppleRemoteID")), 7);
    EXPECT_EQ(press(ARB_PLAY | kARBDouble), str("M"));
    handler->setRemoteID(3);
    EXPECT_EQ(press(ARB_PLAY | kARBDouble), str("S")) << "no layer for 3: the active one";
}

TEST_F(ControllerTest, MenuHoldOpensTheLayerMenuWhichStepsAroundAndClosesOrDeactivates) {
    activate();
    fullscreen.open();
    controller->showLayer(2);
    press(ARB_MENU | kARBHold, true);
    EXPECT_TRUE(controller->menuMode());
    EXPECT_TRUE(handler->simpleClickMode());
    EXPECT_GE(activations, 1) << "FrontOnMenu brings the program forward";
    press(ARB_NEXT);
    EXPECT_EQ(controller->activeLayerNumber(), 0) << "past the last layer comes the first";
    press(ARB_PREV);
    EXPECT_EQ(controller->activeLayerNumber(), 2);
    press(ARB_MINU);
    press(ARB_MINU);
    EXPECT_EQ(controller->activeLayerNumber(), 0);
    press(ARB_PLUS);
    EXPECT_EQ(defaults->integerForKey(str("LastDisplayedLayer")), 1);
    EXPECT_EQ(performed, QStringList()) << "the menu performs nothing";
    press(ARB_PLAY);
    EXPECT_FALSE(controller->menuMode());
    EXPECT_FALSE(handler->simpleClickMode());
    EXPECT_EQ(launched, QStringList{str("firefox")}) << "the Browser layer brings its program";

    press(ARB_MENU | kARBHold, true);
    ASSERT_TRUE(controller->menuMode());
    press(ARB_MENU | kARBHold, true);
    EXPECT_FALSE(controller->menuMode());
    EXPECT_FALSE(controller->isListening());
    EXPECT_FALSE(fullscreen.isOpen());
    EXPECT_EQ(sounds.played, (QStringList{str("Hi"), str("Bye")}));
    EXPECT_EQ(receiverCalls.last(), str("start shared"));
}

TEST_F(ControllerTest, MenuClickTogglesTheDisplay) {
    activate();
    controller->showLayer(0);
    press(ARB_MENU | kARBSingle);
    EXPECT_TRUE(display.isOpen());
    press(ARB_MENU | kARBSingle);
    EXPECT_FALSE(display.isOpen());
    defaults->setBool(true, str("UseFullscreenOSD"));
    press(ARB_MENU | kARBSingle);
    EXPECT_TRUE(fullscreen.isOpen());
    EXPECT_FALSE(display.isOpen());
    // The full-screen display's close button closes it.
    fullscreen.click(0);
    EXPECT_FALSE(fullscreen.isOpen());
    display.click(1);
    EXPECT_EQ(performed, QStringList{str("K")});
}

TEST_F(ControllerTest, AnEventArrivingWhileOneIsPerformedIsDropped) {
    activate();
    controller->showLayer(0);
    onPerform = [this] {
        controller->handleARBEvent(ARB_PLAY | kARBDouble, false);
    };
    EXPECT_EQ(press(ARB_PLAY | kARBSingle), str("K"));
    EXPECT_TRUE(logged(str("Already performing, omit incoming event")));
    EXPECT_FALSE(controller->isPerforming());
}

TEST_F(ControllerTest, DontPerformARButtonOnlyLogsTheEvents) {
    defaults->setBool(true, str("DontPerformARButton"));
    activate();
    controller->showLayer(0);
    EXPECT_EQ(press(ARB_PLAY | kARBDouble), QString());
    press(ARB_PLUS | kARBHold, true);
    press(kARBUp);
    press(ARB_MENU | kARBHold, true);
    EXPECT_FALSE(controller->menuMode());
    QStringList events;
    for (const QString& line : logLines)
        if (line.contains(str("(arbe:")))
            events.append(line);
    EXPECT_EQ(events,
              (QStringList{str("ARB_PLAY double (arbe: 2049)"), str("ARB_PLUS hold (arbe: 1028)"),
                           str(" up (arbe: 512)"), str("ARB_MENU hold (arbe: 1026)")}));
}

TEST_F(ControllerTest, LayersFollowTheFrontApplication) {
    activate();
    controller->showLayer(0);
    front.switchTo(str("firefox"));
    EXPECT_EQ(controller->activeLayerNumber(), 1);
    front.switchTo(str("xterm"));
    EXPECT_EQ(controller->activeLayerNumber(), 1) << "no layer names xterm: the layer stays";
    controller->showLayer(2);
    front.switchTo(str("firefox"));
    EXPECT_EQ(controller->activeLayerNumber(), 1);
}

TEST_F(ControllerTest, TheRemoteIDsTabMakesTheProgramDeaf) {
    activate();
    controller->showLayer(0);
    controller->setCurrentPreferencesTab(str("Apple Remote IDs"));
    EXPECT_EQ(press(ARB_PLAY | kARBSingle), str("K")) << "hidden preferences do not count";
    controller->setPreferencesIsVisible(true);
    EXPECT_EQ(press(ARB_PLAY | kARBSingle), QString());
    controller->setCurrentPreferencesTab(str("General"));
    EXPECT_EQ(press(ARB_PLAY | kARBSingle), str("K"));
}

TEST_F(ControllerTest, AnnouncesTheLayerThroughTheScriptRunner) {
    defaults->setBool(true, str("AnnounceLayer"));
    activate();
    controller->showLayer(0);
    press(ARB_MENU | kARBHold, true);
    press(ARB_NEXT);
    press(ARB_MENU);
    EXPECT_EQ(scripts.calls, (QStringList{str("Announce speech=Main voice=Vicki volume=40"),
                                          str("Announce speech=Browser voice=Vicki volume=40"),
                                          str("Announce speech=OK voice=Vicki volume=40")}));
}

TEST_F(ControllerTest, ClosesTheReceiverBeforeSleepAndReopensItAfter) {
    activate();
    receiverCalls.clear();
    sleepWake.willSleep();
    EXPECT_FALSE(receiver->open);
    sleepWake.didWake();
    EXPECT_EQ(receiverCalls, (QStringList{str("stop"), str("start exclusive")}));
    EXPECT_TRUE(controller->isListening());
}

TEST_F(ControllerTest, AnArchiveWithoutLayersPerformsNothing) {
    installArchiveBytes(QByteArrayLiteral(
        "<plist version=\"1.0\"><dict><key>Version</key><integer>30</integer>"
        "<key>Remotes</key><array><dict><key>class</key><string>VNTAppleRemote</string>"
        "</dict></array></dict></plist>"));
    repository->reload();
    activate();
    controller->showLayer(3);
    EXPECT_TRUE(controller->activeLayer().isNull());
    EXPECT_EQ(press(ARB_PLAY | kARBSingle), QString());
    press(ARB_MENU | kARBSingle);
    press(ARB_MENU | kARBHold, true);
    press(ARB_NEXT);
    EXPECT_EQ(controller->activeLayerNumber(), 0);
}

TEST_F(ControllerTest, DisplayKeysActAsTheRemotesButtons) {
    activate();
    controller->showLayer(0);
    controller->keyDown(DisplayKey::Return, false, false);
    controller->keyDown(DisplayKey::Return, true, false);
    controller->keyDown(DisplayKey::Up, false, false);
    EXPECT_EQ(performed, (QStringList{str("K"), str("S"), str("K")}));
    controller->keyDown(DisplayKey::Space, false, false);
    EXPECT_TRUE(controller->menuMode());
    controller->keyDown(DisplayKey::Right, false, false);
    EXPECT_EQ(controller->activeLayerNumber(), 1);
    display.open();
    controller->keyDown(DisplayKey::Escape, false, false);
    EXPECT_FALSE(display.isOpen());
}

TEST_F(ControllerTest, AReceiverThatCannotBeTakenLeavesTheRemoteOffWithoutAGreeting) {
    receiver->refuses = true;
    controller->setActivated(true);
    EXPECT_FALSE(controller->isListening());
    EXPECT_FALSE(sounds.played.contains(str("Hi")));
    EXPECT_EQ(handler->appleRemote(), nullptr);
    controller->setActivated(true);
    EXPECT_FALSE(controller->isListening()) << "no receiver is left to take";
}

TEST_F(ControllerTest, FrontRowSilencesTheRemoteAndGetsItsMenuKey) {
    using platform::doubles::virtualKeyWord;
    defaults->setBool(true, str("DebugMode"));
    activate();
    sounds.played.clear();
    controller->setMenuMode(true);
    front.switchTo(str("Front Row"));
    EXPECT_FALSE(controller->isListening());
    EXPECT_FALSE(controller->menuMode());

    // Remote events are dropped there, but a Menu hold reaches Front Row as its menu key.
    EXPECT_EQ(press(ARB_PLAY), QString());
    press(ARB_MENU | kARBHold);
    EXPECT_EQ(poster.events, QStringList{virtualKeyWord(12, true)});
    clock.advance(0.04);
    EXPECT_EQ(poster.events, (QStringList{virtualKeyWord(12, true), virtualKeyWord(12, false)}));

    // Leaving it, the remote is taken again after half a second.
    front.switchTo(str("Vantir"));
    EXPECT_FALSE(controller->isListening());
    clock.advance(0.5);
    EXPECT_TRUE(controller->isListening());
    // In debug mode each arrival is heard: Front Row, then the program itself coming forward.
    front.switchTo(str("xterm"));
    front.switchTo(str("Vantir"));
    EXPECT_EQ(sounds.played, (QStringList{str("Glass"), str("Bye"), str("Submarine"), str("Hi"),
                                          str("Submarine")}));
}
