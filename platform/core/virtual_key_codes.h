#pragma once

#include <optional>
#include <string_view>

namespace platform {

/// Keys are stored (preferences, archives) by the virtual key codes of the keyboards the
/// stored files were first written on. This one table turns them into the kernel's input key
/// codes and back; everything that meets the X server or evdev translates at that edge.
///
/// The table covers the keys whose position does not depend on the layout: letters and
/// digits by their place on a US keyboard, punctuation, F1 to F20, arrows, the editing keys,
/// the keypad, Return, Tab, Space, Delete, Escape and the modifiers.

/// The kernel key code (`KEY_*` of linux/input-event-codes.h) of a virtual key code.
std::optional<int> evdevKeyForVirtualKeyCode(int virtualKeyCode);

/// The virtual key code of a kernel key code.
std::optional<int> virtualKeyCodeForEvdevKey(int evdevKey);

/// X servers with the evdev or libinput driver number their keys as the kernel does, plus 8.
inline constexpr int kX11KeycodeOffset = 8;

std::optional<int> x11KeycodeForVirtualKeyCode(int virtualKeyCode);
std::optional<int> virtualKeyCodeForX11Keycode(int x11Keycode);

/// A short English name for keys that print no character ("F5", "Return", "Left Arrow"),
/// empty for the others, whose name is the character the current layout gives them.
std::string_view virtualKeyName(int virtualKeyCode);

/// Virtual key codes that the rest of the suite names.
namespace vk {
inline constexpr int Return = 0x24;
inline constexpr int Tab = 0x30;
inline constexpr int Space = 0x31;
inline constexpr int Delete = 0x33;
inline constexpr int Escape = 0x35;
inline constexpr int Command = 0x37;
inline constexpr int Shift = 0x38;
inline constexpr int CapsLock = 0x39;
inline constexpr int Option = 0x3A;
inline constexpr int Control = 0x3B;
inline constexpr int RightShift = 0x3C;
inline constexpr int RightOption = 0x3D;
inline constexpr int RightControl = 0x3E;
inline constexpr int RightCommand = 0x36;
inline constexpr int KeypadEnter = 0x4C;
inline constexpr int ForwardDelete = 0x75;
inline constexpr int LeftArrow = 0x7B;
inline constexpr int RightArrow = 0x7C;
inline constexpr int DownArrow = 0x7D;
inline constexpr int UpArrow = 0x7E;
inline constexpr int F1 = 0x7A;
} // namespace vk

} // namespace platform
