#pragma once

#include "voltaro/core/history.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>

#include <vector>

namespace voltaro {

/// What the history window draws: the capacity percentages over time, on a date axis whose
/// labels suit the span of the entries and a percentage axis from 0 to 100.
struct HistoryPlot {
    /// x: milliseconds since 1970 at noon (local time) of the entry's day, so that an axis
    /// tick anywhere on that day names it; y: the capacity percentage. Sorted by date, entries
    /// of one day in the order they were added. Entries without a readable date or with a
    /// percentage outside 0-100 are left out.
    QList<QPointF> points;
    QDateTime from; ///< the date axis' range
    QDateTime to;
    /// The labels' format: days ("d MMM") for spans up to about a quarter, months ("MMM yyyy")
    /// up to three years, years ("yyyy") beyond.
    QString dateFormat;
    /// At most 7 ticks (5 with month labels), never two closer than the labels' unit, so no
    /// label repeats; day labels fall on whole days.
    int tickCount = 0;
    /// "Date", with the year or years when the labels show only days.
    QString dateTitle;

    static constexpr double kPercentMinimum = 0;
    static constexpr double kPercentMaximum = 100;
};

/// The plot of `records`; with no plottable entry, the week up to `today`.
HistoryPlot plotHistory(const std::vector<SavedData>& records, const QDate& today);

} // namespace voltaro
