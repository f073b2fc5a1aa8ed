#include "voltaro/core/history_plot.h"

#include <QTime>

#include <algorithm>

namespace voltaro {

namespace {

constexpr qint64 kDaysPerQuarter = 92;
constexpr qint64 kDaysPerThreeYears = 3 * 366;
constexpr int kMostTicks = 7;

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
    const QDate last = entries.empty() ? today : entries.back().date.addDays(1);
    plot.from = noonOf(first);
    plot.to = noonOf(last);

    const qint64 days = first.daysTo(last);
    qint64 unitDays = 1;
    if (days <= kDaysPerQuarter) {
        plot.dateFormat = QStringLiteral("d MMM");
        plot.dateTitle = first.year() == last.year()
                             ? QStringLiteral("Date (%1)").arg(first.year())
                             : QStringLiteral("Date (%1–%2)").arg(first.year()).arg(last.year());
    } else if (days <= kDaysPerThreeYears) {
        plot.dateFormat = QStringLiteral("MMM yyyy");
        plot.dateTitle = QStringLiteral("Date");
        unitDays = 31;
    } else {
        plot.dateFormat = QStringLiteral("yyyy");
        plot.dateTitle = QStringLiteral("Date");
        unitDays = 366;
    }
    plot.tickCount = int(std::clamp<qint64>(days / unitDays + 1, 2, kMostTicks));
    return plot;
}

} // namespace voltaro
