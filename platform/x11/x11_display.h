#pragma once

// The one place the suite's X11 services get their display connection from. Services take the
// `Display*` in their constructor; a program hands them the one its windows live on, a test the
// one it opened on its Xvfb.

typedef struct _XDisplay Display;

namespace platform::x11 {

/// The display Qt's windows live on when the application runs on X11 (XWayland included);
/// nullptr on any other platform (Wayland alone, offscreen), logged once by the caller.
Display* applicationDisplay();

} // namespace platform::x11
