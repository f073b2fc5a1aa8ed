#pragma once

#include "platform/core/observer_list.h"
#include "platform/core/value.h"

#include <QString>

namespace platform {

/// A notification between processes of the user's session. The sender is named by a string,
/// and the user information travels as a property list.
struct DistributedNotification {
    QString name;
    QString object;
    Value userInfo;
};

/// The session-wide notification centre. A posted notification reaches every matching
/// observer in every process of the session, the posting process included, as soon as each
/// process's run loop gets to it. Main thread only.
class DistributedNotificationCenter {
public:
    using Handler = std::function<void(const DistributedNotification&)>;

    virtual ~DistributedNotificationCenter() = default;

    /// Registers `handler` for notifications called `name` (empty: any name) from `object`
    /// (empty: any sender).
    virtual void addObserver(const void* observer, const QString& name, const QString& object,
                             Handler handler) = 0;
    /// Removes every registration of `observer`, or those for `name` and `object` only.
    virtual void removeObserver(const void* observer, const QString& name = {},
                                const QString& object = {}) = 0;
    /// Sends at once; nothing is held back or coalesced.
    virtual void post(const QString& name, const QString& object, const Value& userInfo) = 0;
};

} // namespace platform
