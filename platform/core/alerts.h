#pragma once

#include <QString>
#include <QStringList>

namespace platform {

enum class AlertStyle { Warning, Informational, Critical };

/// A modal alert: a message, an optional informative text below it, and up to three buttons,
/// the first being the default. No buttons means one "OK".
struct Alert {
    AlertStyle style = AlertStyle::Warning;
    QString messageText;
    QString informativeText;
    QStringList buttons;
};

/// Which button closed an alert, counted from the default one.
enum class AlertResponse { First, Second, Third };

/// Alert panels and the beep.
class Alerts {
public:
    virtual ~Alerts() = default;
    /// Shows `alert` and waits until the user picks a button.
    virtual AlertResponse runModal(const Alert& alert) = 0;
    virtual void beep() = 0;
};

} // namespace platform
