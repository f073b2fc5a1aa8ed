#pragma once

#include "platform/core/observer_list.h"
#include "platform/core/value.h"

#include <QString>

namespace platform {

/// A notification inside one process: a name, the object that sent it (compared by identity;
/// may be null) and optional user information.
struct Notification {
    QString name;
    const void* object = nullptr;
    Value userInfo;
};

/// The process's notification centre. Posting calls every matching observer at once, on the
/// posting thread, in the order they registered. Main thread only.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    /// The centre that every part of a program shares.
    static NotificationCenter& defaultCenter();

    /// Registers `handler` for notifications called `name` (empty: any name) sent by `object`
    /// (null: any sender). `observer` is only the identity by which it is removed.
    void addObserver(const void* observer, const QString& name, const void* object,
                     Handler handler);
    /// Removes every registration of `observer`, or those for `name` and `object` only.
    void removeObserver(const void* observer, const QString& name = {},
                        const void* object = nullptr);

    void post(const QString& name, const void* object = nullptr, const Value& userInfo = {});

private:
    ObserverList<Notification, const void*> m_observers;
};

} // namespace platform
