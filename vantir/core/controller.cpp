#include "vantir/core/controller.h"

#include "platform/core/clock.h"
#include "platform/core/event_poster.h"
#include "platform/core/front_application.h"
#include "platform/core/log.h"
#include "platform/core/notification_center.h"
#include "platform/core/sleep_wake.h"
#include "vantir/core/keystroke_action.h"
#include "vantir/core/osd_display.h"
#include "vantir/core/preferences.h"
#include "vantir/core/repository.h"
#include "vantir/core/script_runner.h"

namespace vantir {

namespace {

const QString kLastDisplayedLayer = QStringLiteral("LastDisplayedLayer");
const QString kFrontRow = QStringLiteral("Front Row");
// What a Menu hold sends Front Row, which takes the remote's menu key from the keyboard, and
// how long that key stays down.
constexpr int kFrontRowMenuKey = 12;
constexpr double kFrontRowKeyDuration = 0.04;
constexpr int kMenuHold = ARB_MENU | kARBHold;
constexpr int kTitleButton = 2;

} // namespace

VNTController::VNTController(ControllerServices services) : m_services(std::move(services)) {
    m_services.remote.setDelegate(this);
    readRepository();
    m_services.notifications.addObserver(this, QStringLiteral("ChangedLibrary"), nullptr,
                                         [this](const platform::Notification&) { updateAll(); });
    for (OSDDisplay* display : {m_services.osd, m_services.fullscreenOsd}) {
        if (!display)
            continue;
        const bool fullscreen = display == m_services.fullscreenOsd;
        display->setClickHandler(
            [this, fullscreen](int osdb) { clickedOSDButton(osdb, fullscreen); });
    }
    m_services.sleepWake.setHandlers([this] { willSleep(); }, [this] { didWake(); });
    m_services.frontApplication.setChangeHandler(
        [this](const QString& name) { checkForApplicationChange(name); });
}

VNTController::~VNTController() {
    m_services.notifications.removeObserver(this);
    m_services.remote.setDelegate(nullptr);
    m_services.sleepWake.setHandlers({}, {});
    m_services.frontApplication.setChangeHandler({});
    for (OSDDisplay* display : {m_services.osd, m_services.fullscreenOsd})
        if (display)
            display->setClickHandler({});
}

bool VNTController::boolDefault(const char* key) const {
    return m_services.preferences.userDefaults().boolForKey(QString::fromLatin1(key));
}

void VNTController::applicationDidFinishLaunching() {
    const platform::Defaults& defaults = m_services.preferences.userDefaults();
    if (boolDefault("ActivateIROnStartup"))
        setActivated(true);
    else
        // Not active, but still hearing the remote without taking it, so that a Menu hold can
        // activate the program.
        m_services.remote.stopAppleRemote();
    showLayer(int(integerForKey(defaults, kLastDisplayedLayer, 0)));
    if (boolDefault("ShowOSDAtStartup"))
        showOSDWindow();
    checkForApplicationChange(m_services.frontApplication.frontApplicationName());
}

void VNTController::applicationWillTerminate() {
    m_services.remote.closeAppleRemote();
    m_services.preferences.gotoSleep();
}

void VNTController::setActivated(bool activated) {
    const RemoteDeviceContainer* remote = m_services.remote.appleRemote();
    setIsListening(activated && remote && remote->isRemoteAvailable());
}

void VNTController::setIsListening(bool listening) {
    if (listening == m_isListening)
        return;
    m_isListening = listening;
    if (listening)
        m_services.remote.startAppleRemote();
    else
        m_services.remote.stopAppleRemote();
    // Acquiring may have failed and switched listening off again meanwhile.
    if (listening != m_isListening)
        return;
    if (boolDefault("AnnounceActivationStatus"))
        m_services.sounds.play(listening ? QStringLiteral("Hi") : QStringLiteral("Bye"));
}

std::vector<VNTTriggerLayer> VNTController::layers() const {
    return m_services.repository.layersOfFirstRemote();
}

void VNTController::readRepository() {
    for (const VNTTriggerLayer& layer : layers())
        layer.checkOSDBDuplicates(nullptr);
}

void VNTController::updateAll() {
    readRepository();
    showLayer(m_activeLayerNumber);
}

void VNTController::showLayer(int index) {
    const std::vector<VNTTriggerLayer> all = layers();
    if (all.empty()) {
        // An archive without layers: nothing to show or perform.
        m_activeLayerNumber = 0;
        m_activeLayer = {};
        return;
    }
    if (index < 0)
        index = int(all.size()) - 1;
    if (index >= int(all.size()))
        index = 0;
    m_activeLayerNumber = index;
    m_activeLayer = all[std::size_t(index)];
    for (OSDDisplay* display : {m_services.osd, m_services.fullscreenOsd})
        if (display && display->isOpen())
            display->refill(m_activeLayer);
    if (m_menuMode)
        announceLayer();
    m_services.preferences.userDefaults().setInteger(index, kLastDisplayedLayer);
    m_refreshTimer =
        m_services.clock.scheduleTimer(0, platform::Repeats::No, [this] { refreshOSDView(); });
}

void VNTController::setActiveLayer(const VNTTriggerLayer& layer) {
    const std::vector<VNTTriggerLayer> all = layers();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].isSameObject(layer))
            showLayer(int(i));
}

