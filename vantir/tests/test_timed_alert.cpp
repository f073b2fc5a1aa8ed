#include "platform/testing/manual_clock.h"
#include "vantir/app/timed_alert_panel.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vantir;

namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

// Set VANTIR_SCREENSHOTS to a folder to look at the dialog as a user sees it.
void screenshot(QWidget& widget, const char* name) {
    const QString folder = qEnvironmentVariable("VANTIR_SCREENSHOTS");
    if (!folder.isEmpty())
        widget.grab().save(folder + QLatin1Char('/') + str(name) + str(".png"));
}

// The version check's alert: three buttons and a twenty-second countdown.
TimedAlert versionAlert() {
    return {str("A new version of Vantir is available!"),
            str("Notes"),
            str("Download Later"),
            str("Visit Download Site"),
            str("More Info Online"),
            20};
}

} // namespace

TEST(TimedAlert, DefaultButtonCountsDownAndClosesTheAlert) {
    platform::doubles::ManualClock clock;
    TimedAlertPanel panel(
        clock, TimedAlert{str("Vantir Alert"), str("Ten seconds to go."), str("OK"), {}, {}, 10});
    panel.show();
    EXPECT_EQ(panel.defaultButton()->text(), str("OK (10)"));
    EXPECT_EQ(panel.alternateButton(), nullptr);
    EXPECT_EQ(panel.otherButton(), nullptr);
    screenshot(panel, "timed-alert");

    QStringList titles;
    for (int second = 1; second < 10; ++second) {
        clock.advance(1);
        titles.append(panel.defaultButton()->text());
    }
    EXPECT_EQ(titles.first(), str("OK (9)"));
    EXPECT_EQ(titles.last(), str("OK (1)"));
    EXPECT_TRUE(panel.isVisible());
    clock.advance(0.99);
    EXPECT_TRUE(panel.isVisible());
    clock.advance(0.01);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.returnCode(), kAlertDefaultReturn);
    EXPECT_EQ(clock.pendingTimers(), 0);
}

TEST(TimedAlert, ButtonsAnswerTheirCodesAndAModalRunEndsByItself) {
    platform::doubles::ManualClock clock;
    const TimedAlert alert = versionAlert();
    {
        TimedAlertPanel panel(clock, alert);
        panel.show();
        screenshot(panel, "version-alert");
        panel.alternateButton()->click();
        EXPECT_EQ(panel.returnCode(), kAlertAlternateReturn);
        EXPECT_FALSE(panel.isVisible());
    }
    {
        TimedAlertPanel panel(clock, alert);
        panel.show();
        panel.otherButton()->click();
        EXPECT_EQ(panel.returnCode(), kAlertOtherReturn);
    }
    // The modal run: the clock moves 20 seconds while the dialog waits.
    QTimer::singleShot(0, [&clock] { clock.advance(20); });
    EXPECT_EQ(VNTRunTimedAlertPanel(clock, str("Title"), str("This is a timed message (%@)"),
                                    str("OK"), {}, str("Other"), 20, {str("This is it")}),
              kAlertDefaultReturn);
}

// The default button is what the timeout answers, so it is the one that does nothing; Escape
// and the close box give it too, never "Visit Download Site" or "More Info Online".
TEST(TimedAlert, EscapeAndTheCloseBoxAnswerTheDefaultButton) {
    platform::doubles::ManualClock clock;
    const TimedAlert alert = versionAlert();
    {
        TimedAlertPanel panel(clock, alert);
        panel.show();
        QTest::keyClick(&panel, Qt::Key_Escape);
        EXPECT_FALSE(panel.isVisible());
        EXPECT_EQ(panel.returnCode(), kAlertDefaultReturn);
    }
    {
        TimedAlertPanel panel(clock, alert);
        panel.show();
        EXPECT_TRUE(panel.close());
        EXPECT_EQ(panel.returnCode(), kAlertDefaultReturn);
        EXPECT_EQ(clock.pendingTimers(), 0) << "the countdown stops with the panel";
    }
}
