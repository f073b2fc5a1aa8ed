#pragma once

#include "platform/core/value.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>

namespace platform {
class Clock;
class NotificationCenter;
} // namespace platform

namespace vantir {

class Preferences;
class VNTAction;
class VNTRepository;

/// What performing an action of a kind does; answers whether it succeeded.
using ActionPerformer = std::function<bool(const VNTAction& action)>;

/// What the archive model's records lean on: the clock that dates new and pasted actions, the
/// notification centre their changes are posted to, the preferences that give a new action its
/// author, and the performers that carry out each kind of action. Records are views of shared
/// dictionaries and cannot take services of their own, so they reach the one context that lives:
/// main() makes it for the program's whole run, a test for one test. There is no setter: the
/// context is current from its construction to its destruction, and at most one lives at a time.
/// Without one (a tool that only reads an archive) records date nothing and post nothing.
class ModelContext {
public:
    /// `preferences` may be null: new actions then take no author.
    ModelContext(platform::Clock& clock, platform::NotificationCenter& notifications,
                 Preferences* preferences);
    ~ModelContext();
    ModelContext(const ModelContext&) = delete;
    ModelContext& operator=(const ModelContext&) = delete;

    /// The living context, or null.
    static ModelContext* current();

    platform::Clock& clock() const { return m_clock; }
    platform::NotificationCenter& notifications() const { return m_notifications; }
    Preferences* preferences() const { return m_preferences; }
    /// The repository made on this context (the program's), or null.
    VNTRepository* repository() const { return m_repository; }

    /// Sets how actions of `className` (and its subclasses without their own) perform; an empty
    /// performer removes it.
    void setPerformer(const QString& className, ActionPerformer performer);
    /// The performer set for exactly `className`, or null.
    const ActionPerformer* performerFor(const QString& className) const;

private:
    friend class VNTRepository;

    platform::Clock& m_clock;
    platform::NotificationCenter& m_notifications;
    Preferences* m_preferences;
    VNTRepository* m_repository = nullptr;
    QHash<QString, ActionPerformer> m_performers;
};

/// Posts on the living context's notification centre; nothing without a context.
void postModelNotification(const QString& name, const void* object,
                           const platform::Value& userInfo = {});

/// The living context's calendar date, to the second (archives keep dates to the second, so a
/// saved archive loads back equal); nothing without a context.
std::optional<QDateTime> modelDateNow();

} // namespace vantir