VNTTriggerLayer VNTController::layerForRemoteID(int remoteID) const {
    if (remoteID < 1)
        return m_activeLayer;
    for (const VNTTriggerLayer& layer : layers())
        if (layer.isResponsibleForID(remoteID))
            return layer;
    return m_activeLayer;
}

void VNTController::announceLayer() {
    if (!boolDefault("AnnounceLayer") || m_activeLayer.isNull())
        return;
    const platform::Defaults& defaults = m_services.preferences.userDefaults();
    m_services.scripts.callScriptNamed(
        QStringLiteral("Announce"),
        {{QStringLiteral("speech"), m_activeLayer.stringForKey(QStringLiteral("name"))},
         {QStringLiteral("voice"),
          stringForKey(defaults, QStringLiteral("VoiceCharacter"), QStringLiteral("Victoria"))},
         {QStringLiteral("volume"),
          QString::number(integerForKey(defaults, QStringLiteral("VoiceVolume"), 50))}});
}

void VNTController::setMenuMode(bool menuMode) {
    m_menuMode = menuMode;
    if (menuMode) {
        announceLayer();
        setOSDBHighlighted(kTitleButton, true);
        m_services.remote.setSimpleClickMode(true);
        return;
    }
    if (boolDefault("AnnounceLayer")) {
        const platform::Defaults& defaults = m_services.preferences.userDefaults();
        m_services.scripts.callScriptNamed(
            QStringLiteral("Announce"),
            {{QStringLiteral("speech"), QStringLiteral("OK")},
             {QStringLiteral("voice"),
              stringForKey(defaults, QStringLiteral("VoiceCharacter"), QStringLiteral("Victoria"))},
             {QStringLiteral("volume"),
              QString::number(integerForKey(defaults, QStringLiteral("VoiceVolume"), 50))}});
    }
    setOSDBHighlighted(kTitleButton, false);
    if (m_isListening && !m_activeLayer.isNull() &&
        m_activeLayer.boolForKey(QStringLiteral("activateAppWithLayer"))) {
        const QString application =
            m_activeLayer.stringForKey(QStringLiteral("appToBeActivatedWithLayer"));
        if (!application.isEmpty())
            m_services.launchApplication(application);
    }
    m_services.remote.setSimpleClickMode(false);
}

void VNTController::toggleShowOSD(const VNTTriggerLayer& layer) {
    const bool changed = !layer.isSameObject(m_activeLayer);
    if (changed)
        setActiveLayer(layer);
    OSDDisplay* window =
        boolDefault("UseFullscreenOSD") ? m_services.fullscreenOsd : m_services.osd;
    if (window) {
        if (window->isOpen() && !changed) {
            window->close();
        } else {
            const bool wasOpen = window->isOpen();
            m_services.activateProgram();
            window->open();
            if (!wasOpen && !m_activeLayer.isNull())
                window->refill(m_activeLayer);
        }
    }
    m_refreshTimer =
        m_services.clock.scheduleTimer(0, platform::Repeats::No, [this] { refreshOSDView(); });
}

void VNTController::showOSDWindow() {
    if (!m_services.osd)
        return;
    const bool wasOpen = m_services.osd->isOpen();
    m_services.activateProgram();
    m_services.osd->open();
    if (!wasOpen && !m_activeLayer.isNull())
        m_services.osd->refill(m_activeLayer);
}

