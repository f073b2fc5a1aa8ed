#include "vantir/core/model_context.h"

#include "platform/core/clock.h"
#include "platform/core/notification_center.h"

#include <cassert>

namespace vantir {

namespace {

ModelContext* living = nullptr;

} // namespace

ModelContext::ModelContext(platform::Clock& clock, platform::NotificationCenter& notifications,
                           Preferences* preferences)
    : m_clock(clock), m_notifications(notifications), m_preferences(preferences) {
    assert(!living && "one model context at a time");
    living = this;
}

ModelContext::~ModelContext() {
    if (living == this)
        living = nullptr;
}

ModelContext* ModelContext::current() {
    return living;
}

void ModelContext::setPerformer(const QString& className, ActionPerformer performer) {
    if (performer)
        m_performers.insert(className, std::move(performer));
    else
        m_performers.remove(className);
}

const ActionPerformer* ModelContext::performerFor(const QString& className) const {
    auto it = m_performers.constFind(className);
    return it == m_performers.constEnd() ? nullptr : &*it;
}

void postModelNotification(const QString& name, const void* object,
                           const platform::Value& userInfo) {
    if (living)
        living->notifications().post(name, object, userInfo);
}

std::optional<QDateTime> modelDateNow() {
    if (!living)
        return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(living->clock().currentDate().toSecsSinceEpoch(), Qt::UTC);
}

} // namespace vantir
