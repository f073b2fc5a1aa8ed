#pragma once

#include "platform/core/hot_keys.h"
#include "platform/x11/x11_display.h"

#include <QAbstractNativeEventFilter>

#include <map>
#include <memory>

namespace platform::x11 {

/// Hot keys grabbed on the X server's root window. Each combination is grabbed once for every
/// state of NumLock and CapsLock, so the locks do not stop it. Presses and releases come
/// through Qt's native event filter, so the display must be the one Qt's windows live on.
/// Without a display every registration fails, after one log line.
class X11HotKeys final : public HotKeys, private QAbstractNativeEventFilter {
public:
    explicit X11HotKeys(Display* display);
    ~X11HotKeys() override;

    std::optional<Registration> registerHotKey(int keyCode, quint32 modifiers) override;
    void unregisterHotKey(Registration registration) override;
    bool isTakenElsewhere(int keyCode, quint32 modifiers) override;
    void setHandlers(std::function<void(Registration)> pressed,
                     std::function<void(Registration)> released) override;

    /// The X modifier mask of a hot key modifier mask (command is Super, option is Alt).
    static unsigned int x11Modifiers(quint32 hotKeyModifiers);

private:
    struct Grab {
        int keycode;
        unsigned int modifiers;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    /// Grabs the combination in every lock state; answers false, with nothing left grabbed,
    /// when another client holds any of them.
    bool grab(const Grab& grab);
    void ungrab(const Grab& grab);
    std::optional<Grab> grabFor(int keyCode, quint32 modifiers) const;
    std::optional<Registration> registrationOf(const Grab& grab) const;

    Display* m_display;
    unsigned long m_root = 0;
    unsigned int m_numLockMask = 0;
    std::map<Registration, Grab> m_grabs;
    std::map<int, Registration> m_held;
    Registration m_lastRegistration = 0;
    std::function<void(Registration)> m_pressed;
    std::function<void(Registration)> m_released;
};

} // namespace platform::x11
