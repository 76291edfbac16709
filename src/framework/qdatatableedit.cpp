// Changing rows in memory: storing values, row states, new, deleted and
// killed rows, resets, and edits made in a bound view.

#include "qdatatable.h"
#include "qdatatable_p.h"

#include "datatableitem.h"

#include <QScopedValueRollback>
#include <QStandardItemModel>

void QDataTable::storeCell(DataTableRowItem *head, DataTableItem *item, int column, const QVariant &value,
                           bool original, QSqlRecord *record, int state)
{
    const QVariant oldValue = item->value();
    const QString oldDisplay = item->displayText();
    item->storeValue(value);
    if (original)
        item->acceptValue();
    decorate(item, column, record, state, false);
    fileCell(head, column, oldValue, item->value(), oldDisplay, item->displayText(), false);
    item->announce();
}

bool QDataTable::setRow(int row, const QSqlRecord &record, bool original)
{
    DataTableRowItem *head = rowItem(row);
    if (!head)
        return false;
    QScopedValueRollback<bool> storing(d->storing, true);
    refreshDefaultCell();
    QSqlRecord shown = record;
    const int state = head->state();
    for (int c = 0; c < d->columns.size(); ++c) {
        const int field = record.indexOf(d->columns.at(c).fieldName);
        if (field < 0)
            continue;
        DataTableItem *item = cellItem(row, c);
        if (!item) {
            item = c == 0 ? head : new DataTableItem;
            d->model->setItem(row, c, item);
        }
        storeCell(head, item, c, record.value(field), original, &shown, state);
    }
    if (original)
        head->setLock(0);
    if (state != rsNew && state != rsDeleted)
        setRowState(row, original ? rsUnchanged : rsChanged);
    d->modified = true;
    return true;
}

bool QDataTable::rebaseRow(int row, const QSqlRecord &stored)
{
    const DataTableRowItem *head = rowItem(row);
    if (!head || head->state() == rsNew || stored.isEmpty())
        return false;
    const QSqlRecord mine = recordOf(row);
    const QSqlRecord original = getOriginalRecord(row);
    setRow(row, conformRecord(stored), true);
    QSqlRecord edited = recordOf(row);
    bool changed = false;
    for (int c = 0; c < d->columns.size(); ++c) {
        if (mine.value(c) == original.value(c))
            continue;
        edited.setValue(c, mine.value(c));
        changed = true;
    }
    if (changed)
        setRow(row, edited, false);
    return true;
}

bool QDataTable::setRowState(int row, rowState state)
{
    DataTableRowItem *head = rowItem(row);
    if (!head)
        return false;
    head->setState(state);
    const qint64 id = identityOf(head);
    switch (state) {
    case rsUnchanged:
        d->newRows.remove(id);
        d->changedRows.remove(id);
        d->deletedRows.remove(id);
        break;
    case rsNew:
        d->newRows.append(id);
        d->changedRows.remove(id);
        d->deletedRows.remove(id);
        break;
    case rsChanged:
        d->changedRows.append(id);
        d->newRows.remove(id);
        d->deletedRows.remove(id);
        break;
    case rsDeleted:
        d->deletedRows.append(id);
        // Stored again so that display callbacks draw the row as deleted.
        setRow(row, recordOf(row), false);
        break;
    }
    return true;
}

void QDataTable::forceInsert(int row)
{
    if (row >= 0) {
        setRowState(row, rsNew);
        return;
    }
    for (int r = 0; r < rowCount(); ++r)
        setRowState(r, rsNew);
}

void QDataTable::forceUpdate(int row)
{
    if (row >= 0) {
        setRowState(row, rsChanged);
        return;
    }
    for (int r = 0; r < rowCount(); ++r)
        setRowState(r, rsChanged);
}

bool QDataTable::setLock(int row, lockState lock)
{
    DataTableRowItem *head = rowItem(row);
    if (!head)
        return false;
    head->setLock(lock);
    return true;
}

QSqlRecord QDataTable::insertRow(int position, bool setNow)
{
    if (d->state == tsClosed || d->columns.isEmpty())
        return QSqlRecord();

    QSqlRecord record = recordShape();
    for (int c = 0; c < d->columns.size(); ++c) {
        const colInfo &column = d->columns.at(c);
        if (column.autoInc != 0) {
            int &counter = d->autoIncrements[column.fieldName];
            counter += column.autoInc;
            record.setValue(c, counter);
        } else if (!column.defValue.toString().isEmpty()) {
            record.setValue(c, column.defValue);
        }
    }

    const QList<QStandardItem *> items = makeRowItems(nullptr, 0);
    auto *head = static_cast<DataTableRowItem *>(items.first());
    head->setState(rsNew);
    {
        QScopedValueRollback<bool> storing(d->storing, true);
        d->model->insertRow(position, items);
    }
    const int row = head->row();
    d->newRows.append(identityOf(head));
    // Fresh cells are filed in the indexes under their empty value; storing replaces that.
    for (int c = 0; c < d->columns.size(); ++c)
        fileCell(head, c, QVariant(), QVariant(), QString(), QString(), true);
    if (setNow)
        setRow(row, record, false);
    d->state = tsOpen;
    d->currentRow = row;
    d->modified = true;
    return record;
}

