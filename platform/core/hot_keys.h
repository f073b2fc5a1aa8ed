#pragma once

#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

/// Hot key modifier masks, the form hot keys are stored in.
namespace hotkey_modifiers {
inline constexpr quint32 Command = 0x100; // Super on the desktop
inline constexpr quint32 Shift = 0x200;
inline constexpr quint32 Option = 0x800; // Alt
inline constexpr quint32 Control = 0x1000;
inline constexpr quint32 All = Command | Shift | Option | Control;
} // namespace hotkey_modifiers

/// System-wide hot keys: key combinations delivered to the program whichever window is active.
/// Keys are virtual key codes (platform/core/virtual_key_codes.h), modifiers hot key masks.
class HotKeys {
public:
    /// A registration, unique for the service's life; never 0.
    using Registration = std::uint64_t;

    virtual ~HotKeys() = default;

    /// Registers a combination. Answers no registration when the combination cannot be had:
    /// another client holds it, the key has no place on this keyboard, or there is no display.
    virtual std::optional<Registration> registerHotKey(int keyCode, quint32 modifiers) = 0;

    /// Gives a registration back; an unknown one is ignored.
    virtual void unregisterHotKey(Registration registration) = 0;

    /// Whether another client holds the combination, so registering it would fail. False
    /// for combinations this service registered itself.
    virtual bool isTakenElsewhere(int keyCode, quint32 modifiers) = 0;

    /// `pressed` and `released` are called on the main thread with the registration. Holding
    /// a key down gives one press and, when it is let go, one release: the keyboard's own
    /// auto-repeat is not passed on. Setting handlers replaces the previous ones.
    virtual void setHandlers(std::function<void(Registration)> pressed,
                             std::function<void(Registration)> released) = 0;
};

} // namespace platform
