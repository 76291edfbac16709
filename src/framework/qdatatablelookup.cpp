// Finding rows: locate, match, copying matches and loading more rows by key.

#include "qdatatable.h"
#include "qdatatable_p.h"

#include "datatableitem.h"
#include "qsqlconnection.h"

#include <QScopedValueRollback>
#include <QSqlQuery>
#include <QStandardItemModel>

#include <algorithm>

bool QDataTable::resolveColumns(const QStringList &fldNames, QVector<int> *columns) const
{
    columns->clear();
    for (const QString &name : fldNames) {
        const int c = columnIndex(name);
        if (c < 0)
            return false;
        columns->append(c);
    }
    return true;
}

QSet<DataTableRowItem *> QDataTable::candidatesFromIndex(const QVector<int> &columns, const QList<QVariant> &values)
{
    QSet<DataTableRowItem *> candidates;
    for (int i = 0; i < columns.size(); ++i) {
        QSet<DataTableRowItem *> rows;
        indexOfColumn(columns.at(i))->forEachRow(values.at(i), [&rows](DataTableRowItem *head) { rows.insert(head); });
        if (i == 0)
            candidates = rows;
        else
            candidates.intersect(rows);
        if (candidates.isEmpty())
            break;
    }
    return candidates;
}

bool QDataTable::matchRow(int row, const QVector<int> &columns, const QList<QVariant> &values) const
{
    for (int i = 0; i < columns.size(); ++i) {
        const QVariant &current = cellValue(row, columns.at(i));
        if (values.at(i).isNull())
            return current.isNull();
        if (current != values.at(i))
            return false;
    }
    return true;
}

bool QDataTable::match(const QSqlRecord &record, const QStringList &fldNames, const QList<QVariant> &values) const
{
    if (fldNames.size() != values.size())
        return false;
    for (int i = 0; i < fldNames.size(); ++i) {
        // A null value settles the answer on its own field.
        if (values.at(i).isNull())
            return record.isNull(fldNames.at(i));
        if (record.value(fldNames.at(i)) != values.at(i))
            return false;
    }
    return true;
}

int QDataTable::locate(const QStringList &fldNames, const QList<QVariant> &values)
{
    if (fldNames.size() != values.size() || d->state == tsClosed)
        return -1;
    QVector<int> columns;
    if (!resolveColumns(fldNames, &columns))
        return -1;

    const bool indexed = !columns.isEmpty()
            && std::all_of(columns.cbegin(), columns.cend(), [this](int c) { return indexOfColumn(c) != nullptr; });
    if (indexed) {
        const QSet<DataTableRowItem *> candidates = candidatesFromIndex(columns, values);
        // The set's first member is its lowest row, whatever order the hash keeps.
        int first = -1;
        for (DataTableRowItem *head : candidates) {
            const int row = rowOfHead(head);
            if (first < 0 || row < first)
                first = row;
        }
        d->currentRow = first;
        if (first >= 0 && getRowState(first) != rsDeleted && matchRow(first, columns, values))
            return first;
    }
    return scanFor(columns, values);
}

int QDataTable::locate(const QString &fldName, const QVariant &value)
{
    // The common case, one field, without building lists of names and values.
    if (d->state == tsClosed)
        return -1;
    const int column = columnIndex(fldName);
    if (column < 0)
        return -1;
    const int found = locateByIndex(column, value);
    return found >= 0 ? found : scanFor(QVector<int>{column}, QList<QVariant>{value});
}

int QDataTable::locateByIndex(int column, const QVariant &value)
{
    const SearchIndex *index = indexOfColumn(column);
    if (!index)
        return -1;
    DataTableRowItem *firstHead = nullptr;
    int first = -1;
    index->forEachRow(value, [this, &first, &firstHead](DataTableRowItem *head) {
        const int row = rowOfHead(head);
        if (first < 0 || row < first) {
            first = row;
            firstHead = head;
        }
    });
    d->currentRow = first;
    if (!firstHead || firstHead->state() == rsDeleted)
        return -1;
    // The first column's cell is the row's head itself: no model look-up for
    // the usual key. Index entries leave with their rows, so the head is live.
    if (column == 0) {
        const QVariant &current = firstHead->value();
        if (!value.isNull() && current.userType() == QMetaType::LongLong && value.userType() == QMetaType::LongLong
            && !current.isNull())
            return *static_cast<const qlonglong *>(current.constData())
                    == *static_cast<const qlonglong *>(value.constData()) ? first : -1;
    }
    return cellMatches(first, column, value) ? first : -1;
}

bool QDataTable::cellMatches(int row, int column, const QVariant &value) const
{
    const QVariant &current = cellValue(row, column);
    if (!current.isValid())
        return !value.isValid() || value.isNull();
    if (value.isNull())
        return current.isNull();
    // The usual key, compared without the variant's general comparison.
    if (current.userType() == QMetaType::LongLong && value.userType() == QMetaType::LongLong && !current.isNull())
        return *static_cast<const qlonglong *>(current.constData()) == *static_cast<const qlonglong *>(value.constData());
    return current == value;
}

