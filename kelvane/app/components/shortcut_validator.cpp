#include "kelvane/app/components/shortcut_validator.h"

namespace kelvane::components {

bool KVShortcutValidator::isKeyCodeAndFlagsTaken(int keyCode, quint32 carbonFlags,
                                                 std::optional<ShortcutError>* error) const {
    const QString glyphs = m_names.stringForCarbonModifierFlagsAndKeyCode(carbonFlags, keyCode);
    const QString readable =
        m_names.readableStringForCarbonModifierFlagsAndKeyCode(carbonFlags, keyCode);
    QString reason;
    if (m_delegate && m_delegate(keyCode, KVCarbonToCocoaFlags(carbonFlags), &reason)) {
        if (error)
            *error = ShortcutError{
                QStringLiteral("The key combination %1 can't be used!").arg(glyphs),
                QStringLiteral("The key combination \"%1\" can't be used because %2.")
                    .arg(readable, reason.isEmpty() ? QStringLiteral("it's already used") : reason),
                {}};
        return true;
    }
    // A key without a name cannot be compared with anything; it counts as taken.
    if (m_names.stringForKeyCode(keyCode).isEmpty())
        return true;
    if (m_systemWide &&
        m_systemWide->isTakenElsewhere(keyCode, carbonFlags & platform::hotkey_modifiers::All)) {
        if (error)
            *error = ShortcutError{
                QStringLiteral("The key combination %1 can't be used!").arg(glyphs),
                QStringLiteral(
                    "The key combination \"%1\" can't be used because it's already used "
                    "by a system-wide keyboard shortcut. (If you really want to use this "
                    "key combination, most shortcuts can be changed in the keyboard "
                    "settings of your desktop.)")
                    .arg(readable),
                {}};
        return true;
    }
    return isKeyCodeAndFlagsTakenInMenu(keyCode, carbonFlags, error);
}

bool KVShortcutValidator::isKeyCodeAndFlagsTakenInMenu(int keyCode, quint32 carbonFlags,
                                                       std::optional<ShortcutError>* error) const {
    if (!m_menuItems)
        return false;
    const QString name = m_names.stringForKeyCode(keyCode).toUpper();
    const quint32 modifiers = carbonFlags & platform::hotkey_modifiers::All;
    for (const MenuKeyEquivalent& item : m_menuItems()) {
        if (item.keyEquivalent.isEmpty() || item.keyEquivalent.toUpper() != name ||
            (item.modifiers & platform::hotkey_modifiers::All) != modifiers)
            continue;
        if (error)
            *error = ShortcutError{
                QStringLiteral("The key combination %1 can't be used!")
                    .arg(m_names.stringForCarbonModifierFlagsAndKeyCode(carbonFlags, keyCode)),
                QStringLiteral("The key combination \"%1\" can't be used because it's already used "
                               "by the menu item \"%2\".")
                    .arg(m_names.readableStringForCarbonModifierFlagsAndKeyCode(carbonFlags,
                                                                                keyCode),
                         item.title),
                {m_names.text("OK")}};
        return true;
    }
    return false;
}

} // namespace kelvane::components
