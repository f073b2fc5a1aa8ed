#pragma once

#include "platform/core/keyboard_layout.h"

#include <array>
#include <memory>

typedef struct _XDisplay Display;

namespace platform::x11 {

/// The character table of the X server's current keymap, read through xkbcommon on a
/// connection of its own. The server tells that connection when the keymap or the active
/// group changes (setxkbmap, a layout switch), and the table is read again at the next lookup.
class XkbKeyboardLayout final : public KeyboardLayout {
public:
    /// `display` names the server; null gives an empty table, and so does a server without XKB
    /// (said once in the log).
    explicit XkbKeyboardLayout(Display* display);
    ~XkbKeyboardLayout() override;

    std::optional<int> keyCodeForCharacter(char32_t character) override;

private:
    struct Connection;

    /// Reads what the server sent; answers whether the keymap or group changed.
    bool layoutChanged();
    void rebuild();

    std::unique_ptr<Connection> m_connection;
    /// Virtual key code by character code; -1 where no key types it.
    std::array<int, 256> m_table{};
};

} // namespace platform::x11
