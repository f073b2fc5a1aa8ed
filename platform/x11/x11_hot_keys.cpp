#include "platform/x11/x11_hot_keys.h"

#include "platform/core/log.h"
#include "platform/core/virtual_key_codes.h"

#include <QCoreApplication>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace platform::x11 {
namespace {

// Xlib reports errors through one process-wide handler; grabs put their own in place for the
// few requests whose refusal they need to see.
int g_grabError = 0;

int recordGrabError(Display*, XErrorEvent* event) {
    g_grabError = event->error_code;
    return 0;
}

constexpr unsigned int kComparedModifiers = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

unsigned int findNumLockMask(Display* display) {
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return 0;
    unsigned int mask = 0;
    for (int modifier = 0; modifier < 8 && numLock != 0; ++modifier)
        for (int key = 0; key < map->max_keypermod; ++key)
            if (map->modifiermap[modifier * map->max_keypermod + key] == numLock)
                mask = 1u << modifier;
    XFreeModifiermap(map);
    return mask;
}

} // namespace

X11HotKeys::X11HotKeys(Display* display) : m_display(display) {
    if (!m_display) {
        log(QStringLiteral("no X display: global hot keys are off"));
        return;
    }
    m_root = DefaultRootWindow(m_display);
    m_numLockMask = findNumLockMask(m_display);
    // The server then sends no release for keys it repeats, only further presses, which are
    // dropped while the key is held.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(m_display, True, &supported);
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeys::~X11HotKeys() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const auto& [registration, grab] : m_grabs)
        ungrab(grab);
    if (m_display)
        XFlush(m_display);
}

unsigned int X11HotKeys::x11Modifiers(quint32 hotKeyModifiers) {
    unsigned int modifiers = 0;
    if (hotKeyModifiers & hotkey_modifiers::Command)
        modifiers |= Mod4Mask;
    if (hotKeyModifiers & hotkey_modifiers::Shift)
        modifiers |= ShiftMask;
    if (hotKeyModifiers & hotkey_modifiers::Option)
        modifiers |= Mod1Mask;
    if (hotKeyModifiers & hotkey_modifiers::Control)
        modifiers |= ControlMask;
    return modifiers;
}

std::optional<X11HotKeys::Grab> X11HotKeys::grabFor(int keyCode, quint32 modifiers) const {
    if (!m_display)
        return std::nullopt;
    const std::optional<int> keycode = x11KeycodeForVirtualKeyCode(keyCode);
    if (!keycode)
        return std::nullopt;
    return Grab{*keycode, x11Modifiers(modifiers)};
}

bool X11HotKeys::grab(const Grab& grab) {
    const unsigned int locks[] = {0, LockMask, m_numLockMask, LockMask | m_numLockMask};
    XSync(m_display, False);
    g_grabError = 0;
    XErrorHandler previous = XSetErrorHandler(recordGrabError);
    for (unsigned int lock : locks)
        XGrabKey(m_display, grab.keycode, grab.modifiers | lock, m_root, False, GrabModeAsync,
                 GrabModeAsync);
    XSync(m_display, False);
    XSetErrorHandler(previous);
    if (g_grabError == 0)
        return true;
    // Another client holds at least one lock state: give back the ones we got.
    ungrab(grab);
    return false;
}

void X11HotKeys::ungrab(const Grab& grab) {
    const unsigned int locks[] = {0, LockMask, m_numLockMask, LockMask | m_numLockMask};
    XSync(m_display, False);
    XErrorHandler previous = XSetErrorHandler(recordGrabError);
    for (unsigned int lock : locks)
        XUngrabKey(m_display, grab.keycode, grab.modifiers | lock, m_root);
    XSync(m_display, False);
    XSetErrorHandler(previous);
}

std::optional<HotKeys::Registration> X11HotKeys::registrationOf(const Grab& grab) const {
    for (const auto& [registration, held] : m_grabs)
        if (held.keycode == grab.keycode && held.modifiers == grab.modifiers)
            return registration;
    return std::nullopt;
}

std::optional<HotKeys::Registration> X11HotKeys::registerHotKey(int keyCode, quint32 modifiers) {
    const std::optional<Grab> wanted = grabFor(keyCode, modifiers);
    if (!wanted)
        return std::nullopt;
    // The server keeps one grab per combination and client: a second registration of the
    // same combination would share it, so it is refused like any taken combination.
    if (registrationOf(*wanted) || !grab(*wanted))
        return std::nullopt;
    const Registration registration = ++m_lastRegistration;
    m_grabs[registration] = *wanted;
    return registration;
}

void X11HotKeys::unregisterHotKey(Registration registration) {
    const auto entry = m_grabs.find(registration);
    if (entry == m_grabs.end())
        return;
    ungrab(entry->second);
    std::erase_if(m_held, [registration](const auto& held) { return held.second == registration; });
    m_grabs.erase(entry);
}

bool X11HotKeys::isTakenElsewhere(int keyCode, quint32 modifiers) {
    const std::optional<Grab> wanted = grabFor(keyCode, modifiers);
    if (!wanted || registrationOf(*wanted))
        return false;
    if (!grab(*wanted))
        return true;
    ungrab(*wanted);
    return false;
}

void X11HotKeys::setHandlers(std::function<void(Registration)> pressed,
                             std::function<void(Registration)> released) {
    m_pressed = std::move(pressed);
    m_released = std::move(released);
}

bool X11HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || m_grabs.empty())
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->event != m_root)
        return false;
    if (type == XCB_KEY_RELEASE) {
        // Matched by key alone: the modifiers may already be up when the key is let go.
        const auto held = m_held.find(key->detail);
        if (held == m_held.end())
            return false;
        const Registration registration = held->second;
        m_held.erase(held);
        if (m_released)
            m_released(registration);
        return true;
    }
    const std::optional<Registration> registration =
        registrationOf(Grab{key->detail, key->state & kComparedModifiers});
    if (!registration)
        return false;
    if (m_held.count(key->detail))
        return true; // the keyboard's own repeat
    m_held[key->detail] = *registration;
    if (m_pressed)
        m_pressed(*registration);
    return true;
}

} // namespace platform::x11