int QDataTable::scanFor(const QVector<int> &columns, const QList<QVariant> &values)
{
    const int rows = d->model->rowCount();
    if (columns.size() == 1 && !values.first().isNull() && values.first().userType() == QMetaType::QString) {
        // A text searched in a column: compared as text straight from the
        // stored values, the cost of the plainest possible scan.
        const int column = columns.first();
        const QString text = values.first().toString();
        for (int row = 0; row < rows; ++row) {
            const QVariant &current = cellValue(row, column);
            const bool same = current.userType() == QMetaType::QString
                    ? *static_cast<const QString *>(current.constData()) == text
                    : current == values.first();
            if (!same || getRowState(row) == rsDeleted)
                continue;
            d->currentRow = row;
            return row;
        }
        return -1;
    }
    for (int row = 0; row < rows; ++row) {
        if (!matchRow(row, columns, values) || getRowState(row) == rsDeleted)
            continue;
        d->currentRow = row;
        return row;
    }
    return -1;
}

void QDataTable::getRows(QDataTable *dest, const QStringList &fldNames, const QList<QVariant> &values)
{
    if (!dest || dest == this)
        return;
    dest->close();
    dest->d->columns = d->columns;
    dest->d->recordShapeValid = false;
    dest->d->columnIndexesValid = false;
    dest->open(false, false);
    if (fldNames.isEmpty() || fldNames.size() != values.size())
        return;
    QVector<int> columns;
    if (!resolveColumns(fldNames, &columns))
        return;

    QVector<int> rows;
    const bool indexed = std::all_of(columns.cbegin(), columns.cend(),
                                     [this](int c) { return indexOfColumn(c) != nullptr; });
    if (indexed) {
        const QSet<DataTableRowItem *> candidates = candidatesFromIndex(columns, values);
        for (DataTableRowItem *head : candidates)
            rows.append(rowOfHead(head));
        std::sort(rows.begin(), rows.end());
    } else {
        for (int row = 0; row < rowCount(); ++row) {
            if (matchRow(row, columns, values))
                rows.append(row);
        }
    }
    for (int row : qAsConst(rows)) {
        if (getRowState(row) == rsDeleted)
            continue;
        dest->newRow(false);
        dest->setRow(dest->lastRow(), recordOf(row), true);
    }
}

void QDataTable::getRows(QDataTable *dest, const QString &fldName, const QVariant &value)
{
    getRows(dest, QStringList{fldName}, QList<QVariant>{value});
}

bool QDataTable::append(const QString &fldName, const QVariant &fldValue, bool overwrite)
{
    return append(QStringList{fldName}, QList<QVariant>{fldValue}, overwrite);
}

bool QDataTable::append(const QStringList &fldNames, const QList<QVariant> &fldValues, bool overwrite)
{
    if (d->keyField.isEmpty() || fldNames.size() != fldValues.size())
        return false;
    if (!overwrite) {
        for (int i = 0; i < fldNames.size(); ++i) {
            if (d->appendedValues.contains(fldNames.at(i), fldValues.at(i)))
                return true;
        }
    }
    for (int i = 0; i < fldNames.size(); ++i) {
        setSelectParam(fldNames.at(i), fldValues.at(i));
        if (!d->appendedValues.contains(fldNames.at(i), fldValues.at(i)))
            d->appendedValues.insert(fldNames.at(i), fldValues.at(i));
    }
    if (d->state == tsClosed)
        return open(false, false);

    refetchScripts();
    if (d->selectText.isEmpty() || !d->connection)
        return true;
    QSqlQuery query(d->connection->database());
    query.setForwardOnly(true);
    d->connection->execScript(d->selectText, &query, d->selectParams, false);
    if (!query.isSelect())
        return true;

    const int keyColumn = columnIndex(d->keyField);
    while (query.isValid()) {
        const QSqlRecord record = d->connection->convert(query.record(), d->columns);
        query.next();
        if (record.isEmpty())
            continue;
        // The key index alone: a miss is a new row, and a scan of the whole
        // table per new row would make a long append quadratic.
        int row = keyColumn >= 0 ? locateByIndex(keyColumn, record.value(d->keyField)) : -1;
        if (row < 0) {
            const QList<QStandardItem *> items = makeRowItems(nullptr, 0);
            {
                QScopedValueRollback<bool> storing(d->storing, true);
                d->model->appendRow(items);
            }
            auto *head = static_cast<DataTableRowItem *>(items.first());
            for (int c = 0; c < d->columns.size(); ++c)
                fileCell(head, c, QVariant(), QVariant(), QString(), QString(), true);
            row = head->row();
        }
        setRow(row, record, true);
    }
    query.finish();
    // Rows now came from the database, even when the first select had failed.
    if (d->state == tsNoData && rowCount() > 0)
        d->state = tsOpen;
    return true;
}
