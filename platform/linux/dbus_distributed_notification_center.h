#pragma once

#include "platform/core/distributed_notification_center.h"

#include <QObject>

namespace platform {

/// Distributed notifications carried as D-Bus signals on the session bus: every post is the
/// broadcast signal `org.notebooksuite.DistributedNotifications.Notification` on the path
/// `/org/notebooksuite/DistributedNotifications`, with three string arguments: the name, the
/// object, and the user information as an XML property list (empty when there is none).
/// Any program of the session can post or listen with ordinary D-Bus tools.
///
/// Without a session bus the centre logs one line and carries nothing.
class DBusDistributedNotificationCenter final : public QObject,
                                                public DistributedNotificationCenter {
    Q_OBJECT

public:
    DBusDistributedNotificationCenter();
    ~DBusDistributedNotificationCenter() override;

    /// False when no session bus could be reached.
    bool isConnected() const { return m_connected; }

    void addObserver(const void* observer, const QString& name, const QString& object,
                     Handler handler) override;
    void removeObserver(const void* observer, const QString& name = {},
                        const QString& object = {}) override;
    void post(const QString& name, const QString& object, const Value& userInfo) override;

private Q_SLOTS:
    void receive(const QString& name, const QString& object, const QString& userInfo);

private:
    ObserverList<DistributedNotification, QString> m_observers;
    bool m_connected = false;
};

} // namespace platform
