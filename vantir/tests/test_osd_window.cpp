// The display windows as the controller drives them: the full-screen one keeps the focus.

#include "vantir/app/osd_window.h"
#include "vantir/core/osd_templates.h"
#include "vantir/tests/model_fixture.h"

#include <QTest>

namespace vantir {
namespace {

using testing::str;

class OSDWindowTest : public testing::ModelTest {
protected:
    /// Gives the focus to another window and waits until `window` has lost it.
    void takeFocusFrom(QWidget& window) {
        other.setWindowTitle(str("Other"));
        other.resize(200, 100);
        other.show();
        other.raise();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        QTRY_VERIFY(!window.isActiveWindow());
    }

    OSDTemplates templates{{folder() + str("/templates")}};
    QWidget other;
};

TEST_F(OSDWindowTest, FullScreenDisplayTakesTheFocusBackHalfASecondAfterLosingIt) {
    OSDWindow window(OSDWindow::Kind::Fullscreen, templates, *defaults, clock);
    window.open();
    QTRY_VERIFY(window.isActiveWindow());
    takeFocusFrom(window);
    ASSERT_TRUE(clock.secondsToNextTimer().has_value());
    EXPECT_NEAR(*clock.secondsToNextTimer(), 0.5, 1e-9);
    EXPECT_TRUE(logLines.contains(str("VNTController::windowDidResignKey: try to get key again")));

    clock.advance(0.4);
    EXPECT_TRUE(other.isActiveWindow()) << "not before half a second";
    clock.advance(0.1);
    QTRY_VERIFY(window.isActiveWindow());
}

TEST_F(OSDWindowTest, ClosedOrWindowedDisplaysLeaveTheFocusAlone) {
    OSDWindow fullscreen(OSDWindow::Kind::Fullscreen, templates, *defaults, clock);
    fullscreen.open();
    QTRY_VERIFY(fullscreen.isActiveWindow());
    fullscreen.close();
    takeFocusFrom(fullscreen);
    EXPECT_FALSE(clock.secondsToNextTimer().has_value());

    OSDWindow windowed(OSDWindow::Kind::Window, templates, *defaults, clock);
    windowed.open();
    QTRY_VERIFY(windowed.isActiveWindow());
    takeFocusFrom(windowed);
    EXPECT_FALSE(clock.secondsToNextTimer().has_value());
}

TEST_F(OSDWindowTest, DisplayClosedWhileWaitingStaysClosed) {
    OSDWindow window(OSDWindow::Kind::Fullscreen, templates, *defaults, clock);
    window.open();
    QTRY_VERIFY(window.isActiveWindow());
    takeFocusFrom(window);
    window.close();
    clock.advance(0.5);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace vantir
