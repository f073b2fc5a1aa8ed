#include "platform/x11/x11_idle_time.h"

#include "platform/core/log.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace platform::x11 {

X11IdleTime::X11IdleTime(Display* display) : m_display(display) {
    int eventBase = 0;
    int errorBase = 0;
    if (!m_display)
        log(QStringLiteral("no X display: the idle time is unknown"));
    else if (!XScreenSaverQueryExtension(m_display, &eventBase, &errorBase))
        log(QStringLiteral("the X server lacks the MIT-SCREEN-SAVER extension: the idle time is "
                           "unknown"));
    else
        m_available = true;
}

std::optional<std::uint64_t> X11IdleTime::idleNanoseconds() {
    if (!m_available)
        return std::nullopt;
    XScreenSaverInfo info{};
    if (!XScreenSaverQueryInfo(m_display, DefaultRootWindow(m_display), &info)) {
        if (!m_failureLogged)
            log(QStringLiteral("Could not determine idle time."));
        m_failureLogged = true;
        return std::nullopt;
    }
    m_failureLogged = false;
    return std::uint64_t(info.idle) * 1'000'000;
}

} // namespace platform::x11
