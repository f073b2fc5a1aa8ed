#pragma once

#include "platform/core/clock.h"

#include <cstdint>
#include <map>
#include <optional>

namespace platform::doubles {

namespace detail {
struct ManualClockState;
}

/// A clock whose time moves only when a test says so. Time is counted in whole nanoseconds,
/// so intervals such as 0.4 s add up exactly however many times they repeat.
class ManualClock final : public Clock {
public:
    /// `start` is the calendar date at virtual time 0.
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC));
    ~ManualClock() override;

    double now() const override;
    QDateTime currentDate() const override;
    std::unique_ptr<Timer> scheduleTimer(double seconds, Repeats repeats,
                                         std::function<void()> action) override;

    /// Moves time forward by `seconds`, firing every timer that falls due on the way in due
    /// order, with the clock standing at each timer's due time while it runs. Timers that the
    /// actions schedule fire too when they fall due before the end.
    void advance(double seconds);
    /// Fires what is due now without moving time.
    void advance() { advance(0); }

    /// Timers still scheduled.
    int pendingTimers() const;
    /// Seconds until the next timer is due, if any is scheduled.
    std::optional<double> secondsToNextTimer() const;

    static std::int64_t toNanoseconds(double seconds);

private:
    std::shared_ptr<detail::ManualClockState> m_state;
    QDateTime m_start;
};

} // namespace platform::doubles
