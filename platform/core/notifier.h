#pragma once

#include <QString>

namespace platform {

/// A notification bubble of the desktop.
struct Notification {
    /// The program posting it ("Kelvane").
    QString applicationName;
    QString title;
    QString body;
    /// Posts with the same identifier replace each other's bubble rather than stacking up;
    /// an empty identifier always opens a new one.
    QString identifier;
};

/// Shows notification bubbles. Without a notification service posts are dropped; nothing
/// else fails.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void post(const Notification& notification) = 0;
};

} // namespace platform
