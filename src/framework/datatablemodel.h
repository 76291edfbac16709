#ifndef DATATABLEMODEL_H
#define DATATABLEMODEL_H

#include <QStandardItemModel>

class DataTableItem;
class DataTableRowItem;

// The item model of a data table. A loaded cell whose value is all it has
// stays an empty slot, its value packed in the row's first item; the model
// answers for it as its item would, and makes the item once somebody writes
// to the cell, asks for the item or sorts by its column.
class DataTableModel : public QStandardItemModel
{
    Q_OBJECT

public:
    explicit DataTableModel(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QMap<int, QVariant> itemData(const QModelIndex &index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The row's head when the cell's value is packed in it; null otherwise.
    DataTableRowItem *packedHead(int row, int column) const;
    // The cell's item, made from its packed value when it has none yet.
    DataTableItem *cellItem(int row, int column);
};

#endif // DATATABLEMODEL_H
