// The history window on its own: its plot, and what it leaves behind when it goes.

#include "voltaro/app/history_window.h"

#include <QChartView>
#include <QCoreApplication>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QTableView>
#include <QUndoStack>
#include <QValueAxis>

#include <atomic>
#include <gtest/gtest.h>

using namespace voltaro;

// Qt's object hooks, the ones debugging tools use: called as every QObject is made and
// destroyed. (Indices 3 and 4 of the hook table, stable since Qt 5.)
Q_DECL_IMPORT extern quintptr qtHookData[];

namespace {

TEST(HistoryWindow, PlotsOnATimeAxisWithAFixedPercentageAxis) {
    HistoryContext context;
    context.insert({QStringLiteral("2026-03-05"), QStringLiteral("90 % (4500 mAh)")});
    context.insert({QStringLiteral("2025-11-20"), QStringLiteral("95 % (4750 mAh)")});
    QUndoStack undoStack;
    HistoryWindow window(context, undoStack);
    ASSERT_EQ(window.series()->count(), 2);
    EXPECT_LT(window.series()->at(0).x(), window.series()->at(1).x()) << "sorted by date";
    EXPECT_EQ(window.series()->at(0).y(), 95);
    const auto percentAxes = window.series()->attachedAxes();
    const auto* percent =
        qobject_cast<QValueAxis*>(percentAxes.at(percentAxes.at(0) == window.dateAxis() ? 1 : 0));
    ASSERT_NE(percent, nullptr);
    EXPECT_EQ(percent->min(), 0);
    EXPECT_EQ(percent->max(), 100);
    EXPECT_EQ(window.dateAxis()->format(), QStringLiteral("MMM yyyy"));
    EXPECT_EQ(window.dateAxis()->min().date(), QDate(2025, 11, 19));

    // A far outlier does not stretch the percentage axis; a new entry moves the dates.
    context.insert({QStringLiteral("2026-03-06"), QStringLiteral("-440000 % (4400 mAh)")});
    context.insert({QStringLiteral("2026-03-07"), QStringLiteral("89 % (4450 mAh)")});
    EXPECT_EQ(window.series()->count(), 3);
    EXPECT_EQ(percent->min(), 0);
    EXPECT_EQ(window.dateAxis()->max().date(), QDate(2026, 3, 8));
    EXPECT_EQ(window.table()->model()->rowCount(), 4) << "the table keeps every entry";
}

constexpr int kAddQObjectHook = 3;
constexpr int kRemoveQObjectHook = 4;
std::atomic<long> liveObjects{0};

// Counts the QObjects alive between its construction and destruction.
class ObjectCount {
public:
    ObjectCount() {
        liveObjects = 0;
        qtHookData[kAddQObjectHook] = reinterpret_cast<quintptr>(&added);
        qtHookData[kRemoveQObjectHook] = reinterpret_cast<quintptr>(&removed);
    }
    ~ObjectCount() {
        qtHookData[kAddQObjectHook] = 0;
        qtHookData[kRemoveQObjectHook] = 0;
    }
    long live() const { return liveObjects; }

private:
    static void added(QObject*) { ++liveObjects; }
    static void removed(QObject*) { --liveObjects; }
};

// Every object the window makes (the table, the chart and its axes, the actions) goes with it.
TEST(HistoryWindow, ClosingItDestroysEverythingItMade) {
    HistoryContext context;
    context.insert({QStringLiteral("2026-03-05"), QStringLiteral("90 % (4500 mAh)")});
    QUndoStack undoStack;
    const auto openAndClose = [&] {
        auto window = std::make_unique<HistoryWindow>(context, undoStack);
        window->show();
        window->grab();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    // The first window may leave Qt's own caches (styles, fonts) behind for good.
    openAndClose();
    const ObjectCount count;
    for (int i = 0; i < 3; ++i)
        openAndClose();
    EXPECT_EQ(count.live(), 0) << "objects left behind by three windows";
}

} // namespace
