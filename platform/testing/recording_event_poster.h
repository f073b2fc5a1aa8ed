#pragma once

#include "platform/core/event_poster.h"
#include "platform/core/virtual_key_codes.h"

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <set>

namespace platform::doubles {

/// Short words for posted input, shared by the recording poster and the X11 input recorder so
/// that one expectation checks both: "k50+" / "k50-" for X key code 50 pressed / released,
/// "b3+" / "b3-" for X button 3 (1 left, 2 middle, 3 right, 4 and 5 the wheel up and down),
/// "m10,20" for a move to (10, 20), "m10,20+b1" when button 1 was held during it.
inline QString keyWord(int x11Keycode, bool down) {
    return QStringLiteral("k%1%2").arg(x11Keycode).arg(down ? QLatin1Char('+') : QLatin1Char('-'));
}
inline QString virtualKeyWord(int virtualKeyCode, bool down) {
    return keyWord(x11KeycodeForVirtualKeyCode(virtualKeyCode).value_or(-1), down);
}
inline QString buttonWord(int x11Button, bool down) {
    return QStringLiteral("b%1%2").arg(x11Button).arg(down ? QLatin1Char('+') : QLatin1Char('-'));
}
inline int x11ButtonOf(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return 1;
    case MouseButton::Middle:
        return 2;
    case MouseButton::Right:
        return 3;
    }
    return 1;
}

/// Records what would have been posted, in the words above, and keeps a pointer of its own.
class RecordingEventPoster final : public EventPoster {
public:
    bool isUsable() const override { return usable; }
    bool postKey(int virtualKeyCode, KeyState state) override {
        if (!usable || !x11KeycodeForVirtualKeyCode(virtualKeyCode))
            return false;
        events << virtualKeyWord(virtualKeyCode, state == KeyState::Down);
        return true;
    }
    std::optional<QPoint> pointerPosition() const override {
        if (!usable)
            return std::nullopt;
        return pointer;
    }
    bool movePointer(QPoint position) override {
        if (!usable)
            return false;
        pointer = position;
        QString word = QStringLiteral("m%1,%2").arg(position.x()).arg(position.y());
        for (int button : held)
            word += QStringLiteral("+b%1").arg(button);
        events << word;
        return true;
    }
    bool postButton(MouseButton button, KeyState state) override {
        return postButtonNumber(x11ButtonOf(button), state);
    }
    bool postWheel(int lines) override {
        for (int notch = 0; notch < std::abs(lines); ++notch) {
            if (!postButtonNumber(lines > 0 ? 4 : 5, KeyState::Down) ||
                !postButtonNumber(lines > 0 ? 4 : 5, KeyState::Up))
                return false;
        }
        return usable;
    }

    bool usable = true;
    QPoint pointer;
    QStringList events;

private:
    bool postButtonNumber(int button, KeyState state) {
        if (!usable)
            return false;
        if (state == KeyState::Down)
            held.insert(button);
        else
            held.erase(button);
        events << buttonWord(button, state == KeyState::Down);
        return true;
    }

    std::set<int> held;
};

} // namespace platform::doubles
