#pragma once

#include "voltaro/core/history.h"

#include <QAbstractTableModel>
#include <QWidget>

class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QPushButton;
class QTableView;
class QUndoStack;

namespace voltaro {

/// The history's records as a table: date and capacity, in the order they were added.
class HistoryTableModel final : public QAbstractTableModel {
public:
    explicit HistoryTableModel(HistoryContext& context, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    /// Follows a change of the records.
    void reload();

private:
    HistoryContext& m_context;
};

/// Makes the record just added at the end of `context` undoable.
void pushAddedRecord(QUndoStack& undoStack, HistoryContext& context);

/// The history window: the records in a table beside a plot of the capacity percentage over
/// time (see `plotHistory`). Selected records can be deleted; deletions and additions can be
/// undone. Every widget is a child of the window and goes with it.
class HistoryWindow final : public QWidget {
public:
    HistoryWindow(HistoryContext& context, QUndoStack& undoStack, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    QTableView* table() const { return m_table; }
    QLineSeries* series() const { return m_series; }
    QDateTimeAxis* dateAxis() const { return m_dateAxis; }

    /// Deletes the selected records.
    void deleteSelected();

private:
    void reload();

    HistoryContext& m_context;
    QUndoStack& m_undoStack;
    HistoryTableModel* m_model;
    QLineSeries* m_series;
    QDateTimeAxis* m_dateAxis;
    QTableView* m_table;
    QChartView* m_chartView;
    QPushButton* m_delete;
};

} // namespace voltaro
