#pragma once

#include "platform/core/idle_time.h"
#include "platform/x11/x11_display.h"

namespace platform::x11 {

/// The X server's idle time, from its screen saver extension. A missing display or extension
/// is logged once and every query answers none.
class X11IdleTime final : public IdleTime {
public:
    explicit X11IdleTime(Display* display);
    std::optional<std::uint64_t> idleNanoseconds() override;

private:
    Display* m_display;
    bool m_available = false;
    bool m_failureLogged = false;
};

} // namespace platform::x11
