// Loading rows from the select script and storing them in the model, and the
// indexes and shown-text lookups that follow every stored cell.

#include "qdatatable.h"
#include "qdatatable_p.h"

#include "datatableitem.h"
#include "qsqlconnection.h"

#include <QElapsedTimer>
#include <QMetaMethod>
#include <QScopedValueRollback>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>

#include <optional>

void QDataTable::setupHeaders(bool full)
{
    d->model->setColumnCount(d->columns.size());
    for (int c = 0; c < d->columns.size(); ++c) {
        const colInfo &column = d->columns.at(c);
        auto *header = new QStandardItem(column.label);
        if (full) {
            if (column.headerIcon)
                header->setIcon(*column.headerIcon);
            header->setToolTip(column.toolTip.isEmpty() ? column.label : column.toolTip);
        }
        d->model->setHorizontalHeaderItem(c, header);
    }
}

void QDataTable::refreshDefaultCell()
{
    // Asked once per stored row or load, not per cell: the application's
    // font comes from behind a lock.
    d->defaultCell = cellData();
}

bool QDataTable::hasDisplayListeners() const
{
    static const QMetaMethod signal = QMetaMethod::fromSignal(&QDataTable::getDispInfo);
    return isSignalConnected(signal);
}

// Stores a select's rows as they are handed over: the table is emptied and
// shaped when the result has arrived, not before, so a failed select leaves
// the rows that were there.
class QDataTable::LoadReceiver : public RowReceiver
{
public:
    LoadReceiver(QDataTable *table, bool backGround) : m_table(table), d(table->d.get()), m_backGround(backGround) {}

    void begin(const QSqlRecord &fields, int rowCount) override
    {
        m_begun = true;
        m_table->clear();
        if (d->columns.isEmpty())
            m_table->generateColumns(fields);
        m_table->setupHeaders(true);
        const int columnCount = d->columns.size();
        m_sourceOf.resize(columnCount);
        m_sameLayout = columnCount == fields.count();
        for (int c = 0; c < columnCount; ++c) {
            m_sourceOf[c] = fields.indexOf(d->columns.at(c).fieldName);
            m_sameLayout = m_sameLayout && m_sourceOf.at(c) == c;
        }
        m_row.resize(columnCount);
        m_heads.reserve(qMin(rowCount, loadBatchRows));
        m_generation = d->loadGeneration;
        m_clock.start();
        m_table->refreshDefaultCell();
        // One record serves every row's callbacks: it is filled anew per row
        // and so copied only when a callback keeps a copy of its own.
        m_shown = m_table->recordShape();
        m_packable = m_table->packedColumns();
    }

    bool take(QVariant *values) override
    {
        const QVariant *row = tableRow(values);
        const QList<QStandardItem *> items = m_table->loadedRowItems(row, &m_shown, m_packable);
        // Rows that are their head alone go to the model in groups: one
        // insertion, and one pair of model signals, for many rows. Not while
        // display callbacks run between rows: they see the rows stored so far.
        if (items.size() == 1 && !m_table->hasDisplayListeners()) {
            m_heads.append(items.first());
            if (m_heads.size() < loadBatchRows)
                return true;
            appendHeads();
        } else {
            appendHeads();
            if (items.size() == 1) {
                m_heads.append(items.first());
                appendHeads();
            } else {
                d->model->appendRow(items);
                static_cast<DataTableRowItem *>(items.first())->setRowHint(d->model->rowCount() - 1, d->rowMoves);
            }
        }
        return yieldWhenDue();
    }

    // The rows still held back; false when the table was emptied meanwhile.
    bool finish()
    {
        appendHeads();
        return yieldWhenDue();
    }

    bool begun() const { return m_begun; }
    bool aborted() const { return m_aborted; }

private:
    // The row in the table's columns and types: in place when the result has
    // the table's columns in its order.
    const QVariant *tableRow(QVariant *values)
    {
        const int columnCount = m_row.size();
        if (m_sameLayout) {
            for (int c = 0; c < columnCount; ++c) {
                const int type = d->columns.at(c).dataType;
                if (values[c].userType() != type)
                    values[c] = m_table->conform(values[c], type);
            }
            return values;
        }
        for (int c = 0; c < columnCount; ++c) {
            const colInfo &column = d->columns.at(c);
            const int source = m_sourceOf.at(c);
            if (source < 0)
                m_row[c] = column.defValue.isValid() ? column.defValue : QDataTablePrivate::typedNull(column.dataType);
            else
                m_row[c] = m_table->conform(values[source], column.dataType);
        }
        return m_row.constData();
    }

