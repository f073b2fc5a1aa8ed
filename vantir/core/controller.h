#pragma once

#include "vantir/core/classes.h"
#include "vantir/core/remote_handler.h"

#include <QString>

#include <functional>
#include <memory>

namespace platform {
class Clock;
class EventPoster;
class FrontApplication;
class NotificationCenter;
class SleepWake;
class Timer;
} // namespace platform

namespace vantir {

class OSDDisplay;
class Preferences;
class ScriptRunner;
class SoundPlayer;
class VNTRepository;

/// The label of the preferences tab that makes the program deaf to the remote while shown.
inline const QString kAppleRemoteIDsTab = QStringLiteral("Apple Remote IDs");

/// Keys that the display windows pass on to the controller.
enum class DisplayKey { Return, Space, Escape, Left, Right, Down, Up };

/// What the controller leans on. The displays may be null (no such window).
struct ControllerServices {
    platform::Clock& clock;
    Preferences& preferences;
    platform::NotificationCenter& notifications;
    VNTRepository& repository;
    IRAppleRemoteHandler& remote;
    ScriptRunner& scripts;
    SoundPlayer& sounds;
    platform::SleepWake& sleepWake;
    platform::FrontApplication& frontApplication;
    OSDDisplay* osd = nullptr;
    OSDDisplay* fullscreenOsd = nullptr;
    /// Brings the program to the front.
    std::function<void()> activateProgram = [] {
    };
    /// Launches the named application or brings it to the front.
    std::function<void(const QString& name)> launchApplication = [](const QString&) {
    };
    /// Posts the key that a Menu hold sends to Front Row; may be null (nothing is posted).
    platform::EventPoster* eventPoster = nullptr;
};

/// The program's central object: turns every interpreted remote event into activating or
/// deactivating the remote, driving the layer menu, showing the display, or performing the
/// actions bound to a button on the active layer; follows the front application.
class VNTController : public ARBEventDelegate {
public:
    explicit VNTController(ControllerServices services);
    ~VNTController() override;
    VNTController(const VNTController&) = delete;
    VNTController& operator=(const VNTController&) = delete;

    /// What the program does once it has started: activation, the stored layer, the display.
    void applicationDidFinishLaunching();
    /// Called when the program quits: lets the receiver go and saves the preferences.
    void applicationWillTerminate();

    // Remote.
    int appleRemoteID() const { return m_services.remote.remoteID(); }
    bool hasAppleRemoteID() const { return appleRemoteID() >= 0; }
    bool isListening() const { return m_isListening; }
    void setIsListening(bool listening) override;
    void setActivated(bool activated);

    // Layers.
    std::vector<VNTTriggerLayer> layers() const;
    void readRepository();
    void showLayer(int index);
    void setActiveLayer(const VNTTriggerLayer& layer);
    int activeLayerNumber() const { return m_activeLayerNumber; }
    VNTTriggerLayer activeLayer() const { return m_activeLayer; }
    VNTTriggerLayer layerForRemoteID(int remoteID) const;
    void announceLayer();
    bool menuMode() const { return m_menuMode; }
    void setMenuMode(bool menuMode);

    // Displays.
    void toggleShowOSD(const VNTTriggerLayer& layer);
    void showOSDWindow();
    void refreshOSDView();
    void setOSDBHighlighted(int osdb, bool highlighted);
    void clickedOSDButton(int osdb, bool fromFullscreen);
    /// A key pressed in a display window: arrows, Return and Space act as the remote's buttons
    /// (with Shift, as their double click); Escape closes that window.
    void keyDown(DisplayKey key, bool shift, bool inFullscreen);

    // Dispatch.
    void handleARBEvent(int arbe, bool repeated) override;
    void performOSDB(int osdb, const VNTTriggerLayer& layer, bool repeated);
    bool isPerforming() const { return m_isPerforming; }
    /// The log line of an ARB code ("ARB_PLAY single (arbe: 257)").
    static QString describeARBE(int arbe);
    static void printARBE(int arbe);

    // Application.
    void checkForApplicationChange(const QString& name);
    void setIsInFrontRow(bool inFrontRow);
    /// The preferences show `label`; "Apple Remote IDs" makes the program deaf to the remote.
    void setCurrentPreferencesTab(const QString& label);
    void setPreferencesIsVisible(bool visible);
    bool isDumbToAR() const { return m_isDumbToAR; }
    void willSleep();
    void didWake();

private:
    bool boolDefault(const char* key) const;
    void updateAll();
    void postFrontRowMenuKey();

    ControllerServices m_services;
    bool m_isListening = false;
    bool m_menuMode = false;
    int m_activeLayerNumber = 0;
    VNTTriggerLayer m_activeLayer;
    QString m_lastActiveApplicationName;
    bool m_isPerforming = false;
    bool m_isInFrontRow = false;
    bool m_isDumbToAR = false;
    bool m_preferencesIsVisible = false;
    QString m_currentPreferencesTab;
    bool m_wasActiveBeforeFrontRow = false;
    std::unique_ptr<platform::Timer> m_refreshTimer;
    std::unique_ptr<platform::Timer> m_restartTimer;
    std::unique_ptr<platform::Timer> m_frontRowKeyUpTimer;
};

} // namespace vantir
