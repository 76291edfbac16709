#include "datatablemodel.h"

#include "celldata.h"
#include "datatableitem.h"
#include "datatabletypes.h"

DataTableModel::DataTableModel(QObject *parent)
    : QStandardItemModel(parent)
{
    setItemPrototype(DataTableItem::makePrototype());
}

DataTableRowItem *DataTableModel::packedHead(int row, int column) const
{
    if (column <= 0 || row < 0 || row >= rowCount() || item(row, column))
        return nullptr;
    QStandardItem *first = item(row, 0);
    if (!first || first->type() != QStandardItem::UserType + 2)
        return nullptr;
    auto *head = static_cast<DataTableRowItem *>(first);
    return head->hasPacked(column) ? head : nullptr;
}

DataTableItem *DataTableModel::cellItem(int row, int column)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    QStandardItem *cell = item(row, column);
    // itemFromIndex puts the prototype's copy in the slot without telling
    // views: nothing they show changes.
    if (!cell && packedHead(row, column))
        cell = itemFromIndex(index(row, column));
    if (!cell || (cell->type() != QStandardItem::UserType + 1 && cell->type() != QStandardItem::UserType + 2))
        return nullptr;
    auto *item = static_cast<DataTableItem *>(cell);
    item->adoptPackedValue();
    return item;
}

QVariant DataTableModel::data(const QModelIndex &index, int role) const
{
    if (index.isValid() && !index.parent().isValid()) {
        if (const DataTableRowItem *head = packedHead(index.row(), index.column())) {
            // What a cell that holds nothing but its value answers.
            const QVariant &value = head->packed(index.column());
            switch (role) {
            case Qt::DisplayRole:
                return DataTableItem::textOf(value);
            case Qt::EditRole:
            case OriginalValueRole:
            case ValueRole:
                return value;
            case Qt::ForegroundRole:
                return cellData::defaultForeground();
            default:
                return QVariant();
            }
        }
    }
    return QStandardItemModel::data(index, role);
}

bool DataTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (index.isValid() && !index.parent().isValid() && packedHead(index.row(), index.column()))
        cellItem(index.row(), index.column());
    return QStandardItemModel::setData(index, value, role);
}

QMap<int, QVariant> DataTableModel::itemData(const QModelIndex &index) const
{
    if (!index.isValid() || index.parent().isValid() || !packedHead(index.row(), index.column()))
        return QStandardItemModel::itemData(index);
    QMap<int, QVariant> roles;
    for (int role : {int(Qt::DisplayRole), int(Qt::EditRole), int(OriginalValueRole), int(ValueRole),
                     int(Qt::ForegroundRole)})
        roles.insert(role, data(index, role));
    return roles;
}

void DataTableModel::sort(int column, Qt::SortOrder order)
{
    // Rows whose cell in the sort column is an empty slot would go last.
    for (int row = 0; row < rowCount(); ++row) {
        if (packedHead(row, column))
            cellItem(row, column);
    }
    QStandardItemModel::sort(column, order);
}
