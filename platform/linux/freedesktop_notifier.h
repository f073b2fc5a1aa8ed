#pragma once

#include "platform/core/notifier.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

#include <optional>

namespace platform {

/// Notification bubbles through the desktop's `org.freedesktop.Notifications` service on the
/// session bus. A post with the identifier of an earlier one replaces that bubble; posts made
/// while the server has not yet answered the previous one are merged into the newest, so a
/// burst of changes ends in one bubble. Calls never block. Without a bus or a server, one log
/// line for the object's life, and posts are dropped.
class FreedesktopNotifier final : public QObject, public Notifier {
    Q_OBJECT
public:
    explicit FreedesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                                 QObject* parent = nullptr);
    void post(const Notification& notification) override;

private:
    struct Bubble {
        quint32 id = 0;
        bool waiting = false;
        std::optional<Notification> queued;
    };

    void send(const Notification& notification);
    void reportFailure(const QString& why);

    QDBusConnection m_bus;
    QHash<QString, Bubble> m_bubbles;
    bool m_failureLogged = false;
};

} // namespace platform
