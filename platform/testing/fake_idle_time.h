#pragma once

#include "platform/core/idle_time.h"

namespace platform::doubles {

/// An idle time a test sets; none stands for a system that cannot tell.
class FakeIdleTime final : public IdleTime {
public:
    std::optional<std::uint64_t> idleNanoseconds() override { return nanoseconds; }
    void setIdleSeconds(double seconds) { nanoseconds = std::uint64_t(seconds * 1e9); }

    std::optional<std::uint64_t> nanoseconds = 0;
};

} // namespace platform::doubles
