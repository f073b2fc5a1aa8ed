#include "platform/qt/message_box_alerts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

QMessageBox::Icon iconFor(AlertStyle style) {
    switch (style) {
    case AlertStyle::Warning:
        return QMessageBox::Warning;
    case AlertStyle::Informational:
        return QMessageBox::Information;
    case AlertStyle::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::Warning;
}

} // namespace

AlertResponse MessageBoxAlerts::runModal(const Alert& alert) {
    QMessageBox box(iconFor(alert.style), QApplication::applicationDisplayName(),
                    alert.messageText);
    box.setInformativeText(alert.informativeText);
    QStringList titles = alert.buttons.mid(0, 3);
    if (titles.isEmpty())
        titles << QStringLiteral("OK");
    static constexpr QMessageBox::ButtonRole roles[] = {
        QMessageBox::AcceptRole, QMessageBox::RejectRole, QMessageBox::DestructiveRole};
    QList<QPushButton*> buttons;
    for (qsizetype i = 0; i < titles.size(); ++i)
        buttons << box.addButton(titles[i], roles[i]);
    box.setDefaultButton(buttons.first());
    const AlertResponse escape = escapeAnswerOf(alert);
    box.setEscapeButton(buttons[qsizetype(escape)]);
    box.exec();
    const qsizetype chosen = buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    switch (chosen) {
    case 0:
        return AlertResponse::First;
    case 1:
        return AlertResponse::Second;
    case 2:
        return AlertResponse::Third;
    default:
        // Closed without a button of ours: as Escape, never as the default.
        return escape;
    }
}

void MessageBoxAlerts::beep() {
    QApplication::beep();
}

} // namespace platform
