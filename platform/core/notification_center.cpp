#include "platform/core/notification_center.h"

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, const QString& name, const void* object,
                                     Handler handler) {
    m_observers.add(observer, name, object, std::move(handler));
}

void NotificationCenter::removeObserver(const void* observer, const QString& name,
                                        const void* object) {
    m_observers.remove(observer, name, object);
}

void NotificationCenter::post(const QString& name, const void* object, const Value& userInfo) {
    m_observers.deliver(Notification{name, object, userInfo}, name, object);
}

} // namespace platform
