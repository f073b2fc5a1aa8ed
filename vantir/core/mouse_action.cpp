#include "vantir/core/mouse_action.h"

#include "platform/core/alerts.h"
#include "platform/core/defaults.h"
#include "platform/core/event_poster.h"
#include "platform/core/front_application.h"
#include "vantir/core/keystroke_action.h"
#include "vantir/core/preferences.h"

#include <algorithm>

namespace vantir {

namespace {

using platform::KeyState;
using platform::MouseButton;

enum MouseEventType { Move = 0, Click = 1, ScrollWheel = 2 };
constexpr qint64 kHoldReleaseCount = 100;
// X posts every click and every wheel notch as events of their own; an archive asking for
// millions would keep the program busy for minutes, so they stop at this many.
constexpr qint64 kMostRepeats = 1000;

constexpr std::array kButtons{MouseButton::Left, MouseButton::Right, MouseButton::Middle};

int buttonIndex(qint64 tag) {
    switch (tag) {
    case 2:
        return 1;
    case 3:
        return 2;
    default:
        return 0;
    }
}

} // namespace

QPoint checkLocation(QPoint point, const QRect& screen) {
    if (screen.isEmpty())
        return point;
    return QPoint(std::clamp(point.x(), screen.left(), screen.right()),
                  std::clamp(point.y(), screen.top(), screen.bottom()));
}

bool MousePerformer::perform(const VNTAction& action) {
    if (vantir::boolForKey(m_services.defaults, kRefuseMouseActionsInFrontKey, false) &&
        isProgramName(m_services.front.frontApplicationName())) {
        m_services.alerts.runModal(platform::Alert{
            platform::AlertStyle::Warning,
            QStringLiteral("Vantir Alert"),
            QStringLiteral(
                "For security reasons, mouse actions can not be performed with Vantir in front."),
            {QStringLiteral("OK")}});
        return false;
    }
    const std::optional<QPoint> pointer = m_services.poster.pointerPosition();
    if (!pointer)
        return false;
    switch (action.integerForKey(QStringLiteral("mouseEventType"))) {
    case Move:
        return move(action, *pointer);
    case Click:
        return click(action);
    case ScrollWheel:
        return m_services.poster.postWheel(
            int(std::clamp<qint64>(action.integerForKey(QStringLiteral("scrollWheelAmount")),
                                   -kMostRepeats, kMostRepeats)));
    default:
        return true;
    }
}

bool MousePerformer::move(const VNTAction& action, QPoint pointer) {
    const QRect screen = m_services.screenAt ? m_services.screenAt(pointer) : QRect();
    const qint64 x = action.integerForKey(QStringLiteral("mouseMoveX"));
    const qint64 y = action.integerForKey(QStringLiteral("mouseMoveY"));
    // In 64 bits, so that values far outside any screen are clamped rather than wrapped.
    qint64 targetX = 0, targetY = 0;
    if (action.integerForKey(QStringLiteral("mouseMoveType")) == 0) {
        targetX = pointer.x() + x;
        targetY = pointer.y() - y;
    } else {
        targetX = screen.left() + x;
        targetY = qint64(screen.top()) + screen.height() - y;
    }
    const auto fit = [](qint64 value) {
        return int(std::clamp<qint64>(value, std::numeric_limits<int>::min() / 2,
                                      std::numeric_limits<int>::max() / 2));
    };
    return m_services.poster.movePointer(checkLocation(QPoint(fit(targetX), fit(targetY)), screen));
}

bool MousePerformer::click(const VNTAction& action) {
    const int chosen = buttonIndex(action.integerForKey(QStringLiteral("mouseButtonTag")));
    const MouseButton button = kButtons[std::size_t(chosen)];
    const qint64 count = action.integerForKey(QStringLiteral("mouseClickCount"));
    if (count == kHoldReleaseCount) {
        bool posted = releaseHeld(chosen);
        const bool hold = !m_held[std::size_t(chosen)];
        m_held[std::size_t(chosen)] = hold;
        posted =
            m_services.poster.postButton(button, hold ? KeyState::Down : KeyState::Up) && posted;
        return posted;
    }
    // A click ends every hold: the buttons come up before it, rather than staying down on the
    // desktop while the action forgets them.
    bool posted = releaseHeld(-1);
    for (qint64 i = 0; i < std::min(count, kMostRepeats); ++i) {
        posted = m_services.poster.postButton(button, KeyState::Down) && posted;
        posted = m_services.poster.postButton(button, KeyState::Up) && posted;
        if (!posted)
            break;
    }
    return posted;
}

bool MousePerformer::releaseHeld(int except) {
    bool posted = true;
    for (int index = 0; index < int(m_held.size()); ++index) {
        if (index == except || !m_held[std::size_t(index)])
            continue;
        m_held[std::size_t(index)] = false;
        posted = m_services.poster.postButton(kButtons[std::size_t(index)], KeyState::Up) && posted;
    }
    return posted;
}

} // namespace vantir
