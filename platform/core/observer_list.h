#pragma once

#include <QString>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

/// The observer bookkeeping shared by the notification centres. `Note` is the notification
/// type; `Object` is what a notification names as its sender (an identity for the local
/// centre, a string for the distributed one), where a default-constructed `Object` means any.
///
/// Observers may be added or removed by the handlers of the notification being delivered: a
/// removed observer gets nothing more, an added one only from the next notification on.
template <typename Note, typename Object> class ObserverList {
public:
    using Handler = std::function<void(const Note&)>;

    void add(const void* observer, const QString& name, const Object& object, Handler handler) {
        m_entries.push_back(std::make_shared<Entry>(
            Entry{observer, name, object, std::move(handler), std::make_shared<bool>(true)}));
    }

    /// Removes the observer's registrations matching `name` and `object` (empty: any).
    void remove(const void* observer, const QString& name = {}, const Object& object = {}) {
        std::erase_if(m_entries, [&](const std::shared_ptr<Entry>& entry) {
            const bool match = entry->observer == observer &&
                               (name.isEmpty() || entry->name == name) &&
                               (object == Object{} || entry->object == object);
            if (match)
                *entry->alive = false;
            return match;
        });
    }

    /// Calls, in registration order, every observer whose name and object match.
    void deliver(const Note& note, const QString& name, const Object& object) const {
        std::vector<std::shared_ptr<Entry>> matching;
        for (const auto& entry : m_entries) {
            if ((entry->name.isEmpty() || entry->name == name) &&
                (entry->object == Object{} || entry->object == object))
                matching.push_back(entry);
        }
        for (const auto& entry : matching) {
            if (*entry->alive)
                entry->handler(note);
        }
    }

    bool isEmpty() const { return m_entries.empty(); }

private:
    struct Entry {
        const void* observer;
        QString name;
        Object object;
        Handler handler;
        std::shared_ptr<bool> alive;
    };
    std::vector<std::shared_ptr<Entry>> m_entries;
};

} // namespace platform
