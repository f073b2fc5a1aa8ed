#pragma once

#include "platform/core/clock.h"

#include <QElapsedTimer>

namespace platform {

/// The real clock: steady time from the system's monotonic clock, timers on the Qt event loop
/// of the thread that schedules them (the main thread in every program).
class EventLoopClock final : public Clock {
public:
    EventLoopClock();

    double now() const override;
    QDateTime currentDate() const override;
    std::unique_ptr<Timer> scheduleTimer(double seconds, Repeats repeats,
                                         std::function<void()> action) override;

private:
    QElapsedTimer m_elapsed;
};

} // namespace platform
