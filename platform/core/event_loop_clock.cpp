#include "platform/core/event_loop_clock.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

class EventLoopTimer final : public Timer {
public:
    EventLoopTimer(double seconds, Repeats repeats, std::function<void()> action)
        : m_timer(new QTimer), m_state(std::make_shared<State>()) {
        m_state->action = std::move(action);
        m_timer->setTimerType(Qt::PreciseTimer);
        m_timer->setSingleShot(repeats == Repeats::No);
        const double ms = std::max(seconds, kMinimumTimerInterval) * 1000.0;
        m_timer->setInterval(int(std::min(std::llround(ms), qint64(INT32_MAX))));
        // The connection holds the state, so an action that destroys this handle while it
        // runs keeps its own closure alive until it returns.
        QObject::connect(m_timer, &QTimer::timeout,
                         [state = m_state, single = repeats == Repeats::No] {
                             if (!state->valid)
                                 return;
                             if (single)
                                 state->valid = false;
                             auto action = state->action;
                             action();
                         });
        m_timer->start();
    }

    ~EventLoopTimer() override {
        invalidate();
        // The timer may be the sender of the signal being delivered right now.
        m_timer->deleteLater();
    }

    void invalidate() override {
        m_state->valid = false;
        m_timer->stop();
    }

    bool isValid() const override { return m_state->valid; }

private:
    struct State {
        std::function<void()> action;
        bool valid = true;
    };
    QTimer* m_timer;
    std::shared_ptr<State> m_state;
};

} // namespace

EventLoopClock::EventLoopClock() {
    m_elapsed.start();
}

double EventLoopClock::now() const {
    return double(m_elapsed.nsecsElapsed()) / 1e9;
}

QDateTime EventLoopClock::currentDate() const {
    return QDateTime::currentDateTimeUtc();
}

std::unique_ptr<Timer> EventLoopClock::scheduleTimer(double seconds, Repeats repeats,
                                                     std::function<void()> action) {
    return std::make_unique<EventLoopTimer>(seconds, repeats, std::move(action));
}

} // namespace platform
