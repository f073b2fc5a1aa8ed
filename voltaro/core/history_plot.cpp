#include "voltaro/core/history_plot.h"

#include <QTime>

#include <algorithm>

namespace voltaro {

namespace {

constexpr qint64 kDaysPerQuarter = 92;
constexpr qint64 kDaysPerThreeYears = 3 * 366;
constexpr int kMostTicks = 7;
constexpr int kMostMonthTicks = 5;

QDateTime noonOf(const QDate& date) {
    return QDateTime(date, QTime(12, 0));
}

} // namespace

HistoryPlot plotHistory(const std::vector<SavedData>& records, const QDate& today) {
    struct Entry {
        QDate date;
        int percent;
    };
    std::vector<Entry> entries;
    for (const SavedData& record : records) {
        const QDate date = QDate::fromString(record.date, QStringLiteral("yyyy-MM-dd"));
        const auto percent = capacityPercentOf(record.capacity);
        if (date.isValid() && percent && *percent >= HistoryPlot::kPercentMinimum &&
            *percent <= HistoryPlot::kPercentMaximum)
            entries.push_back({date, *percent});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.date < b.date; });

    HistoryPlot plot;
    for (const Entry& entry : entries)
        plot.points.append(
            QPointF(double(noonOf(entry.date).toMSecsSinceEpoch()), double(entry.percent)));

    // A day on either side, so that the first and last points do not sit on the frame.
    const QDate first = entries.empty() ? today.addDays(-5) : entries.front().date.addDays(-1);
    QDate last = entries.empty() ? today : entries.back().date.addDays(1);
    const qint64 days = first.daysTo(last);
    if (days <= kDaysPerQuarter) {
        // Ticks a whole number of days apart, at noon like the points, so that every label
        // sits under its day's points; the range grows by the few days that takes.
        const qint64 step = std::max<qint64>(1, (days + kMostTicks - 2) / (kMostTicks - 1));
        const qint64 steps = (days + step - 1) / step;
        last = first.addDays(steps * step);
        plot.dateFormat = QStringLiteral("d MMM");
        plot.tickCount = int(steps + 1);
        plot.dateTitle = first.year() == last.year()
                             ? QStringLiteral("Date (%1)").arg(first.year())
                             : QStringLiteral("Date (%1–%2)").arg(first.year()).arg(last.year());
    } else if (days <= kDaysPerThreeYears) {
        // Month labels are wide: five fit the plot without being cut short.
        plot.dateFormat = QStringLiteral("MMM yyyy");
        plot.tickCount = int(std::clamp<qint64>(days / 31 + 1, 2, kMostMonthTicks));
        plot.dateTitle = QStringLiteral("Date");
    } else {
        plot.dateFormat = QStringLiteral("yyyy");
        plot.tickCount = int(std::clamp<qint64>(days / 366 + 1, 2, kMostTicks));
        plot.dateTitle = QStringLiteral("Date");
    }
    plot.from = noonOf(first);
    plot.to = noonOf(last);
    return plot;
}

} // namespace voltaro
