#pragma once

#include "vantir/core/record.h"

#include <QAbstractListModel>
#include <QMimeData>

#include <functional>

namespace vantir {

/// Drag types of the editor's lists.
inline const QString kGroupDataType = QStringLiteral("VNTGroupDataType");
inline const QString kLibraryDataType = QStringLiteral("VNTibraryDataType");
inline const QString kTriggerActionDataType = QStringLiteral("VNTTriggerActionDataType");
inline const QString kRowIndexesDataType = QStringLiteral("VNTRowIndexesDataType");

/// One list of the editor (applications, groups, actions, press or hold actions): the records
/// of a list of the archive, shown by name, dragged by their own type and by row.
class RecordListModel : public QAbstractListModel {
public:
    /// `source` answers the list to show (null: none); `dragType` names what a row carries.
    RecordListModel(std::function<ArrayRef()> source, QString dragType);

    /// What a drag of row `row` carries under `dragType`: an action's UUID, else the row.
    std::function<QByteArray(const VNTMutableDictionary& record, int row)> dragData;
    /// A drop of `data` before row `row` (-1: at the end) or onto row `onto`.
    std::function<bool(const QMimeData* data, int row, int onto)> dropped;
    /// Renaming a row.
    std::function<void(const VNTMutableDictionary& record, const QString& name)> renamed;
    QStringList acceptedTypes;

    /// Takes the source's current contents: a list of the same records only redraws, another
    /// one is shown afresh.
    void refresh();
    VNTMutableDictionary recordAt(int row) const;
    int rowOf(const VNTMutableDictionary& record) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;

private:
    std::function<ArrayRef()> m_source;
    QString m_dragType;
    Array m_items;
};

} // namespace vantir

namespace vantir {
/// The row of a row drag that came from `model`, or -1 for anything else.
int draggedRowFrom(const QMimeData* data, const RecordListModel* model);
} // namespace vantir
