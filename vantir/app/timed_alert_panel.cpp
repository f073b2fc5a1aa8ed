#include "vantir/app/timed_alert_panel.h"

#include "vantir/core/localized.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace vantir {

namespace {

// How often the countdown looks at the clock; the title changes once a second.
constexpr double kTickSeconds = 0.1;

} // namespace

TimedAlertPanel::TimedAlertPanel(platform::Clock& clock, const TimedAlert& alert, QWidget* parent)
    : QDialog(parent), m_clock(clock), m_defaultTitle(alert.defaultButton),
      m_seconds(alert.seconds) {
    setWindowTitle(alert.title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(alert.title, this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    auto* message = new QLabel(alert.message, this);
    message->setWordWrap(true);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(message);

    // The buttons as alert panels place them: other on the left, then alternate, default on
    // the right.
    auto* buttons = new QHBoxLayout;
    // Four blanks keep room for the countdown, so the button does not grow as it counts.
    m_defaultButton = new QPushButton(m_defaultTitle + QStringLiteral("    "), this);
    m_defaultButton->setDefault(true);
    connect(m_defaultButton, &QPushButton::clicked, this, [this] { finish(kAlertDefaultReturn); });
    if (!alert.otherButton.isEmpty()) {
        m_otherButton = new QPushButton(alert.otherButton, this);
        connect(m_otherButton, &QPushButton::clicked, this, [this] { finish(kAlertOtherReturn); });
        buttons->addWidget(m_otherButton);
    }
    buttons->addStretch();
    if (!alert.alternateButton.isEmpty()) {
        m_alternateButton = new QPushButton(alert.alternateButton, this);
        connect(m_alternateButton, &QPushButton::clicked, this,
                [this] { finish(kAlertAlternateReturn); });
        buttons->addWidget(m_alternateButton);
    }
    buttons->addWidget(m_defaultButton);
    layout->addLayout(buttons);
    m_start = m_clock.now();
    tick();
}

TimedAlertPanel::~TimedAlertPanel() = default;

void TimedAlertPanel::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_timer)
        return;
    QApplication::beep();
    m_start = m_clock.now();
    tick();
    m_timer = m_clock.scheduleTimer(kTickSeconds, platform::Repeats::Yes, [this] { tick(); });
}

void TimedAlertPanel::reject() {
    finish(kAlertDefaultReturn);
}

void TimedAlertPanel::tick() {
    const int elapsed = int(std::floor(m_clock.now() - m_start + 1e-9));
    m_defaultButton->setText(m_defaultTitle + QStringLiteral(" (%1)").arg(m_seconds - elapsed));
    if (m_timer && elapsed >= m_seconds)
        finish(kAlertDefaultReturn);
}

void TimedAlertPanel::finish(int code) {
    if (m_timer)
        m_timer->invalidate();
    m_returnCode = code;
    hide();
    done(code == kAlertDefaultReturn ? QDialog::Accepted : QDialog::Rejected);
}

int VNTRunTimedAlertPanel(platform::Clock& clock, const QString& title,
                          const QString& messageFormat, const QString& defaultButton,
                          const QString& alternateButton, const QString& otherButton, int seconds,
                          const QStringList& arguments) {
    TimedAlertPanel panel(clock, TimedAlert{title, formatted(messageFormat, arguments),
                                            defaultButton, alternateButton, otherButton, seconds});
    panel.exec();
    return panel.returnCode();
}

int DialogTimedAlerts::runTimedAlert(const TimedAlert& alert) {
    TimedAlertPanel panel(m_clock, alert);
    panel.exec();
    return panel.returnCode();
}

int runTimedAlertFunction(platform::Clock& clock) {
    return VNTRunTimedAlertPanel(
        clock, QStringLiteral("Title"), QStringLiteral("This is a timed message (%@)"),
        QStringLiteral("OK"), {}, QStringLiteral("Other"), 5, {QStringLiteral("This is it")});
}

} // namespace vantir
