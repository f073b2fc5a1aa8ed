#pragma once

#include "kelvane/app/components/key_code_transformer.h"
#include "platform/core/hot_keys.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace kelvane::components {

/// Why a key combination cannot be used, as an alert shows it.
struct ShortcutError {
    QString description;
    QString recoverySuggestion;
    QStringList recoveryOptions;
};

/// A menu item's key equivalent, for the conflict check.
struct MenuKeyEquivalent {
    QString title;
    /// The key as the menu shows it ("Q", ",").
    QString keyEquivalent;
    /// Hot key modifier mask.
    quint32 modifiers = 0;
};

/// Checks a recorded combination against, in order, the recorder's delegate, the combinations
/// other programs hold system-wide, and the program's own menus.
class KVShortcutValidator {
public:
    /// Answers whether the delegate reserves the combination, with its reason (may be empty).
    using DelegateCheck = std::function<bool(int keyCode, quint32 cocoaFlags, QString* reason)>;

    KVShortcutValidator(const KVKeyCodeTransformer& names, platform::HotKeys* systemWide,
                        std::function<std::vector<MenuKeyEquivalent>()> menuItems)
        : m_names(names), m_systemWide(systemWide), m_menuItems(std::move(menuItems)) {}

    void setDelegate(DelegateCheck delegate) { m_delegate = std::move(delegate); }
    const KVKeyCodeTransformer& names() const { return m_names; }

    /// Answers whether the combination is taken; `error` says why when it is known.
    bool isKeyCodeAndFlagsTaken(int keyCode, quint32 carbonFlags,
                                std::optional<ShortcutError>* error) const;
    bool isKeyCodeAndFlagsTakenInMenu(int keyCode, quint32 carbonFlags,
                                      std::optional<ShortcutError>* error) const;

private:
    const KVKeyCodeTransformer& m_names;
    platform::HotKeys* m_systemWide;
    std::function<std::vector<MenuKeyEquivalent>()> m_menuItems;
    DelegateCheck m_delegate;
};

} // namespace kelvane::components