    void appendHeads()
    {
        if (m_heads.isEmpty())
            return;
        const int first = d->model->rowCount();
        d->model->invisibleRootItem()->insertRows(first, m_heads);
        for (int i = 0; i < m_heads.size(); ++i)
            static_cast<DataTableRowItem *>(m_heads.at(i))->setRowHint(first + i, d->rowMoves);
        m_heads.clear();
    }

    bool yieldWhenDue()
    {
        if (!m_viewPrepared && d->view && d->model->rowCount() > 0) {
            m_table->prepareView(d->view);
            m_viewPrepared = true;
        }
        QDataTablePrivate::yieldWhenDue(m_backGround, &m_clock);
        // Someone cleared or closed the table while the load yielded.
        m_aborted = m_generation != d->loadGeneration;
        return !m_aborted;
    }

    QDataTable *m_table;
    QDataTablePrivate *d;
    const bool m_backGround;
    bool m_begun = false;
    bool m_aborted = false;
    bool m_viewPrepared = false;
    QVector<int> m_sourceOf;
    bool m_sameLayout = false;
    QVector<QVariant> m_row;
    QList<QStandardItem *> m_heads;
    quint64 m_generation = 0;
    QElapsedTimer m_clock;
    QSqlRecord m_shown;
    PackedColumns m_packable;
};

bool QDataTable::readSelect(bool printQuery, RowReceiver *receiver)
{
    d->lastError = QSqlError();
    switch (d->connection->readRows(d->selectText, d->selectParams, printQuery, receiver)) {
    case RowsRead:
        return true;
    case RowsReadFailed:
        d->lastError = d->connection->lastError();
        return false;
    default:
        break;
    }

    QSqlQuery query(d->connection->database());
    // Rows are copied out as they come; nothing needs the result kept.
    query.setForwardOnly(true);
    d->connection->execScript(d->selectText, &query, d->selectParams, printQuery);
    if (!query.isSelect()) {
        // The connection's error says whether the connection broke; the query's only what failed.
        d->lastError = d->connection->lastError().isValid() ? d->connection->lastError() : query.lastError();
        return false;
    }
    // The whole result is read before a single row is stored: storing runs
    // display callbacks, and a callback that sends a query of its own (a
    // look-up table opened on first use) would make the driver drop the rows
    // of this one that were not read yet. Nor may the read yield to the event
    // loop, for the same reason.
    const QSqlRecord fields = query.record();
    const int fieldCount = fields.count();
    QVector<QVariant> values;
    while (query.isValid()) {
        for (int f = 0; f < fieldCount; ++f)
            values.append(query.value(f));
        query.next();
    }
    if (query.lastError().isValid()) {
        d->lastError = query.lastError();
        query.finish();
        return false;
    }
    query.finish();
    const int rowCount = fieldCount > 0 ? values.size() / fieldCount : 0;
    receiver->begin(fields, rowCount);
    for (int row = 0; row < rowCount; ++row) {
        if (!receiver->take(values.data() + row * fieldCount))
            break;
    }
    return true;
}

bool QDataTable::fillTable(bool backGround, bool printQuery)
{
    refetchScripts();
    if (d->selectText.isEmpty() || !d->connection)
        return false;
    if (backGround)
        QCoreApplication::processEvents();

    LoadReceiver load(this, backGround);
    if (!readSelect(printQuery, &load) || !load.begun())
        return false;
    if (load.aborted() || !load.finish()) {
        d->loadAborted = true;
        return false;
    }
    d->model->setSortRole(ValueRole);
    d->modified = false;
    return true;
}

QList<QStandardItem *> QDataTable::loadedRowItems(const QVariant *rowValues, QSqlRecord *record,
                                                  const PackedColumns &packable)
{
    const int columnCount = d->columns.size();
    const bool listeners = hasDisplayListeners();
    const auto bit = [](int column) { return column < 64 ? quint64(1) << column : 0; };
    auto *head = new DataTableRowItem(rowValues[0]);
    QList<QStandardItem *> items;
    items.append(head);
    // A cell that shows its value and nothing else (every cell when no
    // callback is connected, a hidden column's, a shown one its callbacks
    // left alone) stays packed in the row's head item, which holds its value
    // until something needs the cell's item.
    quint64 packed = packable.all;
    if (listeners) {
        for (int c = 0; c < columnCount; ++c)
            record->setValue(c, rowValues[c]);
        packed = packable.hidden;
        decorate(head, 0, record, rsUnchanged, false);
        for (int c = 1; c < columnCount; ++c) {
            if (packed & bit(c)) {
                items.append(nullptr);
                continue;
            }
            DataTableItem *item = decoratedLoadedCell(c, rowValues[c], record);
            if (!item && (packable.all & bit(c)))
                packed |= bit(c);
            else if (!item)
                item = new DataTableItem(rowValues[c]);
            items.append(item);
        }
    } else if (packed != packable.all || columnCount > 64) {
        for (int c = 1; c < columnCount; ++c)
            items.append(packed & bit(c) ? nullptr : new DataTableItem(rowValues[c]));
    }
    if (packed)
        head->setPacked(rowValues, columnCount, packed);
    if (packed == packable.all && columnCount <= 64)
        items.erase(items.begin() + 1, items.end());

    for (int c = 0; c < columnCount; ++c) {
        if (!isFiled(c))
            continue;
        const auto *item = static_cast<const DataTableItem *>(c < items.size() ? items.at(c) : nullptr);
        if (item)
            fileCell(head, c, QVariant(), item->value(), QString(), item->displayText(), true);
        else
            fileCell(head, c, QVariant(), rowValues[c], QString(), DataTableItem::textOf(rowValues[c]), true);
    }
    return items;
}

