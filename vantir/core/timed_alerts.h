#pragma once

#include <QString>

namespace vantir {

/// Return codes of a timed alert, as the platform's alert panels answer.
inline constexpr int kAlertDefaultReturn = 1;
inline constexpr int kAlertAlternateReturn = 0;
inline constexpr int kAlertOtherReturn = -1;

/// An alert whose default button counts down and which closes by itself, counting as the
/// default button. Empty alternate or other titles mean no such button.
struct TimedAlert {
    QString title;
    QString message;
    QString defaultButton;
    QString alternateButton;
    QString otherButton;
    int seconds = 0;
};

/// Shows timed alerts (a dialog in the program, a script in tests).
class TimedAlerts {
public:
    virtual ~TimedAlerts() = default;
    /// Shows `alert` until a click or its timeout; answers 1 (default or timeout), 0 (alternate)
    /// or -1 (other).
    virtual int runTimedAlert(const TimedAlert& alert) = 0;
};

} // namespace vantir