void VNTController::refreshOSDView() {
    if (m_services.fullscreenOsd && m_services.fullscreenOsd->isOpen())
        m_services.fullscreenOsd->refresh();
}

void VNTController::setOSDBHighlighted(int osdb, bool highlighted) {
    for (OSDDisplay* display : {m_services.osd, m_services.fullscreenOsd})
        if (display && display->isOpen())
            display->setOSDBHighlighted(osdb, highlighted);
}

void VNTController::clickedOSDButton(int osdb, bool fromFullscreen) {
    if (osdb == 0 && fromFullscreen && m_services.fullscreenOsd)
        m_services.fullscreenOsd->close();
    performOSDB(osdb, m_activeLayer, false);
}

void VNTController::keyDown(DisplayKey key, bool shift, bool inFullscreen) {
    const int modifier = shift ? kARBDouble : kARBSingle;
    switch (key) {
    case DisplayKey::Escape:
        if (OSDDisplay* window = inFullscreen ? m_services.fullscreenOsd : m_services.osd)
            window->close();
        return;
    case DisplayKey::Space:
        handleARBEvent(kMenuHold, false);
        return;
    case DisplayKey::Return:
        handleARBEvent(ARB_PLAY | modifier, false);
        return;
    case DisplayKey::Left:
        handleARBEvent(ARB_PREV | modifier, false);
        return;
    case DisplayKey::Right:
        handleARBEvent(ARB_NEXT | modifier, false);
        return;
    case DisplayKey::Down:
        handleARBEvent(ARB_MINU | modifier, false);
        return;
    case DisplayKey::Up:
        handleARBEvent(ARB_PLUS | modifier, false);
        return;
    }
}

QString VNTController::describeARBE(int arbe) {
    QString line;
    switch (arbe & 0xff) {
    case ARB_PLAY:
        line = QStringLiteral("ARB_PLAY");
        break;
    case ARB_MENU:
        line = QStringLiteral("ARB_MENU");
        break;
    case ARB_PLUS:
        line = QStringLiteral("ARB_PLUS");
        break;
    case ARB_NEXT:
        line = QStringLiteral("ARB_NEXT");
        break;
    case ARB_MINU:
        line = QStringLiteral("ARB_MINU");
        break;
    case ARB_PREV:
        line = QStringLiteral("ARB_PREV");
        break;
    default:
        break;
    }
    if (arbe & kARBSingle)
        line += QStringLiteral(" single");
    if (arbe & kARBHold)
        line += QStringLiteral(" hold");
    if (arbe & kARBDouble)
        line += QStringLiteral(" double");
    if (arbe & kARBUp)
        line += QStringLiteral(" up");
    return QStringLiteral("%1 (arbe: %2)").arg(line).arg(arbe);
}

void VNTController::printARBE(int arbe) {
    platform::log(QStringLiteral(" "));
    platform::log(describeARBE(arbe));
}

void VNTController::handleARBEvent(int arbe, bool repeated) {
    if (m_isDumbToAR)
        return;
    if (m_isInFrontRow) {
        if (arbe == kMenuHold)
            postFrontRowMenuKey();
        return;
    }
    if (m_isPerforming) {
        platform::log(QStringLiteral("Already performing, omit incoming event"));
        return;
    }
    m_isPerforming = true;
    struct Finish {
        bool& performing;
        ~Finish() { performing = false; }
    } finish{m_isPerforming};

    if (boolDefault("DontPerformARButton")) {
        printARBE(arbe);
        return;
    }
    if (arbe == kMenuHold && m_isListening && boolDefault("FrontOnMenu")) {
        m_services.activateProgram();
        OSDDisplay* window =
            boolDefault("UseFullscreenOSD") ? m_services.fullscreenOsd : m_services.osd;
        if (window) {
            const bool wasOpen = window->isOpen();
            window->open();
            if (!wasOpen && !m_activeLayer.isNull())
                window->refill(m_activeLayer);
        }
    }
    if (!m_isListening) {
        if (arbe == kMenuHold)
            setActivated(true);
        return;
    }
    if (platform::isDebugEnabled(platform::DebugChannel::Debug))
        printARBE(arbe);
    const int code = arbe & ~kARBSingle;
    if (m_menuMode) {
        switch (code) {
        case ARB_PLUS:
        case ARB_NEXT:
            showLayer(m_activeLayerNumber + 1);
            break;
        case ARB_MINU:
        case ARB_PREV:
            showLayer(m_activeLayerNumber - 1);
            break;
        case ARB_PLAY:
        case ARB_MENU:
            setMenuMode(false);
            break;
        case kMenuHold:
            setActivated(false);
            setMenuMode(false);
            if (m_services.fullscreenOsd && m_services.fullscreenOsd->isOpen())
                m_services.fullscreenOsd->close();
            break;
        default:
            break;
        }
        return;
    }
    const VNTTriggerLayer layer = layerForRemoteID(appleRemoteID());
    if (code == ARB_MENU)
        toggleShowOSD(layer);
    else if (code == kMenuHold)
        setMenuMode(true);
    else
        performOSDB(osdbForARBE(code), layer, repeated);
}

