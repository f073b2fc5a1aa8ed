#include "platform/x11/key_character.h"

#include "platform/core/virtual_key_codes.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <xkbcommon/xkbcommon.h>

namespace platform::x11 {

QString keyCharacter(Display* display, int virtualKeyCode) {
    const std::optional<int> keycode = x11KeycodeForVirtualKeyCode(virtualKeyCode);
    if (!display || !keycode)
        return {};
    // The layout the user types with now: the keyboard's active group.
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return {};
    const KeySym symbol = XkbKeycodeToKeysym(display, KeyCode(*keycode), state.group, 0);
    if (symbol == NoSymbol)
        return {};
    char text[16] = {};
    if (xkb_keysym_to_utf8(xkb_keysym_t(symbol), text, sizeof text) <= 1)
        return {};
    const QString character = QString::fromUtf8(text);
    // Control characters (Return, Tab, Escape) print nothing.
    if (character.size() == 1 && character.at(0).category() == QChar::Other_Control)
        return {};
    return character;
}

} // namespace platform::x11
