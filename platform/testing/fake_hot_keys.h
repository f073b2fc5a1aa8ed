#pragma once

#include "platform/core/hot_keys.h"

#include <map>
#include <set>
#include <utility>

namespace platform::doubles {

/// Hot keys held in memory. A test marks combinations as taken by another client and presses
/// and releases the registered ones.
class FakeHotKeys final : public HotKeys {
public:
    struct Combination {
        int keyCode;
        quint32 modifiers;
        auto operator<=>(const Combination&) const = default;
    };

    std::optional<Registration> registerHotKey(int keyCode, quint32 modifiers) override {
        if (takenElsewhere.count({keyCode, modifiers}))
            return std::nullopt;
        const Registration registration = ++m_lastRegistration;
        registered[registration] = {keyCode, modifiers};
        return registration;
    }
    void unregisterHotKey(Registration registration) override { registered.erase(registration); }
    bool isTakenElsewhere(int keyCode, quint32 modifiers) override {
        return takenElsewhere.count({keyCode, modifiers}) > 0;
    }
    void setHandlers(std::function<void(Registration)> pressed,
                     std::function<void(Registration)> released) override {
        m_pressed = std::move(pressed);
        m_released = std::move(released);
    }

    /// The registration of a combination, if it is registered.
    std::optional<Registration> registrationOf(int keyCode, quint32 modifiers) const {
        for (const auto& [registration, combination] : registered)
            if (combination.keyCode == keyCode && combination.modifiers == modifiers)
                return registration;
        return std::nullopt;
    }
    /// Presses (and `release` releases) a combination; answers whether it was registered.
    bool press(int keyCode, quint32 modifiers) { return deliver(m_pressed, keyCode, modifiers); }
    bool release(int keyCode, quint32 modifiers) { return deliver(m_released, keyCode, modifiers); }

    std::map<Registration, Combination> registered;
    std::set<Combination> takenElsewhere;

private:
    bool deliver(const std::function<void(Registration)>& handler, int keyCode, quint32 modifiers) {
        const auto registration = registrationOf(keyCode, modifiers);
        if (!registration || !handler)
            return false;
        handler(*registration);
        return true;
    }

    Registration m_lastRegistration = 0;
    std::function<void(Registration)> m_pressed;
    std::function<void(Registration)> m_released;
};

} // namespace platform::doubles
