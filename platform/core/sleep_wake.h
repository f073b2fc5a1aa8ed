#pragma once

#include <functional>

namespace platform {

/// The machine's sleep and wake, as programs that hold devices need to hear of them: a device
/// is closed or its state saved before sleep and restored after wake.
class SleepWake {
public:
    virtual ~SleepWake() = default;

    /// `willSleep` is called on the main thread just before the machine sleeps, `didWake`
    /// after it has woken. Setting handlers replaces the previous ones.
    virtual void setHandlers(std::function<void()> willSleep, std::function<void()> didWake) = 0;
};

} // namespace platform
