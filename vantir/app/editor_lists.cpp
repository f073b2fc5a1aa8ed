#include "vantir/app/editor_lists.h"

#include <QMimeData>

namespace vantir {

RecordListModel::RecordListModel(std::function<ArrayRef()> source, QString dragType)
    : m_source(std::move(source)), m_dragType(std::move(dragType)) {}

namespace {

/// The one position at which `longer` has an element that `shorter` lacks, or -1 when the two
/// differ by more than that.
int singleDifference(const Array& longer, const Array& shorter) {
    if (longer.size() != shorter.size() + 1)
        return -1;
    std::size_t at = 0;
    while (at < shorter.size() && longer[at].isSameObject(shorter[at]))
        ++at;
    for (std::size_t rest = at; rest < shorter.size(); ++rest)
        if (!longer[rest + 1].isSameObject(shorter[rest]))
            return -1;
    return int(at);
}

} // namespace

void RecordListModel::refresh() {
    const ArrayRef list = m_source ? m_source() : ArrayRef();
    Array items = list ? *list : Array();
    const bool same = items.size() == m_items.size() &&
                      std::equal(items.begin(), items.end(), m_items.begin(),
                                 [](const Value& a, const Value& b) { return a.isSameObject(b); });
    if (same) {
        if (!m_items.empty())
            Q_EMIT dataChanged(index(0), index(int(m_items.size()) - 1));
        return;
    }
    // One row added or removed, the common edit, keeps the view's state.
    if (const int inserted = singleDifference(items, m_items); inserted >= 0) {
        beginInsertRows({}, inserted, inserted);
        m_items = std::move(items);
        endInsertRows();
        return;
    }
    if (const int removed = singleDifference(m_items, items); removed >= 0) {
        beginRemoveRows({}, removed, removed);
        m_items = std::move(items);
        endRemoveRows();
        return;
    }
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

VNTMutableDictionary RecordListModel::recordAt(int row) const {
    if (row < 0 || row >= int(m_items.size()))
        return {};
    return VNTMutableDictionary::of(m_items[std::size_t(row)]);
}

int RecordListModel::rowOf(const VNTMutableDictionary& record) const {
    for (std::size_t row = 0; row < m_items.size(); ++row)
        if (!record.isNull() && m_items[row].isSameObject(record.value()))
            return int(row);
    return -1;
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    const VNTMutableDictionary record = recordAt(index.row());
    if (record.isNull())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
        return record.objectForKey(QStringLiteral("name")).toString();
    return {};
}

bool RecordListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const VNTMutableDictionary record = recordAt(index.row());
    if (role != Qt::EditRole || record.isNull() || !renamed)
        return false;
    renamed(record, value.toString());
    return true;
}

Qt::ItemFlags RecordListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsDropEnabled;
    if (!index.isValid())
        return flags;
    flags |= Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
    if (renamed)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QStringList RecordListModel::mimeTypes() const {
    return QStringList{m_dragType, kRowIndexesDataType} + acceptedTypes;
}

QMimeData* RecordListModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty())
        return nullptr;
    const int row = indexes.first().row();
    auto* data = new QMimeData;
    if (dragData)
        data->setData(m_dragType, dragData(recordAt(row), row));
    // The row only means something to this list: it names the list it came from.
    data->setData(kRowIndexesDataType,
                  QByteArray::number(quintptr(this)) + ':' + QByteArray::number(row));
    return data;
}

bool RecordListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                      const QModelIndex&) const {
    if (!data || !dropped)
        return false;
    for (const QString& type : mimeTypes())
        if (data->hasFormat(type))
            return true;
    return false;
}

bool RecordListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                   int column, const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    // Handled by the editor, which then refreshes the lists; Qt must not remove the source row.
    dropped(data, row, parent.isValid() ? parent.row() : -1);
    return false;
}

Qt::DropActions RecordListModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::LinkAction | Qt::CopyAction;
}

Qt::DropActions RecordListModel::supportedDragActions() const {
    return Qt::MoveAction | Qt::LinkAction | Qt::CopyAction;
}

/// The row of a row drag that came from `model`, or -1.
int draggedRowFrom(const QMimeData* data, const RecordListModel* model) {
    const QList<QByteArray> parts = data->data(kRowIndexesDataType).split(':');
    if (parts.size() != 2 || parts[0] != QByteArray::number(quintptr(model)))
        return -1;
    bool ok = false;
    const int row = parts[1].toInt(&ok);
    return ok ? row : -1;
}

} // namespace vantir
