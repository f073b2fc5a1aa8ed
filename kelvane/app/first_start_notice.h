#pragma once

#include "kelvane/app/components/bubble_window.h"
#include "platform/core/clock.h"

#include <functional>
#include <memory>

namespace kelvane {

/// The bubble that points at the status item on the first start. It stays up to 15 seconds,
/// and fades out in ten steps 15 ms apart, at the end or at once when the item is clicked.
class FirstStartNotice {
public:
    /// `shown` is called when the bubble opens (the agent stores that it was shown).
    FirstStartNotice(platform::Clock& clock, std::function<void()> shown);
    ~FirstStartNotice();

    /// Opens the bubble at `point`, or, when it is open, starts fading it out.
    void toggleAttachedWindowAtPoint(QPoint point);
    /// One step of the fade-out; starts the fade when none runs. Does nothing without a bubble.
    void orderAttachedWindowOut();

    bool isShown() const { return attachedWindow != nullptr; }
    components::KVBubbleWindow* window() const { return attachedWindow.get(); }
    double alpha() const { return m_alpha; }

    static constexpr double kSeconds = 15.0;
    static constexpr double kFadeStep = 0.1;

private:
    platform::Clock& m_clock;
    std::function<void()> m_shown;
    double m_alpha = 0;
    std::unique_ptr<components::KVBubbleWindow> attachedWindow;
    std::unique_ptr<platform::Timer> detachTimer;
    std::unique_ptr<platform::Timer> fadeOutTimer;
};

} // namespace kelvane
