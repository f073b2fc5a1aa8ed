#include "kelvane/app/first_start_notice.h"

#include "kelvane/core/kelvane_controller.h"

#include <QLabel>

#include <cmath>

namespace kelvane {

FirstStartNotice::FirstStartNotice(platform::Clock& clock, std::function<void()> shown)
    : m_clock(clock), m_shown(std::move(shown)) {}

FirstStartNotice::~FirstStartNotice() = default;

void FirstStartNotice::toggleAttachedWindowAtPoint(QPoint point) {
    if (attachedWindow) {
        detachTimer.reset();
        orderAttachedWindowOut();
        return;
    }
    auto* text =
        new QLabel(QStringLiteral("Kelvane lives here.\nClick it to set the keyboard light."));
    text->setStyleSheet(QStringLiteral("color: white;"));
    attachedWindow = std::make_unique<components::KVBubbleWindow>(
        text, point, components::BubbleSide::Below, 5.0);
    m_alpha = 1.0;
    attachedWindow->setWindowOpacity(m_alpha);
    attachedWindow->show();
    if (m_shown)
        m_shown();
    detachTimer = m_clock.scheduleTimer(kSeconds, platform::Repeats::No, [this] {
        detachTimer.reset();
        orderAttachedWindowOut();
    });
}

void FirstStartNotice::orderAttachedWindowOut() {
    if (!attachedWindow)
        return;
    // Counted here rather than read back: the window keeps its opacity in steps of 1/255.
    m_alpha = std::round((m_alpha - kFadeStep) * 10) / 10;
    if (m_alpha > 0) {
        attachedWindow->setWindowOpacity(m_alpha);
        if (!fadeOutTimer)
            fadeOutTimer = m_clock.scheduleTimer(KVWindowFadeOutTimer, platform::Repeats::Yes,
                                                 [this] { orderAttachedWindowOut(); });
        return;
    }
    attachedWindow->hide();
    attachedWindow.reset();
    fadeOutTimer.reset();
}

} // namespace kelvane
