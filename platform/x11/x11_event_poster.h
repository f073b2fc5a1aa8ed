#pragma once

#include "platform/core/event_poster.h"

typedef struct _XDisplay Display;

namespace platform::x11 {

/// Posts input through the X server's XTest extension. X11 offers no way to send real input to
/// one client, so events always go to the whole session (the window under the pointer or with
/// the focus receives them).
class X11EventPoster final : public EventPoster {
public:
    /// `display` may be null (no X server): every call then fails, and the constructor says so
    /// once in the log, as it does when the server lacks XTest.
    explicit X11EventPoster(Display* display);

    bool isUsable() const override { return m_display != nullptr; }

    bool postKey(int virtualKeyCode, KeyState state) override;
    std::optional<QPoint> pointerPosition() const override;
    bool movePointer(QPoint position) override;
    bool postButton(MouseButton button, KeyState state) override;
    bool postWheel(int lines) override;

private:
    bool postButtonNumber(unsigned int button, KeyState state);

    Display* m_display = nullptr;
};

} // namespace platform::x11
