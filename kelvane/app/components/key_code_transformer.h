#pragma once

#include "platform/core/resources.h"

#include <QString>

#include <functional>

namespace kelvane::components {

/// Modifier masks of the interface (what the recorder shows and keyboard events carry).
namespace cocoa_flags {
inline constexpr quint32 Command = 0x100000;
inline constexpr quint32 Shift = 0x20000;
inline constexpr quint32 Option = 0x80000;
inline constexpr quint32 Control = 0x40000;
/// The function key bit, passed through unchanged between the two masks.
inline constexpr quint32 Function = 0x800000;
} // namespace cocoa_flags

/// Hot key mask → interface mask, and back; the function bit passes, other bits are dropped.
quint32 KVCarbonToCocoaFlags(quint32 carbonFlags);
quint32 KVCocoaToCarbonFlags(quint32 cocoaFlags);

/// The modifier glyphs in the order control, option, shift, command.
QString KVStringForCarbonModifierFlags(quint32 flags);
QString KVStringForCocoaModifierFlags(quint32 flags);

/// The character the current keyboard layout types for a key, or empty.
using KeyCharacterSource = std::function<QString(int virtualKeyCode)>;

/// Names keys for the shortcut recorder: a fixed table for keys that print nothing, else the
/// character the current layout gives the key, upper-cased ("Pad 5" on the keypad).
class KVKeyCodeTransformer {
public:
    KVKeyCodeTransformer(KeyCharacterSource characters, platform::StringsTable strings)
        : m_characters(std::move(characters)), m_strings(std::move(strings)) {}

    /// Empty for negative codes and keys the layout cannot name.
    QString stringForKeyCode(int keyCode) const;
    /// Glyphs, then the key name.
    QString stringForCarbonModifierFlagsAndKeyCode(quint32 flags, int keyCode) const;
    QString stringForCocoaModifierFlagsAndKeyCode(quint32 flags, int keyCode) const;
    /// "Command + Option + Control + Shift + " in that order, then the key name.
    QString readableStringForCarbonModifierFlagsAndKeyCode(quint32 flags, int keyCode) const;
    QString readableStringForCocoaModifierFlagsAndKeyCode(quint32 flags, int keyCode) const;

    const platform::StringsTable& strings() const { return m_strings; }
    QString text(const char* key) const { return m_strings.text(QString::fromUtf8(key)); }

private:
    KeyCharacterSource m_characters;
    platform::StringsTable m_strings;
};

} // namespace kelvane::components