QSqlRecord QDataTable::newRow(bool setNow)
{
    return insertRow(d->model->rowCount(), setNow);
}

QSqlRecord QDataTable::newFirstRow(bool setNow)
{
    return insertRow(0, setNow);
}

bool QDataTable::addRow()
{
    return !newRow(true).isEmpty();
}

bool QDataTable::addFirstRow()
{
    return !newFirstRow(true).isEmpty();
}

bool QDataTable::setField(const QString &fldName, const QVariant &fldData)
{
    if (d->state == tsClosed || columnIndex(fldName) < 0)
        return false;
    QSqlRecord record = getRecord(d->currentRow, true);
    if (record.isEmpty())
        return false;
    record.setValue(fldName, fldData);
    return setRow(d->currentRow, record, false);
}

bool QDataTable::setNull(const QString &fldName)
{
    if (d->state == tsClosed || columnIndex(fldName) < 0)
        return false;
    QSqlRecord record = getRecord(d->currentRow, true);
    if (record.isEmpty())
        return false;
    record.setNull(fldName);
    return setRow(d->currentRow, record, false);
}

bool QDataTable::deleteRow(int row)
{
    if (d->state != tsOpen || !rowItem(row))
        return false;
    return setRowState(row, rsDeleted);
}

bool QDataTable::killRow(int row)
{
    if (d->state != tsOpen || row < 0)
        return false;
    if (row >= rowCount())
        return true;
    // Removing the row drops it from the queues and indexes (forgetRows).
    d->model->removeRow(row);
    d->modified = true;
    return true;
}

bool QDataTable::resetOriginalData(int row, bool keepValues)
{
    return resetRow(row, keepValues, nullptr);
}

bool QDataTable::resetRow(int row, bool keepValues, const QSqlRecord *storedNext)
{
    DataTableRowItem *head = rowItem(row);
    if (!head)
        return false;
    QScopedValueRollback<bool> storing(d->storing, true);
    refreshDefaultCell();
    QVector<QVariant> oldValues(d->columns.size());
    for (int c = 0; c < d->columns.size(); ++c) {
        DataTableItem *item = cellItem(row, c);
        if (!item)
            continue;
        oldValues[c] = item->value();
        if (keepValues)
            item->acceptValue();
        else
            item->restoreOriginal();
    }
    setRowState(row, rsUnchanged);
    QSqlRecord record = recordOf(row);
    for (int c = 0; c < d->columns.size(); ++c) {
        DataTableItem *item = cellItem(row, c);
        if (!item || (storedNext && storedNext->contains(d->columns.at(c).fieldName)))
            continue;
        const QString oldDisplay = item->displayText();
        item->clearDecoration();
        decorate(item, c, &record, rsUnchanged, true, true);
        fileCell(head, c, oldValues.at(c), item->value(), oldDisplay, item->displayText(), false);
        item->announce();
    }
    return true;
}

void QDataTable::onItemChanged(QStandardItem *item)
{
    if (d->storing || !item || item->model() != d->model || item->parent())
        return;
    auto *cell = dynamic_cast<DataTableItem *>(item);
    const int row = item->row();
    const int column = item->column();
    if (!cell || column < 0 || column >= d->columns.size())
        return;
    const QVariant edited = item->data(Qt::EditRole);
    const QVariant value = cell->value();
    // Listeners hear of a different value only; the row counts as changed
    // whatever was written to it.
    if (edited.toString() != DataTableItem::textOf(value))
        emit dataChanged(d->columns.at(column).fieldName, value, edited, objectName());
    // A handler may have removed the row; look it up again.
    DataTableRowItem *head = rowItem(row);
    if (!head || cellItem(row, column) != cell)
        return;
    // The view has changed what the cell shows: filters and value lists go by that.
    if ((d->columns.at(column).flags & colDisplayLookup) && d->displayLookupsMade) {
        unfileDisplay(head, column, QString());
        d->displayLookups[column][cell->displayText()].insert(head);
    }
    const int state = head->state();
    if (state != rsNew && state != rsDeleted)
        setRowState(row, rsChanged);
    if (!d->directEdit || state == rsDeleted)
        return;
    const colInfo &info = d->columns.at(column);
    const QString typed = edited.toString();
    // The typed text becomes a value of the column's type where it reads as one.
    const QVariant typedValue = typed.isEmpty() ? QDataTablePrivate::typedNull(info.dataType) : conform(typed, info.dataType);
    // Stored through setRow, which sees the old value and so moves the index entries.
    QSqlRecord record = recordOf(row);
    record.setValue(column, typedValue);
    setRow(row, record, false);
}
