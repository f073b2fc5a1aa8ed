#pragma once

#include "platform/core/alerts.h"

namespace platform {

/// Alerts as QMessageBox dialogs. The first button is the default (Return), the second
/// answers Escape; with one button, Escape gives the first.
class MessageBoxAlerts final : public Alerts {
public:
    AlertResponse runModal(const Alert& alert) override;
    void beep() override;
};

} // namespace platform
