#pragma once

#include <optional>

namespace platform {

/// Which key types a character on the keyboard layout in use. The table covers character
/// codes 0 to 255. It is filled the way the stored actions expect: the layout's levels in
/// order (plain, then Shift, then AltGr, …) and within each level the virtual key codes 0 to
/// 127 in ascending order, the first key found for a character keeping it. So 'A' gives the
/// key of 'a', and a character that two keys type gives the lower key code.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;

    /// The virtual key code of the key that types `character`, or nothing for characters above
    /// 255 and those the layout cannot type. Follows changes of the layout.
    virtual std::optional<int> keyCodeForCharacter(char32_t character) = 0;
};

} // namespace platform
