#include "kelvane/app/components/paned_prefs_window_controller.h"
#include "kelvane/app/first_start_notice.h"
#include "platform/testing/manual_clock.h"
#include "platform/testing/wait.h"

#include <QLabel>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace kelvane;

TEST(FirstStartNotice, LeftAloneItFadesOutAfterFifteenSeconds) {
    platform::doubles::ManualClock clock;
    int shown = 0;
    FirstStartNotice notice(clock, [&shown] { ++shown; });
    notice.toggleAttachedWindowAtPoint({600, 30});
    ASSERT_TRUE(notice.isShown());
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(notice.window()->isVisible());
    clock.advance(14.99);
    EXPECT_DOUBLE_EQ(notice.alpha(), 1.0);
    clock.advance(0.01);
    EXPECT_DOUBLE_EQ(notice.alpha(), 0.9);
    clock.advance(0.2);
    EXPECT_FALSE(notice.isShown());
    EXPECT_EQ(clock.pendingTimers(), 0);
}

TEST(FirstStartNotice, ClickFadesItInTenStepsAndItDoesNotReturn) {
    platform::doubles::ManualClock clock;
    FirstStartNotice notice(clock, {});
    notice.toggleAttachedWindowAtPoint({600, 30});
    clock.advance(3);
    notice.orderAttachedWindowOut(); // the click on the status item
    int steps = 1;
    while (notice.isShown() && steps < 50) {
        clock.advance(0.015);
        ++steps;
    }
    EXPECT_EQ(steps, 10);
    clock.advance(20);
    EXPECT_FALSE(notice.isShown()) << "the 15 s timer must not bring it back";
    EXPECT_EQ(clock.pendingTimers(), 0);
    notice.orderAttachedWindowOut();
    EXPECT_FALSE(notice.isShown());
}

namespace {

class TwoPanes final : public components::KVPanedPrefsWindowController {
public:
    QLabel* first = new QLabel(QStringLiteral("first"));
    QLabel* second = new QLabel(QStringLiteral("second"));

protected:
    void setupToolbar() override {
        addView(first, QStringLiteral("General"), {});
        addView(second, QStringLiteral("Updates"), {});
    }
};

} // namespace

TEST(PanedPrefsWindow, ShowsTheFirstPaneThenCrossFadesToAnother) {
    TwoPanes panes;
    panes.showWindow();
    auto* stack = static_cast<QStackedWidget*>(panes.window()->centralWidget());
    EXPECT_EQ(stack->currentWidget(), panes.first);
    EXPECT_EQ(panes.window()->windowTitle(), QStringLiteral("General"));
    panes.displayViewForIdentifier(QStringLiteral("Updates"), true);
    EXPECT_EQ(stack->currentWidget(), panes.first) << "the old pane fades out first";
    EXPECT_TRUE(
        platform::doubles::waitUntil([&] { return stack->currentWidget() == panes.second; }, 3000));
    EXPECT_EQ(panes.currentIdentifier(), QStringLiteral("Updates"));

    // Assistive technologies toggle the toolbar item instead of clicking it.
    auto* generalItem =
        qobject_cast<QToolButton*>(panes.window()->findChild<QToolBar*>()->widgetForAction(
            panes.window()->findChild<QToolBar*>()->actions().front()));
    ASSERT_NE(generalItem, nullptr);
    generalItem->toggle();
    EXPECT_TRUE(
        platform::doubles::waitUntil([&] { return stack->currentWidget() == panes.first; }, 3000));

    // Shown again, the window starts over on its first pane, with the toolbar made anew.
    panes.close();
    panes.showWindow();
    EXPECT_EQ(stack->currentWidget(), panes.first);
    EXPECT_EQ(panes.window()->findChildren<QToolBar*>().size(), 1);
}
