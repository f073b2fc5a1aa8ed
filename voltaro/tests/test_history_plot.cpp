#include "voltaro/core/history_plot.h"

#include <gtest/gtest.h>
#include <set>

using namespace voltaro;

namespace {

SavedData entry(const char* date, const char* capacity) {
    return {QString::fromLatin1(date), QString::fromLatin1(capacity)};
}

QDate dateOf(const QPointF& point) {
    return QDateTime::fromMSecsSinceEpoch(qint64(point.x())).date();
}

// The labels the date axis draws: its ticks spread evenly over the range.
QStringList tickLabels(const HistoryPlot& plot) {
    QStringList labels;
    const qint64 from = plot.from.toMSecsSinceEpoch();
    const qint64 step = (plot.to.toMSecsSinceEpoch() - from) / (plot.tickCount - 1);
    for (int tick = 0; tick < plot.tickCount; ++tick)
        labels << QDateTime::fromMSecsSinceEpoch(from + tick * step).toString(plot.dateFormat);
    return labels;
}

TEST(HistoryPlot, PointsAreSortedByDateAndBadEntriesLeftOut) {
    const HistoryPlot plot =
        plotHistory({entry("2026-03-05", "90 % (4500 mAh)"), entry("2025-11-20", "95 % (4750 mAh)"),
                     entry("2026-01-02", "93 % (4650 mAh)"), entry("2026-01-02", "92 % (4600 mAh)"),
                     entry("someday", "91 % (4550 mAh)"), entry("2026-02-01", " (4400 mAh)"),
                     entry("2026-02-02", "-440000 % (4400 mAh)")},
                    QDate(2026, 3, 6));
    ASSERT_EQ(plot.points.size(), 4);
    EXPECT_EQ(dateOf(plot.points[0]), QDate(2025, 11, 20));
    EXPECT_EQ(dateOf(plot.points[1]), QDate(2026, 1, 2));
    EXPECT_EQ(plot.points[1].y(), 93) << "one day's entries in the order they were added";
    EXPECT_EQ(plot.points[2].y(), 92);
    EXPECT_EQ(dateOf(plot.points[3]), QDate(2026, 3, 5));
    EXPECT_LT(plot.from.date(), QDate(2025, 11, 20));
    EXPECT_GT(plot.to.date(), QDate(2026, 3, 5));
}

struct Span {
    int days;
    const char* format;
};

class DateLabels : public ::testing::TestWithParam<Span> {};

// From a single day to decades, the labels are readable: at most 7, none repeated, in a unit
// that suits the span.
TEST_P(DateLabels, SuitTheSpanAndNeverRepeat) {
    const QDate first(2024, 12, 30);
    const QDate last = first.addDays(GetParam().days);
    const HistoryPlot plot = plotHistory({entry(qPrintable(first.toString(Qt::ISODate)), "97 %"),
                                          entry(qPrintable(last.toString(Qt::ISODate)), "81 %")},
                                         last);
    EXPECT_EQ(plot.dateFormat, QString::fromLatin1(GetParam().format));
    EXPECT_GE(plot.tickCount, 2);
    EXPECT_LE(plot.tickCount, plot.dateFormat == QStringLiteral("MMM yyyy") ? 5 : 7);
    const QStringList labels = tickLabels(plot);
    EXPECT_EQ(std::set<QString>(labels.begin(), labels.end()).size(), std::size_t(labels.size()))
        << qPrintable(labels.join(QStringLiteral(", ")));
}

INSTANTIATE_TEST_SUITE_P(Spans, DateLabels,
                         ::testing::Values(Span{0, "d MMM"}, Span{1, "d MMM"}, Span{4, "d MMM"},
                                           Span{13, "d MMM"}, Span{90, "d MMM"},
                                           Span{120, "MMM yyyy"}, Span{400, "MMM yyyy"},
                                           Span{1000, "MMM yyyy"}, Span{1200, "yyyy"},
                                           Span{9000, "yyyy"}));

TEST(HistoryPlot, DayTicksFallOnTheDaysOfThePoints) {
    const HistoryPlot plot = plotHistory(
        {entry("2026-12-03", "97 %"), entry("2026-12-05", "93 %"), entry("2026-12-08", "89 %")},
        QDate(2026, 12, 8));
    const qint64 step =
        (plot.to.toMSecsSinceEpoch() - plot.from.toMSecsSinceEpoch()) / (plot.tickCount - 1);
    EXPECT_EQ(step % (24 * 3600 * 1000), 0) << "whole days apart";
    EXPECT_EQ(plot.from.time(), QTime(12, 0)) << "at noon, as the points are";
    EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(qint64(plot.points[0].x())).time(), QTime(12, 0));
}

TEST(HistoryPlot, DayLabelsTellTheYearInTheTitle) {
    EXPECT_EQ(plotHistory({entry("2026-03-05", "90 %")}, QDate(2026, 3, 6)).dateTitle,
              QStringLiteral("Date (2026)"));
    EXPECT_EQ(
        plotHistory({entry("2025-12-30", "90 %"), entry("2026-01-03", "89 %")}, QDate(2026, 3, 6))
            .dateTitle,
        QStringLiteral("Date (2025–2026)"));
}

TEST(HistoryPlot, AnEmptyHistoryShowsTheLastWeek) {
    const HistoryPlot plot = plotHistory({}, QDate(2026, 3, 6));
    EXPECT_TRUE(plot.points.isEmpty());
    EXPECT_EQ(plot.to.date(), QDate(2026, 3, 6));
    EXPECT_EQ(plot.from.date(), QDate(2026, 3, 1));
    EXPECT_EQ(plot.dateFormat, QStringLiteral("d MMM"));
}

} // namespace
