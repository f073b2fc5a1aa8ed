#pragma once

#include "platform/core/idle_time.h"

#include <cstdint>

namespace kelvane {

/// How long the user has been idle, in the agent's unit: 2^30 ns (about 1.074 s), so that
/// 3 000 000 000 ns read as 2. Any failure reads as 0, which the agent takes for recent input.
class KelvanePowerManagementController {
public:
    explicit KelvanePowerManagementController(platform::IdleTime& idleTime)
        : m_idleTime(idleTime) {}

    std::int32_t secondsSinceLastUserInput() {
        const auto nanoseconds = m_idleTime.idleNanoseconds();
        return nanoseconds ? std::int32_t(*nanoseconds >> 30) : 0;
    }

private:
    platform::IdleTime& m_idleTime;
};

} // namespace kelvane
