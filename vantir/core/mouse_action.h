#pragma once

#include "vantir/core/classes.h"

#include <QPoint>
#include <QRect>

#include <array>
#include <functional>

namespace platform {
class Alerts;
class Defaults;
class EventPoster;
class FrontApplication;
} // namespace platform

namespace vantir {

/// The defaults key of the safety switch: when on, mouse actions refuse to run while the
/// program itself is in front (off unless the user turns it on).
inline const QString kRefuseMouseActionsInFrontKey =
    QStringLiteral("RefuseMouseActionsWithVantirInFront");

/// The frame of the screen that holds a point, in the poster's pixels (origin at the top left
/// of the desktop); an empty rectangle when there is no screen.
using ScreenAt = std::function<QRect(QPoint point)>;

/// What a mouse action leans on.
struct MouseServices {
    platform::EventPoster& poster;
    ScreenAt screenAt;
    platform::FrontApplication& front;
    platform::Alerts& alerts;
    const platform::Defaults& defaults;
};

/// Performs mouse actions ("VNTAMouse"): moves the pointer by an offset or to a point of the
/// screen it is on, clicks a button a number of times or toggles it between held and
/// released (so that later moves drag), or turns the wheel. The stored values count y
/// upwards (an offset up, a point from the bottom of the screen); the pointer is kept on the
/// screen that holds it.
class MousePerformer {
public:
    explicit MousePerformer(MouseServices services) : m_services(std::move(services)) {}

    /// NO when nothing could be posted (no display) or the safety switch refused; YES
    /// otherwise, also for an unknown kind of mouse event, which does nothing.
    bool perform(const VNTAction& action);

    /// Whether the action holds the left (0), right (1) or middle (2) button down now.
    bool isHeld(int index) const { return m_held[std::size_t(index)]; }

private:
    bool move(const VNTAction& action, QPoint pointer);
    bool click(const VNTAction& action);
    bool releaseHeld(int except);

    MouseServices m_services;
    /// Left, right and middle held by a hold/release toggle.
    std::array<bool, 3> m_held{};
};

/// `point` moved onto the frame `screen` (its last column and row included); an empty frame
/// leaves it as it is.
QPoint checkLocation(QPoint point, const QRect& screen);

} // namespace vantir