QDataTable::PackedColumns QDataTable::packedColumns() const
{
    // The packed columns of a row are bits of one word: a wider table keeps
    // every cell an item.
    PackedColumns packable;
    const int columnCount = d->columns.size();
    if (columnCount > 64)
        return packable;
    for (int c = 1; c < columnCount; ++c) {
        packable.all |= quint64(1) << c;
        if (!d->columns.at(c).visible)
            packable.hidden |= quint64(1) << c;
    }
    return packable;
}

void QDataTable::decorate(DataTableItem *item, int column, QSqlRecord *record, int state, bool alwaysCall,
                          bool clearBackground)
{
    std::optional<cellData> nested;
    const cellData *cell = shownCell(column, item->value(), record, state, alwaysCall, clearBackground, &nested);
    item->applyCell(cell ? *cell : d->defaultCell, d->defaultCell);
}

DataTableItem *QDataTable::decoratedLoadedCell(int column, const QVariant &value, QSqlRecord *record)
{
    std::optional<cellData> nested;
    const cellData *cell = shownCell(column, value, record, rsUnchanged, false, false, &nested);
    if (!cell || DataTableItem::showsValueOnly(*cell, d->defaultCell))
        return nullptr;
    auto *item = new DataTableItem(value);
    item->applyCell(*cell, d->defaultCell);
    return item;
}

const cellData *QDataTable::shownCell(int column, const QVariant &value, QSqlRecord *record, int state,
                                      bool alwaysCall, bool clearBackground, std::optional<cellData> *nested)
{
    const bool call = (alwaysCall || d->columns.at(column).visible) && hasDisplayListeners();
    // Copies of one default cell share its font and brushes; see refreshDefaultCell().
    cellData &defaults = d->defaultCell;
    defaults.text = DataTableItem::textOf(value);
    if (!call)
        return nullptr;
    // The cell handed to callbacks is one object reused from cell to cell and
    // put back to the defaults part by part: a brush, font or icon that is
    // already the default costs a pointer comparison, where a fresh copy of
    // the whole cell counts references up and down for every part. A
    // callback that stores cells of this very table gets cells of its own.
    if (d->decorating)
        nested->emplace();
    cellData &cell = *nested ? **nested : d->callbackCell;
    QScopedValueRollback<bool> decorating(d->decorating, true);
    cell.text = defaults.text;
    if (!cell.icon.isNull())
        cell.icon = QIcon();
    cell.foreground = defaults.foreground;
    cell.background = defaults.background;
    if (!cell.toolTip.isEmpty())
        cell.toolTip.clear();
    cell.font = defaults.font;
    const QString plainText = defaults.text;
    QVariant shown = value;
    emit getDispInfo(column, &shown, &cell, record, state);
    // A callback that stores cells of this table has used the default cell meanwhile.
    defaults.text = plainText;
    // A reset shows the row as loaded: whatever a callback paints behind it stays away.
    if (clearBackground)
        cell.background = defaults.background;
    return &cell;
}

bool QDataTable::open(bool backGround, bool printQuery)
{
    const bool wasClosed = d->state == tsClosed;
    if (wasClosed) {
        d->loadAborted = false;
        const bool filled = fillTable(backGround, printQuery);
        if (d->loadAborted)
            return false;
        if (filled) {
            d->state = tsOpen;
            d->currentRow = 0;
        } else {
            if (!d->columns.isEmpty())
                setupHeaders(false);
            d->state = tsNoData;
        }
        for (const colInfo &column : qAsConst(d->columns)) {
            if (column.autoInc != 0)
                d->autoIncrements.insert(column.fieldName, 0);
        }
    }
    if (d->state != tsClosed)
        connectItemChanged();
    if (d->view)
        prepareView(d->view);
    return d->state != tsClosed;
}

