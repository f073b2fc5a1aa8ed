#pragma once

#include <array>
#include <functional>
#include <memory>

namespace platform {
class Clock;
class Timer;
} // namespace platform

namespace vantir {

/// The six keys of a receiver that reports plain key presses and releases.
enum class ReceiverKey { Plus, Minus, Menu, Play, Right, Left };

/// Gives plain key presses and releases the infrared receiver's own behaviour, so that the
/// interpreter sees the same identifiers from either kind of receiver. Plus and Minus report
/// their press and release as they come. Menu, Play, Right and Left report nothing at key-down:
/// released before the hold threshold, they report their identifier (pressed) at key-up; held
/// past it, Menu reports Menu hold and Play reports Play sleep (pressed), Right and Left report
/// their hold pressed at the threshold and released at key-up.
class ReceiverKeySynthesis {
public:
    using Report = std::function<void(int identifier, bool pressed)>;

    /// `holdThreshold` answers the threshold in seconds at each key-down.
    ReceiverKeySynthesis(platform::Clock& clock, std::function<double()> holdThreshold,
                         Report report);
    ~ReceiverKeySynthesis();

    void keyDown(ReceiverKey key);
    void keyUp(ReceiverKey key);
    /// The receiver is gone: every key still down is released as if let go now, except that a
    /// key whose threshold has not passed reports nothing (its press never completed).
    void releaseAll();

private:
    struct KeyState {
        bool down = false;
        bool held = false;
        std::unique_ptr<platform::Timer> threshold;
    };
    void thresholdPassed(ReceiverKey key);
    KeyState& state(ReceiverKey key) { return m_keys[std::size_t(key)]; }

    platform::Clock& m_clock;
    std::function<double()> m_holdThreshold;
    Report m_report;
    std::array<KeyState, 6> m_keys;
};

} // namespace vantir
