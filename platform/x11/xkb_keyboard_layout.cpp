#include "platform/x11/xkb_keyboard_layout.h"

#include "platform/core/log.h"
#include "platform/core/virtual_key_codes.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

// The XKB protocol header names a field `explicit`.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <X11/Xlib.h>
#include <cstdlib>

namespace platform::x11 {

namespace {

constexpr int kHighestTableKeyCode = 127;

} // namespace

struct XkbKeyboardLayout::Connection {
    xcb_connection_t* xcb = nullptr;
    xkb_context* context = nullptr;
    std::int32_t deviceId = -1;
    std::uint8_t xkbEventBase = 0;

    ~Connection() {
        if (context)
            xkb_context_unref(context);
        if (xcb)
            xcb_disconnect(xcb);
    }
};

XkbKeyboardLayout::XkbKeyboardLayout(Display* display) {
    m_table.fill(-1);
    // Without a display the poster says once that nothing can be typed.
    if (!display)
        return;
    auto connection = std::make_unique<Connection>();
    connection->xcb = xcb_connect(DisplayString(display), nullptr);
    if (xcb_connection_has_error(connection->xcb)) {
        log(QStringLiteral("cannot connect to the X display for its keyboard layout"));
        return;
    }
    if (!xkb_x11_setup_xkb_extension(connection->xcb, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                     XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
                                     &connection->xkbEventBase, nullptr)) {
        log(QStringLiteral("the X server has no XKB extension: texts cannot be typed"));
        return;
    }
    connection->deviceId = xkb_x11_get_core_keyboard_device_id(connection->xcb);
    connection->context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (connection->deviceId < 0 || !connection->context) {
        log(QStringLiteral("cannot read the X server's keyboard layout"));
        return;
    }

    // A new keymap (setxkbmap), changed key symbols, or another group locked (a layout switch).
    const std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                                 XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = XCB_XKB_STATE_PART_GROUP_STATE | XCB_XKB_STATE_PART_GROUP_LOCK;
    details.stateDetails = XCB_XKB_STATE_PART_GROUP_STATE | XCB_XKB_STATE_PART_GROUP_LOCK;
    xcb_xkb_select_events_aux(connection->xcb, std::uint16_t(connection->deviceId), events, 0, 0,
                              mapParts, mapParts, &details);
    xcb_flush(connection->xcb);
    m_connection = std::move(connection);
    rebuild();
}

XkbKeyboardLayout::~XkbKeyboardLayout() = default;

std::optional<int> XkbKeyboardLayout::keyCodeForCharacter(char32_t character) {
    if (layoutChanged())
        rebuild();
    if (character >= m_table.size() || m_table[character] < 0)
        return std::nullopt;
    return m_table[character];
}

bool XkbKeyboardLayout::layoutChanged() {
    if (!m_connection)
        return false;
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection->xcb)) {
        if ((event->response_type & 0x7f) == m_connection->xkbEventBase)
            changed = true;
        std::free(event);
    }
    return changed;
}

void XkbKeyboardLayout::rebuild() {
    m_table.fill(-1);
    xkb_keymap* keymap =
        xkb_x11_keymap_new_from_device(m_connection->context, m_connection->xcb,
                                       m_connection->deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_state* state =
        keymap ? xkb_x11_state_new_from_device(keymap, m_connection->xcb, m_connection->deviceId)
               : nullptr;
    if (!state) {
        log(QStringLiteral("cannot read the X server's keyboard layout"));
        if (keymap)
            xkb_keymap_unref(keymap);
        return;
    }
    const xkb_layout_index_t group = xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE);

    xkb_level_index_t levels = 1;
    for (int keyCode = 0; keyCode <= kHighestTableKeyCode; ++keyCode) {
        if (const auto x11Key = x11KeycodeForVirtualKeyCode(keyCode))
            levels = std::max(levels, xkb_keymap_num_levels_for_key(keymap, *x11Key, group));
    }
    for (xkb_level_index_t level = 0; level < levels; ++level) {
        for (int keyCode = 0; keyCode <= kHighestTableKeyCode; ++keyCode) {
            const auto x11Key = x11KeycodeForVirtualKeyCode(keyCode);
            if (!x11Key)
                continue;
            const xkb_keysym_t* symbols = nullptr;
            const int count =
                xkb_keymap_key_get_syms_by_level(keymap, *x11Key, group, level, &symbols);
            if (count < 1)
                continue;
            const std::uint32_t character = xkb_keysym_to_utf32(symbols[0]);
            if (character == 0 || character >= m_table.size() || m_table[character] >= 0)
                continue;
            m_table[character] = keyCode;
        }
    }
    xkb_state_unref(state);
    xkb_keymap_unref(keymap);
}

} // namespace platform::x11