void QDataTable::close()
{
    disconnectItemChanged();
    clear();
    d->state = tsClosed;
    d->autoIncrements.clear();
    for (auto it = d->indexData.begin(); it != d->indexData.end(); ++it)
        it.value().clear();
    d->displayLookups.clear();
    d->displayLookupsMade = false;
    d->filters.clear();
    d->appendedValues.clear();
    d->hiddenRows = 0;
    d->modified = false;
    d->currentRow = -1;
}

void QDataTable::clear()
{
    ++d->loadGeneration;
    {
        QScopedValueRollback<bool> wholesale(d->forgettingAll, true);
        forgetAllRows();
        d->model->removeRows(0, d->model->rowCount());
    }
    d->newRows.clear();
    d->changedRows.clear();
    d->deletedRows.clear();
    d->hiddenRows = 0;
}

void QDataTable::forgetAllRows()
{
    d->newRows.clear();
    d->changedRows.clear();
    d->deletedRows.clear();
    for (auto it = d->indexData.begin(); it != d->indexData.end(); ++it)
        it.value().clear();
    d->displayLookups.clear();
    d->displayLookupsMade = false;
}

void QDataTable::forgetRows(int first, int last)
{
    if (d->forgettingAll)
        return;
    for (int row = first; row <= last; ++row) {
        DataTableRowItem *head = rowItem(row);
        if (!head)
            continue;
        const qint64 id = identityOf(head);
        d->newRows.remove(id);
        d->changedRows.remove(id);
        d->deletedRows.remove(id);
        for (int c = 0; c < d->columns.size(); ++c) {
            const QStandardItem *cell = d->model->item(row, c);
            const DataTableRowItem *packedIn = cell ? nullptr : d->model->packedHead(row, c);
            if (!cell && !packedIn)
                continue;
            const QVariant &value = cellValue(row, c);
            if (SearchIndex *index = indexOfColumn(c))
                index->remove(value, head);
            const DataTableItem *item = cell ? cellItem(row, c) : nullptr;
            unfileDisplay(head, c, item ? item->displayText() : DataTableItem::textOf(value));
        }
        if (d->view && d->view->isRowHidden(row) && d->hiddenRows > 0)
            --d->hiddenRows;
    }
}

void QDataTable::unfileDisplay(DataTableRowItem *head, int column, const QString &text)
{
    auto lookup = d->displayLookups.find(column);
    if (lookup == d->displayLookups.end())
        return;
    auto bucket = lookup->find(text);
    if (bucket == lookup->end() || !bucket->contains(head)) {
        // Filed under a text the cell no longer shows: find it the long way.
        for (bucket = lookup->begin(); bucket != lookup->end(); ++bucket) {
            if (bucket->contains(head))
                break;
        }
        if (bucket == lookup->end())
            return;
    }
    bucket->remove(head);
    if (bucket->isEmpty())
        lookup->erase(bucket);
}

bool QDataTable::isFiled(int column)
{
    return indexOfColumn(column) || ((d->columns.at(column).flags & colDisplayLookup) && d->displayLookupsMade);
}

void QDataTable::makeDisplayLookups() const
{
    if (d->displayLookupsMade)
        return;
    d->displayLookupsMade = true;
    d->displayLookups.clear();
    for (int c = 0; c < d->columns.size(); ++c) {
        if (!(d->columns.at(c).flags & colDisplayLookup))
            continue;
        QDataTablePrivate::DisplayLookup &lookup = d->displayLookups[c];
        for (int row = 0; row < d->model->rowCount(); ++row) {
            DataTableRowItem *head = rowItem(row);
            if (!head)
                continue;
            const DataTableItem *item = d->model->item(row, c) ? cellItem(row, c) : nullptr;
            lookup[item ? item->displayText() : DataTableItem::textOf(cellValue(row, c))].insert(head);
        }
    }
}

void QDataTable::fileCell(DataTableRowItem *head, int column, const QVariant &oldValue, const QVariant &newValue,
                          const QString &oldDisplay, const QString &newDisplay, bool fresh)
{
    if (SearchIndex *index = indexOfColumn(column)) {
        if (fresh) {
            index->insert(newValue, head);
        } else if (!SearchIndex::sameKey(oldValue, newValue)) {
            index->remove(oldValue, head);
            index->insert(newValue, head);
        }
    }
    if (!(d->columns.at(column).flags & colDisplayLookup) || !d->displayLookupsMade)
        return;
    if (!fresh && oldDisplay != newDisplay)
        unfileDisplay(head, column, oldDisplay);
    d->displayLookups[column][newDisplay].insert(head);
}
