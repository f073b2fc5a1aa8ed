#pragma once

#include "platform/core/clock.h"
#include "vantir/core/timed_alerts.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class QPushButton;

namespace vantir {

/// The alert dialog whose default button counts down ("OK (7)") and which closes by itself
/// when the time is up, answering the default button. Its time comes from a `Clock`.
class TimedAlertPanel final : public QDialog {
public:
    TimedAlertPanel(platform::Clock& clock, const TimedAlert& alert, QWidget* parent = nullptr);
    ~TimedAlertPanel() override;

    /// 1 default (or timeout), 0 alternate, -1 other; the default until a button closes it.
    int returnCode() const { return m_returnCode; }
    QPushButton* defaultButton() const { return m_defaultButton; }
    QPushButton* alternateButton() const { return m_alternateButton; }
    QPushButton* otherButton() const { return m_otherButton; }

protected:
    void showEvent(QShowEvent* event) override;
    /// Escape and the window's close box count as the default button.
    void reject() override;

private:
    void tick();
    void finish(int code);

    platform::Clock& m_clock;
    QString m_defaultTitle;
    int m_seconds;
    double m_start = 0;
    int m_returnCode = kAlertDefaultReturn;
    QPushButton* m_defaultButton = nullptr;
    QPushButton* m_alternateButton = nullptr;
    QPushButton* m_otherButton = nullptr;
    std::unique_ptr<platform::Timer> m_timer;
};

/// Shows a timed alert modally: the message is `messageFormat` filled with `arguments` ("%@"),
/// absent (empty) buttons are not shown. Answers 1 (default or timeout), 0 (alternate) or -1
/// (other).
int VNTRunTimedAlertPanel(platform::Clock& clock, const QString& title,
                          const QString& messageFormat, const QString& defaultButton,
                          const QString& alternateButton, const QString& otherButton, int seconds,
                          const QStringList& arguments = {});

/// Timed alerts as `TimedAlertPanel` dialogs.
class DialogTimedAlerts final : public TimedAlerts {
public:
    explicit DialogTimedAlerts(platform::Clock& clock) : m_clock(clock) {}
    int runTimedAlert(const TimedAlert& alert) override;

private:
    platform::Clock& m_clock;
};

/// The demonstration of the timed alert: five seconds, "OK" and "Other".
int runTimedAlertFunction(platform::Clock& clock);

} // namespace vantir
