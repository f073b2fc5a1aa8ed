#pragma once

#include "platform/core/sleep_wake.h"

#include <QDBusConnection>
#include <QObject>

namespace platform {

/// Sleep and wake as logind announces them: `PrepareForSleep(true)` before the machine
/// sleeps, `PrepareForSleep(false)` after it woke, on the system bus. Without that bus, one
/// log line and no calls.
class LogindSleepWake final : public QObject, public SleepWake {
    Q_OBJECT
public:
    explicit LogindSleepWake(QDBusConnection bus = QDBusConnection::systemBus(),
                             QObject* parent = nullptr);
    void setHandlers(std::function<void()> willSleep, std::function<void()> didWake) override;

private Q_SLOTS:
    void prepareForSleep(bool start);

private:
    std::function<void()> m_willSleep;
    std::function<void()> m_didWake;
};

} // namespace platform
