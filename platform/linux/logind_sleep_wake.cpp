#include "platform/linux/logind_sleep_wake.h"

#include "platform/core/log.h"

namespace platform {

LogindSleepWake::LogindSleepWake(QDBusConnection bus, QObject* parent) : QObject(parent) {
    if (!bus.isConnected()) {
        log(QStringLiteral("no system bus: sleep and wake go unnoticed"));
        return;
    }
    bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                this, SLOT(prepareForSleep(bool)));
}

void LogindSleepWake::setHandlers(std::function<void()> willSleep, std::function<void()> didWake) {
    m_willSleep = std::move(willSleep);
    m_didWake = std::move(didWake);
}

void LogindSleepWake::prepareForSleep(bool start) {
    const auto& handler = start ? m_willSleep : m_didWake;
    if (handler)
        handler();
}

} // namespace platform
