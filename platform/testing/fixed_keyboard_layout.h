#pragma once

#include "platform/core/keyboard_layout.h"

#include <QHash>

namespace platform::doubles {

/// A layout given as a table, character to virtual key code.
class FixedKeyboardLayout final : public KeyboardLayout {
public:
    FixedKeyboardLayout() = default;
    explicit FixedKeyboardLayout(QHash<char32_t, int> keys) : keys(std::move(keys)) {}

    std::optional<int> keyCodeForCharacter(char32_t character) override {
        const auto it = keys.constFind(character);
        if (it == keys.constEnd())
            return std::nullopt;
        return *it;
    }

    QHash<char32_t, int> keys;
};

} // namespace platform::doubles
