#pragma once

#include "vantir/core/remote_device.h"

#include <memory>

namespace platform {
class Clock;
class Defaults;
class Timer;
} // namespace platform

namespace vantir {

class TimedAlerts;

/// ARB event codes: one button bit in the low byte, modifier bits in the second.
enum ARBCode : int {
    ARB_PLAY = 1,
    ARB_MENU = 2,
    ARB_PLUS = 4,
    ARB_NEXT = 8,
    ARB_MINU = 16,
    ARB_PREV = 32,
    kARBSingle = 0x100,
    kARBUp = 0x200,
    kARBHold = 0x400,
    kARBDouble = 0x800,
};

/// The ARB code of a device's button identifier; 0 for an unknown one.
int buttonIdentifierToARB(int identifier);
/// Seconds in which a second press makes a double click: 10 / "DoubleClickSpeed".
double clickWindow(const platform::Defaults& defaults);
/// Seconds between the reports of a held button: 1 / "HoldRepeatSpeed".
double repeatInterval(const platform::Defaults& defaults);

/// What the interpreter tells the controller.
class ARBEventDelegate {
public:
    virtual ~ARBEventDelegate() = default;
    virtual void handleARBEvent(int arbe, bool repeated) = 0;
    /// The remote could not be acquired: the controller stops counting itself listening.
    virtual void setIsListening(bool listening) = 0;
    /// The remote's ID changed (it is already stored).
    virtual void appleRemoteIDChanged() {}
};

/// Turns the remote's presses and releases into clicks, double clicks, holds with repeats and
/// releases. In the timed mode a press waits one click window for a second press; in the
/// simple mode (while the layer menu is open) each press is reported at once.
class IRAppleRemoteHandler : public RemoteDeviceDelegate {
public:
    /// `container` holds the devices (made with this handler as delegate); `alerts` may be null.
    IRAppleRemoteHandler(platform::Clock& clock, platform::Defaults& defaults, TimedAlerts* alerts,
                         std::unique_ptr<RemoteDeviceContainer> container);
    ~IRAppleRemoteHandler() override;

    void setDelegate(ARBEventDelegate* delegate) { m_delegate = delegate; }
    /// The container, or null once acquiring the remote failed for good.
    RemoteDeviceContainer* appleRemote() const { return m_appleRemote.get(); }
    int remoteID() const { return m_remoteID; }
    bool isRepeating() const { return m_isRepeating; }
    bool simpleClickMode() const { return m_simpleClickMode; }
    void setSimpleClickMode(bool simple) { m_simpleClickMode = simple; }

    /// Opens the remote exclusively; shows a timed alert when it cannot.
    void startAppleRemote();
    /// Gives up exclusive use but keeps listening, so that a Menu hold can still activate.
    void stopAppleRemote();
    /// Closes the remote altogether (before the machine sleeps or the program quits).
    void closeAppleRemote();

    void sendRemoteButtonEvent(int identifier, bool pressedDown, RemoteDevice* device) override;
    void setRemoteID(int remoteID) override;

private:
    void handleTimedARB(int identifier, bool pressedDown);
    void handleSimpleARB(int identifier, bool pressedDown);
    void handleDoubleTimer(int identifier);
    void handleARBEvent(int arbe);
    void holdOnARB(int arbe);
    void looseHoldOn();
    int* counterFor(int identifier);
    void alert(const QString& text);

    platform::Clock& m_clock;
    platform::Defaults& m_defaults;
    TimedAlerts* m_alerts;
    std::unique_ptr<RemoteDeviceContainer> m_appleRemote;
    bool m_down = false;
    bool m_holding = false;
    int m_remoteID = -1;
    int m_playDownCounter = 0;
    int m_rightDownCounter = 0;
    int m_leftDownCounter = 0;
    int m_plusDownCounter = 0;
    int m_minusDownCounter = 0;
    int m_menuDownCounter = 0;
    std::unique_ptr<platform::Timer> m_buttonTimer;
    std::unique_ptr<platform::Timer> m_repeatTimer;
    bool m_isRepeating = false;
    bool m_isHolding = false;
    bool m_isLoosingOnHold = false;
    bool m_simpleClickMode = false;
    ARBEventDelegate* m_delegate = nullptr;
};

} // namespace vantir
