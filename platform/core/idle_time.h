#pragma once

#include <cstdint>
#include <optional>

namespace platform {

/// How long the user has left keyboard and pointer alone.
class IdleTime {
public:
    virtual ~IdleTime() = default;

    /// Nanoseconds since the last keyboard or pointer input; none when the system cannot say
    /// (the implementation logs why).
    virtual std::optional<std::uint64_t> idleNanoseconds() = 0;
};

} // namespace platform
