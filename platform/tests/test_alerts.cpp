#include "platform/qt/message_box_alerts.h"
#include "platform/testing/scripted_alerts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

// Answers the next message box by running `answer` on it once its modal loop runs. The filter
// sees the box being shown, so nothing polls; it belongs to the application, so an alert that
// never comes leaves nothing behind.
class AnswerWhenShown : public QObject {
public:
    explicit AnswerWhenShown(std::function<void(QMessageBox*)> answer)
        : QObject(qApp), m_answer(std::move(answer)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, box, [answer = std::move(m_answer), box] { answer(box); });
            deleteLater();
        }
        return false;
    }

private:
    std::function<void(QMessageBox*)> m_answer;
};

void whenShown(std::function<void(QMessageBox*)> answer) {
    new AnswerWhenShown(std::move(answer));
}

QAbstractButton* buttonTitled(QMessageBox* box, const QString& title) {
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}

} // namespace

TEST(MessageBoxAlerts, ShowsTheTextsAndAnswersTheButtonClicked) {
    MessageBoxAlerts alerts;
    const Alert alert{AlertStyle::Critical,
                      str("The archive is unreadable."),
                      str("It was kept aside."),
                      {str("Quit"), str("Cancel"), str("Open")}};
    QString shownText, shownInfo;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenShown([&](QMessageBox* box) {
        shownText = box->text();
        shownInfo = box->informativeText();
        icon = box->icon();
        buttonTitled(box, str("Open"))->click();
    });
    EXPECT_EQ(alerts.runModal(alert), AlertResponse::Third);
    EXPECT_EQ(shownText, alert.messageText);
    EXPECT_EQ(shownInfo, alert.informativeText);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(MessageBoxAlerts, ReturnPicksTheFirstButtonAndEscapeTheSecond) {
    MessageBoxAlerts alerts;
    const Alert alert{AlertStyle::Warning, str("Save changes?"), {}, {str("Save"), str("Cancel")}};
    whenShown([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(alerts.runModal(alert), AlertResponse::First);
    whenShown([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(alerts.runModal(alert), AlertResponse::Second);
}

TEST(MessageBoxAlerts, AnAlertWithoutButtonsOffersOk) {
    MessageBoxAlerts alerts;
    QStringList titles;
    whenShown([&](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons())
            titles << button->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(alerts.runModal(Alert{AlertStyle::Informational, str("Done."), {}, {}}),
              AlertResponse::First);
    EXPECT_EQ(titles, QStringList{str("OK")});
}

TEST(ScriptedAlerts, AnswersFromTheScriptThenWithTheDefaultAndRecordsEverything) {
    doubles::ScriptedAlerts alerts;
    alerts.answers = {AlertResponse::Second};
    EXPECT_EQ(alerts.runModal({AlertStyle::Warning, str("one"), str("info"), {}}),
              AlertResponse::Second);
    EXPECT_EQ(alerts.runModal({AlertStyle::Warning, str("two"), {}, {}}), AlertResponse::First);
    alerts.beep();
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[0].informativeText, str("info"));
    EXPECT_EQ(alerts.shown[1].messageText, str("two"));
    EXPECT_EQ(alerts.beeps, 1);
}
