#include "vantir/core/receiver_keys.h"

#include "platform/core/clock.h"
#include "vantir/core/remote_device.h"

namespace vantir {

namespace {

int clickIdentifier(ReceiverKey key) {
    switch (key) {
    case ReceiverKey::Plus:
        return kRemoteButtonPlus;
    case ReceiverKey::Minus:
        return kRemoteButtonMinus;
    case ReceiverKey::Menu:
        return kRemoteButtonMenu;
    case ReceiverKey::Play:
        return kRemoteButtonPlay;
    case ReceiverKey::Right:
        return kRemoteButtonRight;
    case ReceiverKey::Left:
        return kRemoteButtonLeft;
    }
    return 0;
}

int holdIdentifier(ReceiverKey key) {
    switch (key) {
    case ReceiverKey::Plus:
    case ReceiverKey::Minus:
        return 0;
    case ReceiverKey::Menu:
        return kRemoteButtonMenuHold;
    case ReceiverKey::Play:
        return kRemoteButtonPlaySleep;
    case ReceiverKey::Right:
        return kRemoteButtonRightHold;
    case ReceiverKey::Left:
        return kRemoteButtonLeftHold;
    }
    return 0;
}

bool reportsPressAndRelease(ReceiverKey key) {
    return key == ReceiverKey::Plus || key == ReceiverKey::Minus;
}

} // namespace

ReceiverKeySynthesis::ReceiverKeySynthesis(platform::Clock& clock,
                                           std::function<double()> holdThreshold, Report report)
    : m_clock(clock), m_holdThreshold(std::move(holdThreshold)), m_report(std::move(report)) {}

ReceiverKeySynthesis::~ReceiverKeySynthesis() = default;

void ReceiverKeySynthesis::keyDown(ReceiverKey key) {
    KeyState& s = state(key);
    // A second key-down without a key-up in between (a lost event) starts nothing new.
    if (s.down)
        return;
    s.down = true;
    s.held = false;
    if (reportsPressAndRelease(key)) {
        m_report(clickIdentifier(key), true);
        return;
    }
    s.threshold = m_clock.scheduleTimer(m_holdThreshold(), platform::Repeats::No,
                                        [this, key] { thresholdPassed(key); });
}

void ReceiverKeySynthesis::thresholdPassed(ReceiverKey key) {
    KeyState& s = state(key);
    s.threshold.reset();
    s.held = true;
    m_report(holdIdentifier(key), true);
}

void ReceiverKeySynthesis::keyUp(ReceiverKey key) {
    KeyState& s = state(key);
    if (!s.down)
        return;
    s.down = false;
    s.threshold.reset();
    if (reportsPressAndRelease(key)) {
        m_report(clickIdentifier(key), false);
        return;
    }
    if (!s.held) {
        m_report(clickIdentifier(key), true);
        return;
    }
    s.held = false;
    if (key == ReceiverKey::Right || key == ReceiverKey::Left)
        m_report(holdIdentifier(key), false);
}

void ReceiverKeySynthesis::releaseAll() {
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        KeyState& s = m_keys[i];
        if (!s.down)
            continue;
        const auto key = ReceiverKey(i);
        if (!reportsPressAndRelease(key) && !s.held) {
            s.down = false;
            s.threshold.reset();
            continue;
        }
        keyUp(key);
    }
}

} // namespace vantir
