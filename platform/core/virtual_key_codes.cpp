#include "platform/core/virtual_key_codes.h"

#include <array>
#include <linux/input-event-codes.h>

namespace platform {
namespace {

struct KeyEntry {
    int virtualKeyCode;
    int evdevKey;
    std::string_view name;
};

// Ordered by virtual key code. Where two kernel keys could stand for one virtual key (the
// keypad Clear key sits where NumLock is; the Help key where Insert is), the one such
// keyboards send is listed.
constexpr std::array kKeys{
    KeyEntry{0x00, KEY_A, {}},
    KeyEntry{0x01, KEY_S, {}},
    KeyEntry{0x02, KEY_D, {}},
    KeyEntry{0x03, KEY_F, {}},
    KeyEntry{0x04, KEY_H, {}},
    KeyEntry{0x05, KEY_G, {}},
    KeyEntry{0x06, KEY_Z, {}},
    KeyEntry{0x07, KEY_X, {}},
    KeyEntry{0x08, KEY_C, {}},
    KeyEntry{0x09, KEY_V, {}},
    KeyEntry{0x0A, KEY_102ND, {}},
    KeyEntry{0x0B, KEY_B, {}},
    KeyEntry{0x0C, KEY_Q, {}},
    KeyEntry{0x0D, KEY_W, {}},
    KeyEntry{0x0E, KEY_E, {}},
    KeyEntry{0x0F, KEY_R, {}},
    KeyEntry{0x10, KEY_Y, {}},
    KeyEntry{0x11, KEY_T, {}},
    KeyEntry{0x12, KEY_1, {}},
    KeyEntry{0x13, KEY_2, {}},
    KeyEntry{0x14, KEY_3, {}},
    KeyEntry{0x15, KEY_4, {}},
    KeyEntry{0x16, KEY_6, {}},
    KeyEntry{0x17, KEY_5, {}},
    KeyEntry{0x18, KEY_EQUAL, {}},
    KeyEntry{0x19, KEY_9, {}},
    KeyEntry{0x1A, KEY_7, {}},
    KeyEntry{0x1B, KEY_MINUS, {}},
    KeyEntry{0x1C, KEY_8, {}},
    KeyEntry{0x1D, KEY_0, {}},
    KeyEntry{0x1E, KEY_RIGHTBRACE, {}},
    KeyEntry{0x1F, KEY_O, {}},
    KeyEntry{0x20, KEY_U, {}},
    KeyEntry{0x21, KEY_LEFTBRACE, {}},
    KeyEntry{0x22, KEY_I, {}},
    KeyEntry{0x23, KEY_P, {}},
    KeyEntry{0x24, KEY_ENTER, "Return"},
    KeyEntry{0x25, KEY_L, {}},
    KeyEntry{0x26, KEY_J, {}},
    KeyEntry{0x27, KEY_APOSTROPHE, {}},
    KeyEntry{0x28, KEY_K, {}},
    KeyEntry{0x29, KEY_SEMICOLON, {}},
    KeyEntry{0x2A, KEY_BACKSLASH, {}},
    KeyEntry{0x2B, KEY_COMMA, {}},
    KeyEntry{0x2C, KEY_SLASH, {}},
    KeyEntry{0x2D, KEY_N, {}},
    KeyEntry{0x2E, KEY_M, {}},
    KeyEntry{0x2F, KEY_DOT, {}},
    KeyEntry{0x30, KEY_TAB, "Tab"},
    KeyEntry{0x31, KEY_SPACE, "Space"},
    KeyEntry{0x32, KEY_GRAVE, {}},
    KeyEntry{0x33, KEY_BACKSPACE, "Delete"},
    KeyEntry{0x35, KEY_ESC, "Escape"},
    KeyEntry{0x36, KEY_RIGHTMETA, "Right Command"},
    KeyEntry{0x37, KEY_LEFTMETA, "Command"},
    KeyEntry{0x38, KEY_LEFTSHIFT, "Shift"},
    KeyEntry{0x39, KEY_CAPSLOCK, "Caps Lock"},
    KeyEntry{0x3A, KEY_LEFTALT, "Option"},
    KeyEntry{0x3B, KEY_LEFTCTRL, "Control"},
    KeyEntry{0x3C, KEY_RIGHTSHIFT, "Right Shift"},
    KeyEntry{0x3D, KEY_RIGHTALT, "Right Option"},
    KeyEntry{0x3E, KEY_RIGHTCTRL, "Right Control"},
    KeyEntry{0x3F, KEY_FN, "Function"},
    KeyEntry{0x40, KEY_F17, "F17"},
    KeyEntry{0x41, KEY_KPDOT, "Keypad ."},
    KeyEntry{0x43, KEY_KPASTERISK, "Keypad *"},
    KeyEntry{0x45, KEY_KPPLUS, "Keypad +"},
    KeyEntry{0x47, KEY_NUMLOCK, "Clear"},
    KeyEntry{0x48, KEY_VOLUMEUP, "Volume Up"},
    KeyEntry{0x49, KEY_VOLUMEDOWN, "Volume Down"},
    KeyEntry{0x4A, KEY_MUTE, "Mute"},
    KeyEntry{0x4B, KEY_KPSLASH, "Keypad /"},
    KeyEntry{0x4C, KEY_KPENTER, "Enter"},
    KeyEntry{0x4E, KEY_KPMINUS, "Keypad -"},
    KeyEntry{0x4F, KEY_F18, "F18"},
    KeyEntry{0x50, KEY_F19, "F19"},
    KeyEntry{0x51, KEY_KPEQUAL, "Keypad ="},
    KeyEntry{0x52, KEY_KP0, "Keypad 0"},
    KeyEntry{0x53, KEY_KP1, "Keypad 1"},
    KeyEntry{0x54, KEY_KP2, "Keypad 2"},
    KeyEntry{0x55, KEY_KP3, "Keypad 3"},
    KeyEntry{0x56, KEY_KP4, "Keypad 4"},
    KeyEntry{0x57, KEY_KP5, "Keypad 5"},
    KeyEntry{0x58, KEY_KP6, "Keypad 6"},
    KeyEntry{0x59, KEY_KP7, "Keypad 7"},
    KeyEntry{0x5A, KEY_F20, "F20"},
    KeyEntry{0x5B, KEY_KP8, "Keypad 8"},
    KeyEntry{0x5C, KEY_KP9, "Keypad 9"},
    KeyEntry{0x5D, KEY_YEN, {}},
    KeyEntry{0x5E, KEY_RO, {}},
    KeyEntry{0x5F, KEY_KPCOMMA, "Keypad ,"},
    KeyEntry{0x60, KEY_F5, "F5"},
    KeyEntry{0x61, KEY_F6, "F6"},
    KeyEntry{0x62, KEY_F7, "F7"},
    KeyEntry{0x63, KEY_F3, "F3"},
    KeyEntry{0x64, KEY_F8, "F8"},
    KeyEntry{0x65, KEY_F9, "F9"},
    KeyEntry{0x66, KEY_MUHENKAN, "Eisu"},
    KeyEntry{0x67, KEY_F11, "F11"},
    KeyEntry{0x68, KEY_HENKAN, "Kana"},
    KeyEntry{0x69, KEY_F13, "F13"},
    KeyEntry{0x6A, KEY_F16, "F16"},
    KeyEntry{0x6B, KEY_F14, "F14"},
    KeyEntry{0x6D, KEY_F10, "F10"},
    KeyEntry{0x6E, KEY_COMPOSE, "Menu"},
    KeyEntry{0x6F, KEY_F12, "F12"},
    KeyEntry{0x71, KEY_F15, "F15"},
    KeyEntry{0x72, KEY_INSERT, "Help"},
    KeyEntry{0x73, KEY_HOME, "Home"},
    KeyEntry{0x74, KEY_PAGEUP, "Page Up"},
    KeyEntry{0x75, KEY_DELETE, "Forward Delete"},
    KeyEntry{0x76, KEY_F4, "F4"},
    KeyEntry{0x77, KEY_END, "End"},
    KeyEntry{0x78, KEY_F2, "F2"},
    KeyEntry{0x79, KEY_PAGEDOWN, "Page Down"},
    KeyEntry{0x7A, KEY_F1, "F1"},
    KeyEntry{0x7B, KEY_LEFT, "Left Arrow"},
    KeyEntry{0x7C, KEY_RIGHT, "Right Arrow"},
    KeyEntry{0x7D, KEY_DOWN, "Down Arrow"},
    KeyEntry{0x7E, KEY_UP, "Up Arrow"},
};

const KeyEntry* entryForVirtualKeyCode(int virtualKeyCode) {
    for (const KeyEntry& entry : kKeys) {
        if (entry.virtualKeyCode == virtualKeyCode)
            return &entry;
    }
    return nullptr;
}

} // namespace

std::optional<int> evdevKeyForVirtualKeyCode(int virtualKeyCode) {
    if (const KeyEntry* entry = entryForVirtualKeyCode(virtualKeyCode))
        return entry->evdevKey;
    return std::nullopt;
}

std::optional<int> virtualKeyCodeForEvdevKey(int evdevKey) {
    for (const KeyEntry& entry : kKeys) {
        if (entry.evdevKey == evdevKey)
            return entry.virtualKeyCode;
    }
    return std::nullopt;
}

std::optional<int> x11KeycodeForVirtualKeyCode(int virtualKeyCode) {
    if (auto key = evdevKeyForVirtualKeyCode(virtualKeyCode))
        return *key + kX11KeycodeOffset;
    return std::nullopt;
}

std::optional<int> virtualKeyCodeForX11Keycode(int x11Keycode) {
    return virtualKeyCodeForEvdevKey(x11Keycode - kX11KeycodeOffset);
}

std::string_view virtualKeyName(int virtualKeyCode) {
    const KeyEntry* entry = entryForVirtualKeyCode(virtualKeyCode);
    return entry ? entry->name : std::string_view{};
}

} // namespace platform
