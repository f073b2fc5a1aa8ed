#pragma once

#include <QPoint>

#include <optional>

namespace platform {

enum class KeyState { Up, Down };
enum class MouseButton { Left, Right, Middle };

/// Posts keyboard and mouse input to the whole session, as if it came from the user's own
/// devices. Every call reaches the display server before it returns, so events posted by
/// different calls arrive in call order. A poster without a usable display answers false to
/// everything.
///
/// Coordinates are those of the screen's pixels with the origin at the top-left corner of the
/// whole desktop and y counting downwards.
class EventPoster {
public:
    virtual ~EventPoster() = default;

    /// False when nothing can be posted at all (no display, or a server without the means).
    virtual bool isUsable() const = 0;

    /// Presses or releases the key stored as `virtualKeyCode`. False for a key code the suite's
    /// key table does not know, or when the event could not be posted.
    virtual bool postKey(int virtualKeyCode, KeyState state) = 0;

    /// Where the pointer is now, or nothing without a display.
    virtual std::optional<QPoint> pointerPosition() const = 0;

    /// Moves the pointer to `position`; buttons held at the time stay held, so this drags.
    virtual bool movePointer(QPoint position) = 0;

    /// Presses or releases `button` where the pointer is.
    virtual bool postButton(MouseButton button, KeyState state) = 0;

    /// Turns the scroll wheel by `lines` notches: positive scrolls up, negative down.
    virtual bool postWheel(int lines) = 0;
};

} // namespace platform
