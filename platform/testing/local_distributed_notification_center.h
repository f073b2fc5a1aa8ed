#pragma once

#include "platform/core/distributed_notification_center.h"

#include <vector>

namespace platform::doubles {

/// A distributed centre confined to the test process: posts reach this centre's observers at
/// once, and are recorded.
class LocalDistributedNotificationCenter final : public DistributedNotificationCenter {
public:
    void addObserver(const void* observer, const QString& name, const QString& object,
                     Handler handler) override {
        m_observers.add(observer, name, object, std::move(handler));
    }
    void removeObserver(const void* observer, const QString& name = {},
                        const QString& object = {}) override {
        m_observers.remove(observer, name, object);
    }
    void post(const QString& name, const QString& object, const Value& userInfo) override {
        const DistributedNotification note{name, object, userInfo};
        posted.push_back(note);
        m_observers.deliver(note, name, object);
    }

    std::vector<DistributedNotification> posted;

private:
    ObserverList<DistributedNotification, QString> m_observers;
};

} // namespace platform::doubles