void VNTController::performOSDB(int osdb, const VNTTriggerLayer& layer, bool repeated) {
    if (osdb == 0 || layer.isNull())
        return;
    setOSDBHighlighted(osdb, true);
    layer.performActionForOSDB(osdb, appleRemoteID(), repeated);
    setOSDBHighlighted(osdb, false);
}

void VNTController::postFrontRowMenuKey() {
    platform::EventPoster* poster = m_services.eventPoster;
    if (!poster)
        return;
    // A key still down from the hold before is let go first, so no press is left hanging.
    if (m_frontRowKeyUpTimer && m_frontRowKeyUpTimer->isValid()) {
        m_frontRowKeyUpTimer.reset();
        poster->postKey(kFrontRowMenuKey, platform::KeyState::Up);
    }
    poster->postKey(kFrontRowMenuKey, platform::KeyState::Down);
    m_frontRowKeyUpTimer =
        m_services.clock.scheduleTimer(kFrontRowKeyDuration, platform::Repeats::No, [poster] {
            poster->postKey(kFrontRowMenuKey, platform::KeyState::Up);
        });
}

void VNTController::checkForApplicationChange(const QString& name) {
    if (name == m_lastActiveApplicationName)
        return;
    const bool inFrontRow = name == kFrontRow;
    if (m_services.preferences.DebugMode()) {
        if (isProgramName(name) && !isProgramName(m_lastActiveApplicationName))
            m_services.sounds.play(QStringLiteral("Submarine"));
        if (inFrontRow)
            m_services.sounds.play(QStringLiteral("Glass"));
    }
    setIsInFrontRow(inFrontRow);
    m_lastActiveApplicationName = name;
    if (!m_activeLayer.isNull() && m_activeLayer.boolForKey(QStringLiteral("activateWithApp")) &&
        m_activeLayer.stringForKey(QStringLiteral("activateWithAppName")) == name)
        return;
    const std::vector<VNTTriggerLayer> all = layers();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].boolForKey(QStringLiteral("activateWithApp")) &&
            all[i].stringForKey(QStringLiteral("activateWithAppName")) == name) {
            showLayer(int(i));
            return;
        }
    }
}

void VNTController::setIsInFrontRow(bool inFrontRow) {
    if (inFrontRow == m_isInFrontRow)
        return;
    m_isInFrontRow = inFrontRow;
    if (inFrontRow) {
        m_wasActiveBeforeFrontRow = m_isListening;
        setMenuMode(false);
        setIsListening(false);
        return;
    }
    if (m_wasActiveBeforeFrontRow)
        m_restartTimer = m_services.clock.scheduleTimer(0.5, platform::Repeats::No,
                                                        [this] { setIsListening(true); });
}

void VNTController::setCurrentPreferencesTab(const QString& label) {
    m_currentPreferencesTab = label;
    m_isDumbToAR = m_preferencesIsVisible && label == kAppleRemoteIDsTab;
}

void VNTController::setPreferencesIsVisible(bool visible) {
    m_preferencesIsVisible = visible;
    m_isDumbToAR = visible && m_currentPreferencesTab == kAppleRemoteIDsTab;
}

void VNTController::willSleep() {
    // The receiver may vanish or change while the machine sleeps; it is opened afresh after.
    m_services.remote.closeAppleRemote();
}

void VNTController::didWake() {
    platform::log(QStringLiteral("kIOMessageSystemHasPoweredOn"));
    if (m_isListening) {
        platform::log(QStringLiteral("re/wake apple remote"));
        m_services.remote.startAppleRemote();
    } else {
        m_services.remote.stopAppleRemote();
    }
}

} // namespace vantir
