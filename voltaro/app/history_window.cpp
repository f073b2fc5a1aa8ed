#include "voltaro/app/history_window.h"

#include "voltaro/core/history_plot.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace voltaro {

namespace {

/// Deleting one record, undoably.
class DeleteRecord final : public QUndoCommand {
public:
    DeleteRecord(HistoryContext& context, std::size_t row)
        : m_context(context), m_row(row), m_record(context.records().at(row)) {
        setText(QStringLiteral("Delete Entry"));
    }
    void redo() override { m_context.removeAt(m_row); }
    void undo() override { m_context.insertAt(m_row, m_record); }

private:
    HistoryContext& m_context;
    std::size_t m_row;
    SavedData m_record;
};

/// A record that was added at `row`; the first redo finds it there already.
class AddedRecord final : public QUndoCommand {
public:
    AddedRecord(HistoryContext& context, std::size_t row)
        : m_context(context), m_row(row), m_record(context.records().at(row)) {
        setText(QStringLiteral("Add Entry"));
    }
    void redo() override {
        if (m_done)
            m_context.insertAt(m_row, m_record);
        m_done = true;
    }
    void undo() override { m_context.removeAt(m_row); }

private:
    HistoryContext& m_context;
    std::size_t m_row;
    SavedData m_record;
    bool m_done = false;
};

} // namespace

void pushAddedRecord(QUndoStack& undoStack, HistoryContext& context) {
    if (!context.records().empty())
        undoStack.push(new AddedRecord(context, context.records().size() - 1));
}

HistoryTableModel::HistoryTableModel(HistoryContext& context, QObject* parent)
    : QAbstractTableModel(parent), m_context(context) {}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_context.records().size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() ||
        std::size_t(index.row()) >= m_context.records().size())
        return {};
    const SavedData& record = m_context.records()[std::size_t(index.row())];
    return index.column() == 0 ? record.date : record.capacity;
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return section == 0 ? tr("Date") : tr("Capacity");
}

void HistoryTableModel::reload() {
    beginResetModel();
    endResetModel();
}

namespace {

// The chart takes the series and the axes; the chart view that is handed the chart at
// construction takes the chart. (A view made without one makes a default chart of its own and
// only lets go of it when another is set, so it is given its chart at once.)
QChart* makeChart(QLineSeries* series, QDateTimeAxis* dates) {
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setTitle(QObject::tr("Capacity over time"));
    chart->addSeries(series);
    auto* percent = new QValueAxis;
    percent->setRange(HistoryPlot::kPercentMinimum, HistoryPlot::kPercentMaximum);
    percent->setTickCount(6);
    percent->setLabelFormat(QStringLiteral("%d %%"));
    percent->setTitleText(QObject::tr("Capacity"));
    chart->addAxis(dates, Qt::AlignBottom);
    chart->addAxis(percent, Qt::AlignLeft);
    series->attachAxis(dates);
    series->attachAxis(percent);
    series->setPointsVisible(true);
    return chart;
}

} // namespace

HistoryWindow::HistoryWindow(HistoryContext& context, QUndoStack& undoStack, QWidget* parent)
    : QWidget(parent, Qt::Window), m_context(context), m_undoStack(undoStack),
      m_model(new HistoryTableModel(context, this)), m_series(new QLineSeries),
      m_dateAxis(new QDateTimeAxis), m_table(new QTableView(this)),
      m_chartView(new QChartView(makeChart(m_series, m_dateAxis), this)),
      m_delete(new QPushButton(tr("Delete"), this)) {
    setWindowTitle(tr("Voltaro History"));
    setObjectName(QStringLiteral("historyWindow"));
    setAccessibleName(tr("Voltaro History"));

    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setAccessibleName(tr("History entries"));
    m_delete->setAccessibleName(tr("Delete"));

    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumSize(420, 280);
    m_chartView->setAccessibleName(tr("Capacity over time"));

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(m_table);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_delete);
    buttons->addStretch();
    leftLayout->addLayout(buttons);

    auto* splitter = new QSplitter;
    splitter->addWidget(left);
    splitter->addWidget(m_chartView);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    resize(820, 360);

    auto* deleteAction = new QAction(this);
    deleteAction->setShortcuts({QKeySequence::Delete, QKeySequence(Qt::Key_Backspace)});
    addAction(deleteAction);
    connect(deleteAction, &QAction::triggered, this, &HistoryWindow::deleteSelected);
    connect(m_delete, &QPushButton::clicked, this, &HistoryWindow::deleteSelected);
    QAction* undo = undoStack.createUndoAction(this);
    undo->setShortcut(QKeySequence::Undo);
    addAction(undo);
    QAction* redo = undoStack.createRedoAction(this);
    redo->setShortcut(QKeySequence::Redo);
    addAction(redo);

    m_context.onChange = [this] {
        reload();
    };
    reload();
}

HistoryWindow::~HistoryWindow() {
    m_context.onChange = nullptr;
}

void HistoryWindow::deleteSelected() {
    QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() > b.row(); });
    m_undoStack.beginMacro(tr("Delete Entries"));
    for (const QModelIndex& row : rows)
        m_undoStack.push(new DeleteRecord(m_context, std::size_t(row.row())));
    m_undoStack.endMacro();
}

void HistoryWindow::reload() {
    m_model->reload();
    const HistoryPlot plot = plotHistory(m_context.records(), QDate::currentDate());
    m_series->replace(plot.points);
    m_dateAxis->setRange(plot.from, plot.to);
    m_dateAxis->setFormat(plot.dateFormat);
    m_dateAxis->setTickCount(plot.tickCount);
    m_dateAxis->setTitleText(plot.dateTitle);
}

} // namespace voltaro
