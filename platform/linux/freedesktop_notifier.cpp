#include "platform/linux/freedesktop_notifier.h"

#include "platform/core/log.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace platform {

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {}

void FreedesktopNotifier::reportFailure(const QString& why) {
    if (m_failureLogged)
        return;
    m_failureLogged = true;
    log(QStringLiteral("notifications cannot be shown: %1").arg(why));
}

void FreedesktopNotifier::post(const Notification& notification) {
    if (!m_bus.isConnected()) {
        reportFailure(QStringLiteral("no session bus"));
        return;
    }
    if (!notification.identifier.isEmpty()) {
        Bubble& bubble = m_bubbles[notification.identifier];
        if (bubble.waiting) {
            bubble.queued = notification;
            return;
        }
        bubble.waiting = true;
    }
    send(notification);
}

void FreedesktopNotifier::send(const Notification& notification) {
    const quint32 replaces =
        notification.identifier.isEmpty() ? 0 : m_bubbles.value(notification.identifier).id;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << notification.applicationName << replaces << QString() << notification.title
         << notification.body << QStringList() << QVariantMap() << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier = notification.identifier](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<quint32> reply = *finished;
                if (reply.isError())
                    reportFailure(reply.error().message());
                if (identifier.isEmpty())
                    return;
                Bubble& bubble = m_bubbles[identifier];
                if (!reply.isError())
                    bubble.id = reply.value();
                bubble.waiting = false;
                if (bubble.queued) {
                    const Notification next = *bubble.queued;
                    bubble.queued.reset();
                    bubble.waiting = true;
                    send(next);
                }
            });
}

} // namespace platform
