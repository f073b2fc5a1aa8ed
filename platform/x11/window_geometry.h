#pragma once

#include "platform/x11/x11_display.h"

#include <QRect>

#include <optional>

namespace platform::x11 {

/// Where a window really is on the screen, asked of the X server. Windows that another client
/// has reparented (an icon docked in a tray) are placed by that client, which Qt does not
/// follow. None when the display or the window is gone.
std::optional<QRect> windowGeometryOnScreen(Display* display, unsigned long window);

} // namespace platform::x11
