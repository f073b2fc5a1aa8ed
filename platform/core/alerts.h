#pragma once

#include <QString>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace platform {

enum class AlertStyle { Warning, Informational, Critical };

/// Which button closed an alert, counted from the default one.
enum class AlertResponse { First, Second, Third };

/// A modal alert: a message, an optional informative text below it, and up to three buttons,
/// the first being the default. No buttons means one "OK".
struct Alert {
    AlertStyle style = AlertStyle::Warning;
    QString messageText;
    QString informativeText;
    QStringList buttons;
    /// What Escape and the window's close box answer, which must be the alert's safest button.
    /// Unset means the last button: alerts list their default first and "Cancel" last. An alert
    /// whose safest button is elsewhere ("Don't remove" before "Remove") names it here.
    std::optional<AlertResponse> escapeAnswer = std::nullopt;
};

/// The answer that Escape and the close box give for `alert`, always one of its buttons.
inline AlertResponse escapeAnswerOf(const Alert& alert) {
    const int last = int(std::min<qsizetype>(std::max<qsizetype>(alert.buttons.size(), 1), 3)) - 1;
    const int wanted = alert.escapeAnswer ? int(*alert.escapeAnswer) : last;
    return AlertResponse(std::min(wanted, last));
}

/// Alert panels and the beep.
class Alerts {
public:
    virtual ~Alerts() = default;
    /// Shows `alert` and waits until the user picks a button, presses Escape or closes it.
    virtual AlertResponse runModal(const Alert& alert) = 0;
    virtual void beep() = 0;
};

} // namespace platform
