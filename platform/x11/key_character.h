#pragma once

#include "platform/x11/x11_display.h"

#include <QString>

namespace platform::x11 {

/// The character the keyboard's current layout types for a virtual key code without
/// modifiers ("a", "1", "é"); empty when the layout cannot be read or the key types nothing.
QString keyCharacter(Display* display, int virtualKeyCode);

} // namespace platform::x11
