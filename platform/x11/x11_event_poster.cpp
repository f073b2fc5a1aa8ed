#include "platform/x11/x11_event_poster.h"

#include "platform/core/log.h"
#include "platform/core/virtual_key_codes.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <cstdlib>

namespace platform::x11 {

namespace {

// X numbers the wheel as buttons: 4 scrolls up, 5 down.
constexpr unsigned int kWheelUp = 4;
constexpr unsigned int kWheelDown = 5;

unsigned int buttonNumber(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return Button1;
    case MouseButton::Middle:
        return Button2;
    case MouseButton::Right:
        return Button3;
    }
    return Button1;
}

} // namespace

X11EventPoster::X11EventPoster(Display* display) {
    if (!display) {
        log(QStringLiteral("no X display: key and mouse actions cannot be posted"));
        return;
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        log(QStringLiteral("the X server has no XTest extension: key and mouse actions cannot be "
                           "posted"));
        return;
    }
    m_display = display;
}

bool X11EventPoster::postKey(int virtualKeyCode, KeyState state) {
    if (!m_display)
        return false;
    const std::optional<int> keycode = x11KeycodeForVirtualKeyCode(virtualKeyCode);
    if (!keycode)
        return false;
    if (!XTestFakeKeyEvent(m_display, unsigned(*keycode), state == KeyState::Down, CurrentTime))
        return false;
    XFlush(m_display);
    return true;
}

std::optional<QPoint> X11EventPoster::pointerPosition() const {
    if (!m_display)
        return std::nullopt;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY,
                       &windowX, &windowY, &mask))
        return std::nullopt;
    return QPoint(rootX, rootY);
}

bool X11EventPoster::movePointer(QPoint position) {
    if (!m_display)
        return false;
    // Screen -1: the coordinates are those of the screen the pointer is on, which with one X
    // screen spanning all monitors is the whole desktop.
    if (!XTestFakeMotionEvent(m_display, -1, position.x(), position.y(), CurrentTime))
        return false;
    XFlush(m_display);
    return true;
}

bool X11EventPoster::postButton(MouseButton button, KeyState state) {
    return postButtonNumber(buttonNumber(button), state);
}

bool X11EventPoster::postWheel(int lines) {
    const unsigned int button = lines > 0 ? kWheelUp : kWheelDown;
    for (int notch = 0; notch < std::abs(lines); ++notch) {
        if (!postButtonNumber(button, KeyState::Down) || !postButtonNumber(button, KeyState::Up))
            return false;
    }
    return m_display != nullptr;
}

bool X11EventPoster::postButtonNumber(unsigned int button, KeyState state) {
    if (!m_display)
        return false;
    if (!XTestFakeButtonEvent(m_display, button, state == KeyState::Down, CurrentTime))
        return false;
    XFlush(m_display);
    return true;
}

} // namespace platform::x11
