#pragma once

#include "platform/core/alerts.h"

namespace platform {

/// Alerts as QMessageBox dialogs. The first button is the default (Return); Escape and the
/// window's close box answer the alert's escape answer (`escapeAnswerOf`).
class MessageBoxAlerts final : public Alerts {
public:
    AlertResponse runModal(const Alert& alert) override;
    void beep() override;
};

} // namespace platform
