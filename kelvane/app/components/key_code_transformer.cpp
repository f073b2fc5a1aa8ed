#include "kelvane/app/components/key_code_transformer.h"

#include "platform/core/hot_keys.h"
#include "platform/core/virtual_key_codes.h"

#include <array>

namespace kelvane::components {
namespace {

namespace carbon = platform::hotkey_modifiers;

struct ModifierPair {
    quint32 cocoa;
    quint32 carbon;
    char16_t glyph;
    const char* readable;
};

// Glyph order: control, option, shift, command.
constexpr std::array kGlyphOrder{
    ModifierPair{cocoa_flags::Control, carbon::Control, u'\u2303', "Control + "},
    ModifierPair{cocoa_flags::Option, carbon::Option, u'\u2325', "Option + "},
    ModifierPair{cocoa_flags::Shift, carbon::Shift, u'\u21E7', "Shift + "},
    ModifierPair{cocoa_flags::Command, carbon::Command, u'\u2318', "Command + "},
};
// Readable order: command, option, control, shift.
constexpr std::array kReadableOrder{kGlyphOrder[3], kGlyphOrder[1], kGlyphOrder[0], kGlyphOrder[2]};

struct FixedName {
    int keyCode;
    const char16_t* name;
};

constexpr std::array kFixedNames{
    FixedName{122, u"F1"},     FixedName{120, u"F2"},     FixedName{99, u"F3"},
    FixedName{118, u"F4"},     FixedName{96, u"F5"},      FixedName{97, u"F6"},
    FixedName{98, u"F7"},      FixedName{100, u"F8"},     FixedName{101, u"F9"},
    FixedName{109, u"F10"},    FixedName{103, u"F11"},    FixedName{111, u"F12"},
    FixedName{105, u"F13"},    FixedName{107, u"F14"},    FixedName{113, u"F15"},
    FixedName{106, u"F16"},    FixedName{51, u"\u232B"},  FixedName{117, u"\u2326"},
    FixedName{71, u"\u2327"},  FixedName{123, u"\u2190"}, FixedName{124, u"\u2192"},
    FixedName{126, u"\u2191"}, FixedName{125, u"\u2193"}, FixedName{119, u"\u2198"},
    FixedName{115, u"\u2196"}, FixedName{53, u"\u238B"},  FixedName{121, u"\u21DF"},
    FixedName{116, u"\u21DE"}, FixedName{36, u"\u21A9"},  FixedName{76, u"\u2305"},
    FixedName{48, u"\u21E5"},  FixedName{114, u"?"},
};

constexpr std::array kKeypadCodes{65, 67, 69, 75, 78, 81, 82, 83, 84, 85, 86, 87, 88, 89, 91, 92};

} // namespace

quint32 KVCarbonToCocoaFlags(quint32 carbonFlags) {
    quint32 cocoa = carbonFlags & cocoa_flags::Function;
    for (const ModifierPair& pair : kGlyphOrder)
        if (carbonFlags & pair.carbon)
            cocoa |= pair.cocoa;
    return cocoa;
}

quint32 KVCocoaToCarbonFlags(quint32 cocoaFlags) {
    quint32 carbonFlags = cocoaFlags & cocoa_flags::Function;
    for (const ModifierPair& pair : kGlyphOrder)
        if (cocoaFlags & pair.cocoa)
            carbonFlags |= pair.carbon;
    return carbonFlags;
}

QString KVStringForCocoaModifierFlags(quint32 flags) {
    QString glyphs;
    for (const ModifierPair& pair : kGlyphOrder)
        if (flags & pair.cocoa)
            glyphs += QChar(pair.glyph);
    return glyphs;
}

QString KVStringForCarbonModifierFlags(quint32 flags) {
    return KVStringForCocoaModifierFlags(KVCarbonToCocoaFlags(flags));
}

QString KVKeyCodeTransformer::stringForKeyCode(int keyCode) const {
    if (keyCode < 0)
        return {};
    for (const FixedName& fixed : kFixedNames)
        if (fixed.keyCode == keyCode)
            return QString::fromUtf16(fixed.name);
    if (keyCode == platform::vk::Space)
        return text("Space");
    const QString character = m_characters ? m_characters(keyCode).toUpper() : QString();
    if (character.isEmpty())
        return {};
    if (std::find(kKeypadCodes.begin(), kKeypadCodes.end(), keyCode) != kKeypadCodes.end())
        return text("Pad %@").replace(QStringLiteral("%@"), character);
    return character;
}

QString KVKeyCodeTransformer::stringForCocoaModifierFlagsAndKeyCode(quint32 flags,
                                                                    int keyCode) const {
    return KVStringForCocoaModifierFlags(flags) + stringForKeyCode(keyCode);
}

QString KVKeyCodeTransformer::stringForCarbonModifierFlagsAndKeyCode(quint32 flags,
                                                                     int keyCode) const {
    return stringForCocoaModifierFlagsAndKeyCode(KVCarbonToCocoaFlags(flags), keyCode);
}

QString KVKeyCodeTransformer::readableStringForCocoaModifierFlagsAndKeyCode(quint32 flags,
                                                                            int keyCode) const {
    QString readable;
    for (const ModifierPair& pair : kReadableOrder)
        if (flags & pair.cocoa)
            readable += text(pair.readable);
    return readable + stringForKeyCode(keyCode);
}

QString KVKeyCodeTransformer::readableStringForCarbonModifierFlagsAndKeyCode(quint32 flags,
                                                                             int keyCode) const {
    return readableStringForCocoaModifierFlagsAndKeyCode(KVCarbonToCocoaFlags(flags), keyCode);
}

} // namespace kelvane::components
