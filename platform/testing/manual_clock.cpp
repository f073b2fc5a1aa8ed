#include "platform/testing/manual_clock.h"

#include <cmath>

namespace platform::doubles {

namespace {

struct Entry {
    std::int64_t interval = 0;
    bool repeats = false;
    bool valid = true;
    std::function<void()> action;
};

// Due time first, then the order of scheduling.
using Key = std::pair<std::int64_t, std::uint64_t>;

} // namespace

namespace detail {

struct ManualClockState {
    std::int64_t now = 0;
    std::uint64_t nextSequence = 0;
    std::map<Key, std::shared_ptr<Entry>> queue;

    void add(std::int64_t due, std::shared_ptr<Entry> entry) {
        queue.emplace(Key{due, nextSequence++}, std::move(entry));
    }
    void remove(const Entry* entry) {
        std::erase_if(queue, [&](const auto& item) { return item.second.get() == entry; });
    }
};

} // namespace detail

namespace {

class ManualTimer final : public Timer {
public:
    ManualTimer(std::weak_ptr<detail::ManualClockState> clock, std::shared_ptr<Entry> entry)
        : m_clock(std::move(clock)), m_entry(std::move(entry)) {}
    ~ManualTimer() override { invalidate(); }

    void invalidate() override {
        if (!m_entry->valid)
            return;
        m_entry->valid = false;
        if (auto clock = m_clock.lock())
            clock->remove(m_entry.get());
    }
    bool isValid() const override { return m_entry->valid; }

private:
    std::weak_ptr<detail::ManualClockState> m_clock;
    std::shared_ptr<Entry> m_entry;
};

} // namespace

ManualClock::ManualClock(QDateTime start)
    : m_state(std::make_shared<detail::ManualClockState>()), m_start(std::move(start)) {}

ManualClock::~ManualClock() = default;

std::int64_t ManualClock::toNanoseconds(double seconds) {
    return std::llround(seconds * 1e9);
}

double ManualClock::now() const {
    return double(m_state->now) / 1e9;
}

QDateTime ManualClock::currentDate() const {
    return m_start.addMSecs(m_state->now / 1'000'000);
}

std::unique_ptr<Timer> ManualClock::scheduleTimer(double seconds, Repeats repeats,
                                                  std::function<void()> action) {
    auto entry = std::make_shared<Entry>();
    entry->interval = toNanoseconds(std::max(seconds, kMinimumTimerInterval));
    entry->repeats = repeats == Repeats::Yes;
    entry->action = std::move(action);
    m_state->add(m_state->now + entry->interval, entry);
    return std::make_unique<ManualTimer>(m_state, std::move(entry));
}

void ManualClock::advance(double seconds) {
    // Held locally: an action may destroy the clock's owner, not the state under our feet.
    auto state = m_state;
    const std::int64_t end = state->now + toNanoseconds(std::max(seconds, 0.0));
    while (!state->queue.empty() && state->queue.begin()->first.first <= end) {
        auto first = state->queue.begin();
        const std::int64_t due = first->first.first;
        std::shared_ptr<Entry> entry = first->second;
        state->queue.erase(first);
        state->now = due;
        if (entry->repeats)
            state->add(due + entry->interval, entry);
        else
            entry->valid = false;
        entry->action();
    }
    state->now = end;
}

int ManualClock::pendingTimers() const {
    return int(m_state->queue.size());
}

std::optional<double> ManualClock::secondsToNextTimer() const {
    if (m_state->queue.empty())
        return std::nullopt;
    return double(m_state->queue.begin()->first.first - m_state->now) / 1e9;
}

} // namespace platform::doubles
