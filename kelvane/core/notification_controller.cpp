#include "kelvane/core/notification_controller.h"

namespace kelvane {

QString KelvaneNotificationController::descriptionForLevel(int level) const {
    const int blocks = level / 10;
    QString description =
        m_strings.text(QStringLiteral("NotificationIllumination")) + QStringLiteral(": \n");
    if (blocks == 0)
        return description + m_strings.text(QStringLiteral("NotificationOff"));
    for (int i = 1; i <= 10; ++i)
        description += i <= blocks ? QChar(0x25FC) : QChar(0x25FB);
    return description;
}

void KelvaneNotificationController::postNotification(int level) {
    m_notifier.post({QStringLiteral("Kelvane"), QStringLiteral("Kelvane"),
                     descriptionForLevel(level), kIdentifier});
}

} // namespace kelvane
