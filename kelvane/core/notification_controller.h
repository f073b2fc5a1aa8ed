#pragma once

#include "platform/core/notifier.h"
#include "platform/core/resources.h"

namespace kelvane {

/// Posts the "Illumination changed" notification each time the level is stepped or toggled:
/// the level as a row of ten squares, or the "off" text below 10 %.
class KelvaneNotificationController {
public:
    KelvaneNotificationController(platform::Notifier& notifier,
                                  const platform::StringsTable& strings)
        : m_notifier(notifier), m_strings(strings) {}

    void postNotification(int level);
    /// The text of the notification for `level`.
    QString descriptionForLevel(int level) const;

    static inline const QString kNotificationName = QStringLiteral("Illumination changed");
    static inline const QString kIdentifier =
        QStringLiteral("KELVANE_ILLUMINATION_CHANGED_IDENTIFIER");

private:
    platform::Notifier& m_notifier;
    const platform::StringsTable& m_strings;
};

} // namespace kelvane
