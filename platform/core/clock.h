#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

namespace platform {

/// A scheduled call. Destroying the handle invalidates the timer, so an owner that drops or
/// replaces its handle can never be called back afterwards.
class Timer {
public:
    virtual ~Timer() = default;
    /// Stops the timer for good. Safe to call from inside its own action, and more than once.
    virtual void invalidate() = 0;
    /// False once invalidated, and for a one-shot timer once it has fired.
    virtual bool isValid() const = 0;
};

enum class Repeats { No, Yes };

/// The source of time for every rule that the programs time: idle delays of minutes, reminders
/// of a day, click windows of 0.4 s. Logic asks a `Clock` and never the wall clock, so that
/// tests drive time with a manual clock.
class Clock {
public:
    virtual ~Clock() = default;

    /// Seconds on a steady scale; only differences mean anything.
    virtual double now() const = 0;

    /// The calendar date and time, for dates that are stored or shown.
    virtual QDateTime currentDate() const = 0;

    /// Calls `action` on the main run loop once `seconds` have passed, and then every `seconds`
    /// when `repeats` is Yes. A repeating timer keeps its rhythm: each firing is due one
    /// interval after the previous due time, not after the previous call. Intervals under
    /// 0.1 ms count as 0.1 ms. Timers due at the same time fire in the order they were
    /// scheduled.
    virtual std::unique_ptr<Timer> scheduleTimer(double seconds, Repeats repeats,
                                                 std::function<void()> action) = 0;
};

/// Shortest interval a timer takes, in seconds.
inline constexpr double kMinimumTimerInterval = 0.0001;

} // namespace platform
