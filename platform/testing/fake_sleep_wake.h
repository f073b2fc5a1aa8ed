#pragma once

#include "platform/core/sleep_wake.h"

#include <utility>

namespace platform::doubles {

/// Sleep and wake on a test's command.
class FakeSleepWake final : public SleepWake {
public:
    void setHandlers(std::function<void()> willSleep, std::function<void()> didWake) override {
        m_willSleep = std::move(willSleep);
        m_didWake = std::move(didWake);
    }
    void sleep() {
        if (m_willSleep)
            m_willSleep();
    }
    void wake() {
        if (m_didWake)
            m_didWake();
    }

private:
    std::function<void()> m_willSleep;
    std::function<void()> m_didWake;
};

} // namespace platform::doubles
