#include "platform/linux/dbus_distributed_notification_center.h"

#include "platform/core/log.h"
#include "platform/core/property_list.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace platform {

namespace {

const QString kPath = QStringLiteral("/org/notebooksuite/DistributedNotifications");
const QString kInterface = QStringLiteral("org.notebooksuite.DistributedNotifications");
const QString kMember = QStringLiteral("Notification");

// Messages to the bus go out without waiting. One call that waits for its answer makes sure
// that everything sent before it has reached the bus: a match rule before anyone relies on
// hearing a post, a post before the program quits.
void syncWithBus(QDBusConnection& bus) {
    bus.interface()->isServiceRegistered(bus.baseService());
}

} // namespace

DBusDistributedNotificationCenter::DBusDistributedNotificationCenter() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        log(QStringLiteral("no D-Bus session bus (%1); notifications to other programs are off")
                .arg(bus.lastError().message()));
        return;
    }
    m_connected = bus.connect(QString(), kPath, kInterface, kMember, this,
                              SLOT(receive(QString, QString, QString)));
    if (!m_connected) {
        log(QStringLiteral("cannot listen on the D-Bus session bus: %1")
                .arg(bus.lastError().message()));
        return;
    }
    syncWithBus(bus);
}

DBusDistributedNotificationCenter::~DBusDistributedNotificationCenter() {
    if (m_connected)
        QDBusConnection::sessionBus().disconnect(QString(), kPath, kInterface, kMember, this,
                                                 SLOT(receive(QString, QString, QString)));
}

void DBusDistributedNotificationCenter::addObserver(const void* observer, const QString& name,
                                                    const QString& object, Handler handler) {
    m_observers.add(observer, name, object, std::move(handler));
}

void DBusDistributedNotificationCenter::removeObserver(const void* observer, const QString& name,
                                                       const QString& object) {
    m_observers.remove(observer, name, object);
}

void DBusDistributedNotificationCenter::post(const QString& name, const QString& object,
                                             const Value& userInfo) {
    if (!m_connected)
        return;
    QString info;
    if (!userInfo.isNone()) {
        auto xml = writeXmlPropertyList(userInfo);
        if (!xml) {
            log(QStringLiteral("notification %1 not sent: %2").arg(name, xml.error()));
            return;
        }
        info = QString::fromUtf8(*xml);
    }
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, kMember);
    signal << name << object << info;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.send(signal);
    syncWithBus(bus);
}

void DBusDistributedNotificationCenter::receive(const QString& name, const QString& object,
                                                const QString& userInfo) {
    Value info;
    if (!userInfo.isEmpty()) {
        auto parsed = readPropertyList(userInfo.toUtf8());
        if (!parsed) {
            log(QStringLiteral("notification %1 ignored: %2").arg(name, parsed.error()));
            return;
        }
        info = std::move(parsed).value();
    }
    m_observers.deliver(DistributedNotification{name, object, info}, name, object);
}

} // namespace platform
