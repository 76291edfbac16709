#include "qdatatable.h"

#include "appcontext.h"
#include "datatableitem.h"
#include "objvar.h"
#include "qsqlconnection.h"
#include "readonlydelegate.h"
#include "workplacelogging.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTextCodec>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMessageBox>
#include <QMetaMethod>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>
#include <optional>

namespace {

// A long load or commit yields to the event loop this often, not after every
// row: the interface stays responsive and a 100,000-row load does not spend
// its time dispatching empty event queues.
constexpr int yieldIntervalMs = 20;

void yieldWhenDue(bool backGround, QElapsedTimer *clock)
{
    if (!backGround || clock->elapsed() < yieldIntervalMs)
        return;
    QCoreApplication::processEvents();
    clock->restart();
}

QVariant typedNull(int dataType)
{
    return QVariant(static_cast<QVariant::Type>(dataType));
}

} // namespace

QDataTable::QDataTable(const QString &name, QSqlConnection *connection, QObject *parent)
    : QObject(parent)
    , m_model(new QStandardItemModel(this))
{
    setObjectName(name);
    m_model->setObjectName(name + QStringLiteral("_data_"));
    m_model->setSortRole(ValueRole);
    m_model->setItemPrototype(new DataTableItem);
    // Whoever removes rows, the pending queues and indexes must never keep
    // pointing at them.
    connect(m_model, &QStandardItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &parent, int first, int last) {
                if (!parent.isValid())
                    forgetRows(first, last);
            });
    connect(m_model, &QStandardItemModel::modelAboutToBeReset, this, &QDataTable::forgetAllRows);
    // Rows appended at the end leave every other row's number as it was.
    connect(m_model, &QStandardItemModel::rowsInserted, this, [this](const QModelIndex &parent, int, int last) {
        if (!parent.isValid() && last != m_model->rowCount() - 1)
            ++m_rowMoves;
    });
    const auto rowsMoved = [this] { ++m_rowMoves; };
    connect(m_model, &QStandardItemModel::rowsRemoved, this, rowsMoved);
    connect(m_model, &QStandardItemModel::rowsMoved, this, rowsMoved);
    connect(m_model, &QStandardItemModel::layoutChanged, this, rowsMoved);
    connect(m_model, &QStandardItemModel::modelReset, this, rowsMoved);
    setConnection(connection);
}

QDataTable::QDataTable(QDataTable *other)
    : QDataTable(other ? other->objectName() : QString(), nullptr, nullptr)
{
    if (!other)
        return;
    m_model->setObjectName(other->m_model->objectName());
    m_columns = other->m_columns;
    m_selectName = other->m_selectName;
    m_updateName = other->m_updateName;
    m_insertName = other->m_insertName;
    m_deleteName = other->m_deleteName;
    m_native = other->m_native;
    m_selectText = other->m_selectText;
    m_updateText = other->m_updateText;
    m_insertText = other->m_insertText;
    m_deleteText = other->m_deleteText;
    m_connection = other->m_connection;
    m_tableState = other->m_tableState;
    m_autoIncrements = other->m_autoIncrements;
    m_selectParams = other->m_selectParams;
    m_modified = other->m_modified;
    m_directEdit = other->m_directEdit;
    m_currentRow = other->m_currentRow;
    m_keyField = other->m_keyField;
    m_indexDeclarations = other->m_indexDeclarations;
    m_filters = other->m_filters;
    m_appendedValues = other->m_appendedValues;
    // Queues, index entries and display lookups name the other table's rows;
    // the copy has none of them, so it starts with empty ones.
    for (auto it = m_indexDeclarations.cbegin(); it != m_indexDeclarations.cend(); ++it) {
        if (it.value() == idxHash)
            m_indexData.insert(it.key(), SearchIndex());
    }
    if (m_tableState != -2)
        connectItemChanged();
}

QDataTable::~QDataTable()
{
    // The model outlives this destructor's body as a child; keep it from
    // calling back into members that are already gone.
    disconnect(m_model, nullptr, this, nullptr);
    if (m_shortcut) {
        m_shortcut->setEnabled(false);
        m_shortcut->deleteLater();
    }
}

// ---------------------------------------------------------------- scripts

void QDataTable::setScripts(const QString &aSelect, const QString &aUpdate, const QString &aInsert,
                            const QString &aDelete, bool bNative)
{
    m_selectName = aSelect;
    m_updateName = aUpdate;
    m_insertName = aInsert;
    m_deleteName = aDelete;
    m_native = bNative;
    if (bNative) {
        setNativeScripts(aSelect, aUpdate, aInsert, aDelete);
        return;
    }
    if (!m_connection) {
        qCWarning(lcTable, "Connection not defined");
        return;
    }
    m_selectText = m_connection->getScript(aSelect);
    m_updateText = m_connection->getScript(aUpdate);
    m_insertText = m_connection->getScript(aInsert);
    m_deleteText = m_connection->getScript(aDelete);
}

void QDataTable::setNativeScripts(const QString &aSelect, const QString &aUpdate, const QString &aInsert,
                                  const QString &aDelete)
{
    // The texts only: the next load or commit fetches them again from the
    // names setScripts was given. Texts meant to last are given to setScripts
    // as native ones.
    m_selectText = aSelect;
    m_updateText = aUpdate;
    m_insertText = aInsert;
    m_deleteText = aDelete;
}

void QDataTable::refetchScripts()
{
    if (m_connection)
        setScripts(m_selectName, m_updateName, m_insertName, m_deleteName, m_native);
}

void QDataTable::setConnection(QSqlConnection *connection)
{
    if (!connection)
        return;
    m_connection = connection;
    refetchScripts();
}

bool QDataTable::setSelectParam(const QString &paramName, const QVariant &paramValue)
{
    if (paramValue.isNull()) {
        const int index = m_selectParams.indexOf(paramName);
        if (index >= 0)
            m_selectParams.remove(index);
        return true;
    }
    if (!m_selectParams.contains(paramName))
        m_selectParams.append(QSqlField(paramName, paramValue.type()));
    m_selectParams.setValue(paramName, paramValue);
    return true;
}

// ---------------------------------------------------------------- columns

void QDataTable::addColumn(const QString &aFieldName, int aDataType, bool aVisible, const QString &aLabel,
                           int nAutoInc, int aWidth, const QVariant &aDefValue, int aFlg, const QString &aToolTip,
                           QIcon *aHeaderIcon)
{
    colInfo column;
    column.fieldName = aFieldName;
    column.label = aLabel;
    column.toolTip = aToolTip;
    column.dataType = aDataType;
    column.defValue = aDefValue;
    column.width = aWidth;
    column.visible = aVisible;
    column.flags = aFlg;
    column.autoInc = nAutoInc;
    column.headerIcon = aHeaderIcon;
    m_columns.append(column);
    m_recordShapeValid = false;
    m_columnIndexesValid = false;
    if (aFlg & colSearchIndex)
        addSearchIndex(aFieldName, idxHash);
}

void QDataTable::generateColumns(const QSqlRecord &record)
{
    if (!m_columns.isEmpty())
        return;
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        colInfo column;
        column.fieldName = field.name();
        column.label = field.name();
        column.dataType = field.type();
        column.width = 100;
        column.visible = true;
        // Marked like a declared index column, but no index is made for it.
        column.flags = colSearchIndex;
        m_columns.append(column);
    }
    m_recordShapeValid = false;
    m_columnIndexesValid = false;
}

void QDataTable::dropColumns()
{
    if (m_tableState != -2)
        return;
    m_columns.clear();
    close();
    m_model->clear();
    m_indexDeclarations.clear();
    m_indexData.clear();
    m_recordShapeValid = false;
    m_columnIndexesValid = false;
}

void QDataTable::setKeyField(const QString &aField)
{
    m_keyField = aField;
    if (!m_indexDeclarations.contains(aField))
        addSearchIndex(aField, idxHash);
}

void QDataTable::addSearchIndex(const QString &aField, idxType method)
{
    if (m_indexDeclarations.contains(aField))
        return;
    m_indexDeclarations.insert(aField, method);
    if (method != idxHash)
        return;
    m_indexData.insert(aField, SearchIndex());
    m_columnIndexesValid = false;
    // Rows already loaded are indexed too, so that a late declaration is not a silent miss.
    const int column = columnIndex(aField);
    if (column < 0)
        return;
    SearchIndex &index = m_indexData[aField];
    for (int row = 0; row < m_model->rowCount(); ++row) {
        DataTableRowItem *head = rowItem(row);
        DataTableItem *item = cellItem(row, column);
        if (head && item)
            index.insert(item->value(), head);
    }
}

SearchIndex *QDataTable::indexOfColumn(int column)
{
    if (!m_columnIndexesValid) {
        m_columnIndexes.fill(nullptr, m_columns.size());
        for (int c = 0; c < m_columns.size(); ++c) {
            auto it = m_indexData.find(m_columns.at(c).fieldName);
            if (it != m_indexData.end() && m_indexDeclarations.value(it.key()) == idxHash)
                m_columnIndexes[c] = &it.value();
        }
        m_columnIndexesValid = true;
    }
    return column >= 0 && column < m_columnIndexes.size() ? m_columnIndexes.at(column) : nullptr;
}

// ---------------------------------------------------------------- rows

DataTableRowItem *QDataTable::rowItem(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return nullptr;
    return dynamic_cast<DataTableRowItem *>(m_model->item(row, 0));
}

DataTableItem *QDataTable::cellItem(int row, int column) const
{
    return dynamic_cast<DataTableItem *>(m_model->item(row, column));
}

qint64 QDataTable::identityOf(const DataTableRowItem *item)
{
    return objToVar(item).toLongLong();
}

int QDataTable::rowOfHead(DataTableRowItem *head) const
{
    const int hint = head->rowHint(m_rowMoves);
    if (hint >= 0)
        return hint;
    const int row = head->row();
    head->setRowHint(row, m_rowMoves);
    return row;
}

DataTableRowItem *QDataTable::rowOfIdentity(qint64 id) const
{
    // Identities leave the queues as their rows leave the model, so a queued
    // identity always names a live row of this model.
    return static_cast<DataTableRowItem *>(varToObj(QVariant(id)));
}

QList<QStandardItem *> QDataTable::makeRowItems(const QVariant *values, int count) const
{
    QList<QStandardItem *> items;
    items.reserve(m_columns.size());
    for (int c = 0; c < m_columns.size(); ++c) {
        const QVariant value = c < count ? values[c] : QVariant();
        if (c == 0)
            items.append(new DataTableRowItem(value));
        else
            items.append(new DataTableItem(value));
    }
    return items;
}

const QSqlRecord &QDataTable::recordShape() const
{
    if (!m_recordShapeValid) {
        m_recordShape.clear();
        for (const colInfo &column : m_columns)
            m_recordShape.append(QSqlField(column.fieldName, static_cast<QVariant::Type>(column.dataType)));
        m_recordShapeValid = true;
    }
    return m_recordShape;
}

QSqlRecord QDataTable::recordOf(int row) const
{
    QSqlRecord record = recordShape();
    for (int c = 0; c < m_columns.size(); ++c) {
        const DataTableItem *item = cellItem(row, c);
        if (item && item->value().isValid())
            record.setValue(c, item->value());
    }
    return record;
}

QSqlRecord QDataTable::getOriginalRecord(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return QSqlRecord();
    QSqlRecord record = recordShape();
    for (int c = 0; c < m_columns.size(); ++c) {
        const DataTableItem *item = cellItem(row, c);
        if (item && item->originalValue().isValid())
            record.setValue(c, item->originalValue());
    }
    return record;
}

QVariant QDataTable::conform(const QVariant &value, int dataType) const
{
    // A value that already has the column's type has nothing to convert; the
    // driver call would only copy it twice per cell of a long load.
    if (!m_connection || value.userType() == dataType)
        return value;
    const QVariant converted = m_connection->convert(value, static_cast<QVariant::Type>(dataType));
    return converted.isNull() ? value : converted;
}

QSqlRecord QDataTable::conformRecord(QSqlRecord record) const
{
    for (int f = 0; f < record.count(); ++f) {
        const int c = columnIndex(record.fieldName(f));
        if (c >= 0)
            record.setValue(f, conform(record.value(f), m_columns.at(c).dataType));
    }
    return record;
}

int QDataTable::rowCount() const
{
    return m_model->rowCount();
}

int QDataTable::lastRow() const
{
    return rowCount() - 1;
}

int QDataTable::visibleRowCount() const
{
    return rowCount() - m_hiddenRows;
}

QSqlRecord QDataTable::getRecord(int row, bool skipDeleted) const
{
    if (row < 0 || row >= m_model->rowCount())
        return QSqlRecord();
    const int state = getRowState(row);
    if (skipDeleted && state == rsDeleted)
        return QSqlRecord();
    // A table whose select failed shows only what was added to it since.
    if (m_tableState == -1 && state != rsNew)
        return QSqlRecord();
    return recordOf(row);
}

QVariant QDataTable::getField(const QString &fldName, int rowNum)
{
    if (m_tableState == -2 || rowCount() == 0)
        return QVariant();
    const QSqlRecord record = getRecord(rowNum < 0 ? m_currentRow : rowNum, false);
    if (record.isEmpty())
        return QVariant();
    return record.value(fldName);
}

int QDataTable::getRowState(int row) const
{
    const DataTableRowItem *head = rowItem(row);
    return head ? head->state() : rsDeleted;
}

int QDataTable::getLock(int row) const
{
    const DataTableRowItem *head = rowItem(row);
    return head ? head->lock() : 0;
}

bool QDataTable::first()
{
    if (m_tableState == -2)
        return false;
    m_currentRow = 0;
    return true;
}

bool QDataTable::last()
{
    if (m_tableState == -2)
        return false;
    m_currentRow = rowCount() - 1;
    return true;
}

bool QDataTable::next()
{
    if (m_tableState == -2 || m_currentRow + 1 >= rowCount())
        return false;
    ++m_currentRow;
    return true;
}

bool QDataTable::prev()
{
    if (m_tableState == -2 || m_currentRow < 1)
        return false;
    --m_currentRow;
    return true;
}

// ---------------------------------------------------------------- loading

void QDataTable::setupHeaders(bool full)
{
    m_model->setColumnCount(m_columns.size());
    for (int c = 0; c < m_columns.size(); ++c) {
        const colInfo &column = m_columns.at(c);
        auto *header = new QStandardItem(column.label);
        if (full) {
            if (column.headerIcon)
                header->setIcon(*column.headerIcon);
            header->setToolTip(column.toolTip.isEmpty() ? column.label : column.toolTip);
        }
        m_model->setHorizontalHeaderItem(c, header);
    }
}

void QDataTable::refreshDefaultCell()
{
    // Asked once per stored row or load, not per cell: the application's
    // font comes from behind a lock.
    m_defaultCell = cellData();
}

bool QDataTable::hasDisplayListeners() const
{
    static const QMetaMethod signal = QMetaMethod::fromSignal(&QDataTable::getDispInfo);
    return isSignalConnected(signal);
}

bool QDataTable::fillTable(bool backGround, bool printQuery)
{
    refetchScripts();
    if (m_selectText.isEmpty() || !m_connection)
        return false;

    QSqlQuery query(m_connection->database());
    // Rows are copied into the model as they come; nothing needs the result kept.
    query.setForwardOnly(true);
    if (backGround)
        QCoreApplication::processEvents();
    m_lastError = QSqlError();
    m_connection->execScript(m_selectText, &query, m_selectParams, printQuery);
    if (!query.isSelect()) {
        // The connection's error says whether the connection broke; the query's only what failed.
        m_lastError = m_connection->lastError().isValid() ? m_connection->lastError() : query.lastError();
        return false;
    }

    clear();
    if (m_columns.isEmpty())
        generateColumns(query.record());
    setupHeaders(true);

    const QSqlRecord result = query.record();
    const int columnCount = m_columns.size();
    QVector<int> sourceOf(columnCount);
    for (int c = 0; c < columnCount; ++c)
        sourceOf[c] = result.indexOf(m_columns.at(c).fieldName);

    // The whole result is read before a single row is stored: storing runs
    // display callbacks, and a callback that sends a query of its own (a
    // look-up table opened on first use) would make the driver drop the rows
    // of this one that were not read yet. Nor may the read yield to the event
    // loop, for the same reason; it is the cheap part of a load.
    QVector<QVariant> values;
    while (query.isValid()) {
        for (int c = 0; c < columnCount; ++c) {
            const colInfo &column = m_columns.at(c);
            if (sourceOf.at(c) < 0)
                values.append(column.defValue.isValid() ? column.defValue : typedNull(column.dataType));
            else
                values.append(conform(query.value(sourceOf.at(c)), column.dataType));
        }
        query.next();
    }
    if (query.lastError().isValid()) {
        m_lastError = query.lastError();
        query.finish();
        return false;
    }
    query.finish();

    const quint64 generation = m_loadGeneration;
    QElapsedTimer clock;
    clock.start();
    refreshDefaultCell();
    // One record serves every row's callbacks: it is filled anew per row and
    // so copied only when a callback keeps a copy of its own.
    QSqlRecord shown = recordShape();
    const int loadedRows = columnCount > 0 ? values.size() / columnCount : 0;
    for (int row = 0; row < loadedRows; ++row) {
        appendLoadedRow(values.constData() + row * columnCount, &shown);
        if (m_model->rowCount() == 1 && m_view)
            prepareView(m_view);
        yieldWhenDue(backGround, &clock);
        if (generation != m_loadGeneration) {
            // Someone cleared or closed the table while the load yielded.
            m_loadAborted = true;
            return false;
        }
    }
    m_model->setSortRole(ValueRole);
    m_modified = false;
    return true;
}

void QDataTable::appendLoadedRow(const QVariant *rowValues, QSqlRecord *record)
{
    const int columnCount = m_columns.size();
    const QList<QStandardItem *> items = makeRowItems(rowValues, columnCount);
    auto *head = static_cast<DataTableRowItem *>(items.first());

    const bool listeners = hasDisplayListeners();
    if (listeners) {
        for (int c = 0; c < columnCount; ++c)
            record->setValue(c, rowValues[c]);
    }
    for (int c = 0; c < columnCount; ++c) {
        auto *item = static_cast<DataTableItem *>(items.at(c));
        if (listeners)
            decorate(item, c, record, rsUnchanged, false);
        if (isFiled(c))
            fileCell(head, c, QVariant(), item->value(), QString(), item->displayText(), true);
    }
    m_model->appendRow(items);
    head->setRowHint(m_model->rowCount() - 1, m_rowMoves);
}

void QDataTable::decorate(DataTableItem *item, int column, QSqlRecord *record, int state, bool alwaysCall,
                          bool clearBackground)
{
    const bool call = (alwaysCall || m_columns.at(column).visible) && hasDisplayListeners();
    // Copies of one default cell share its font and brushes; see refreshDefaultCell().
    cellData &defaults = m_defaultCell;
    defaults.text = DataTableItem::textOf(item->value());
    if (!call) {
        item->applyCell(defaults, defaults);
        return;
    }
    // The cell handed to callbacks is one object reused from cell to cell and
    // put back to the defaults part by part: a brush, font or icon that is
    // already the default costs a pointer comparison, where a fresh copy of
    // the whole cell counts references up and down for every part. A
    // callback that stores cells of this very table gets cells of its own.
    std::optional<cellData> nested;
    if (m_decorating)
        nested.emplace();
    cellData &cell = nested ? *nested : m_callbackCell;
    QScopedValueRollback<bool> decorating(m_decorating, true);
    cell.text = defaults.text;
    if (!cell.icon.isNull())
        cell.icon = QIcon();
    cell.foreground = defaults.foreground;
    cell.background = defaults.background;
    if (!cell.toolTip.isEmpty())
        cell.toolTip.clear();
    cell.font = defaults.font;
    const QString plainText = defaults.text;
    QVariant value = item->value();
    emit getDispInfo(column, &value, &cell, record, state);
    // A callback that stores cells of this table has used the default cell meanwhile.
    defaults.text = plainText;
    // A reset shows the row as loaded: whatever a callback paints behind it stays away.
    if (clearBackground)
        cell.background = defaults.background;
    item->applyCell(cell, defaults);
}

bool QDataTable::open(bool backGround, bool printQuery)
{
    const bool wasClosed = m_tableState == -2;
    if (wasClosed) {
        m_loadAborted = false;
        const bool filled = fillTable(backGround, printQuery);
        if (m_loadAborted)
            return false;
        if (filled) {
            m_tableState = 0;
            m_currentRow = 0;
        } else {
            if (!m_columns.isEmpty())
                setupHeaders(false);
            m_tableState = -1;
        }
        for (const colInfo &column : qAsConst(m_columns)) {
            if (column.autoInc != 0)
                m_autoIncrements.insert(column.fieldName, 0);
        }
    }
    if (m_tableState != -2)
        connectItemChanged();
    if (m_view)
        prepareView(m_view);
    return m_tableState != -2;
}

void QDataTable::close()
{
    disconnectItemChanged();
    clear();
    m_tableState = -2;
    m_autoIncrements.clear();
    for (auto it = m_indexData.begin(); it != m_indexData.end(); ++it)
        it.value().clear();
    m_displayLookups.clear();
    m_filters.clear();
    m_appendedValues.clear();
    m_hiddenRows = 0;
    m_modified = false;
    m_currentRow = -1;
}

void QDataTable::clear()
{
    ++m_loadGeneration;
    {
        QScopedValueRollback<bool> wholesale(m_forgettingAll, true);
        forgetAllRows();
        m_model->removeRows(0, m_model->rowCount());
    }
    m_newRows.clear();
    m_changedRows.clear();
    m_deletedRows.clear();
    m_hiddenRows = 0;
}

void QDataTable::forgetAllRows()
{
    m_newRows.clear();
    m_changedRows.clear();
    m_deletedRows.clear();
    for (auto it = m_indexData.begin(); it != m_indexData.end(); ++it)
        it.value().clear();
    for (auto it = m_displayLookups.begin(); it != m_displayLookups.end(); ++it)
        it.value().clear();
}

void QDataTable::forgetRows(int first, int last)
{
    if (m_forgettingAll)
        return;
    for (int row = first; row <= last; ++row) {
        DataTableRowItem *head = rowItem(row);
        if (!head)
            continue;
        const qint64 id = identityOf(head);
        m_newRows.remove(id);
        m_changedRows.remove(id);
        m_deletedRows.remove(id);
        for (int c = 0; c < m_columns.size(); ++c) {
            const DataTableItem *item = cellItem(row, c);
            if (!item)
                continue;
            if (SearchIndex *index = indexOfColumn(c))
                index->remove(item->value(), head);
            unfileDisplay(head, c, item->displayText());
        }
        if (m_view && m_view->isRowHidden(row) && m_hiddenRows > 0)
            --m_hiddenRows;
    }
}

void QDataTable::unfileDisplay(DataTableRowItem *head, int column, const QString &text)
{
    auto lookup = m_displayLookups.find(column);
    if (lookup == m_displayLookups.end())
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
    return indexOfColumn(column) || (m_columns.at(column).flags & colDisplayLookup);
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
    if (!(m_columns.at(column).flags & colDisplayLookup))
        return;
    if (!fresh && oldDisplay != newDisplay)
        unfileDisplay(head, column, oldDisplay);
    m_displayLookups[column][newDisplay].insert(head);
}

// ---------------------------------------------------------------- storing

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
    QScopedValueRollback<bool> storing(m_storing, true);
    refreshDefaultCell();
    QSqlRecord shown = record;
    const int state = head->state();
    for (int c = 0; c < m_columns.size(); ++c) {
        const int field = record.indexOf(m_columns.at(c).fieldName);
        if (field < 0)
            continue;
        DataTableItem *item = cellItem(row, c);
        if (!item) {
            item = c == 0 ? head : new DataTableItem;
            m_model->setItem(row, c, item);
        }
        storeCell(head, item, c, record.value(field), original, &shown, state);
    }
    if (original)
        head->setLock(0);
    if (state != rsNew && state != rsDeleted)
        setRowState(row, original ? rsUnchanged : rsChanged);
    m_modified = true;
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
    for (int c = 0; c < m_columns.size(); ++c) {
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
        m_newRows.remove(id);
        m_changedRows.remove(id);
        m_deletedRows.remove(id);
        break;
    case rsNew:
        m_newRows.append(id);
        m_changedRows.remove(id);
        m_deletedRows.remove(id);
        break;
    case rsChanged:
        m_changedRows.append(id);
        m_newRows.remove(id);
        m_deletedRows.remove(id);
        break;
    case rsDeleted:
        m_deletedRows.append(id);
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
    if (m_tableState == -2 || m_columns.isEmpty())
        return QSqlRecord();

    QSqlRecord record = recordShape();
    for (int c = 0; c < m_columns.size(); ++c) {
        const colInfo &column = m_columns.at(c);
        if (column.autoInc != 0) {
            int &counter = m_autoIncrements[column.fieldName];
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
        QScopedValueRollback<bool> storing(m_storing, true);
        m_model->insertRow(position, items);
    }
    const int row = head->row();
    m_newRows.append(identityOf(head));
    // Fresh cells are filed in the indexes under their empty value; storing replaces that.
    for (int c = 0; c < m_columns.size(); ++c)
        fileCell(head, c, QVariant(), QVariant(), QString(), QString(), true);
    if (setNow)
        setRow(row, record, false);
    m_tableState = 0;
    m_currentRow = row;
    m_modified = true;
    return record;
}

QSqlRecord QDataTable::newRow(bool setNow)
{
    return insertRow(m_model->rowCount(), setNow);
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
    if (m_tableState == -2 || columnIndex(fldName) < 0)
        return false;
    QSqlRecord record = getRecord(m_currentRow, true);
    if (record.isEmpty())
        return false;
    record.setValue(fldName, fldData);
    return setRow(m_currentRow, record, false);
}

bool QDataTable::setNull(const QString &fldName)
{
    if (m_tableState == -2 || columnIndex(fldName) < 0)
        return false;
    QSqlRecord record = getRecord(m_currentRow, true);
    if (record.isEmpty())
        return false;
    record.setNull(fldName);
    return setRow(m_currentRow, record, false);
}

bool QDataTable::deleteRow(int row)
{
    if (m_tableState != 0 || !rowItem(row))
        return false;
    return setRowState(row, rsDeleted);
}

bool QDataTable::killRow(int row)
{
    if (m_tableState != 0 || row < 0)
        return false;
    if (row >= rowCount())
        return true;
    // Removing the row drops it from the queues and indexes (forgetRows).
    m_model->removeRow(row);
    m_modified = true;
    return true;
}

bool QDataTable::resetOriginalData(int row, bool keepValues)
{
    DataTableRowItem *head = rowItem(row);
    if (!head)
        return false;
    QScopedValueRollback<bool> storing(m_storing, true);
    refreshDefaultCell();
    QVector<QVariant> oldValues(m_columns.size());
    for (int c = 0; c < m_columns.size(); ++c) {
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
    for (int c = 0; c < m_columns.size(); ++c) {
        DataTableItem *item = cellItem(row, c);
        if (!item)
            continue;
        const QString oldDisplay = item->displayText();
        item->clearDecoration();
        decorate(item, c, &record, rsUnchanged, true, true);
        fileCell(head, c, oldValues.at(c), item->value(), oldDisplay, item->displayText(), false);
        item->announce();
    }
    return true;
}

// ---------------------------------------------------------------- commit

void QDataTable::connectItemChanged()
{
    connect(m_model, &QStandardItemModel::itemChanged, this, &QDataTable::onItemChanged, Qt::UniqueConnection);
}

void QDataTable::disconnectItemChanged()
{
    disconnect(m_model, &QStandardItemModel::itemChanged, this, &QDataTable::onItemChanged);
}

bool QDataTable::runRowScript(const QString &script, int row, QSqlQuery *query)
{
    if (!m_connection) {
        m_lastError = QSqlError(QString(), QStringLiteral("У таблицы %1 нет соединения с базой данных.").arg(objectName()),
                                QSqlError::ConnectionError);
        return false;
    }
    m_connection->execScript(script, query, recordOf(row), false);
    // An inactive query without an error means nothing ran: that is no success either.
    if (query->isActive() && query->lastError().type() == QSqlError::NoError)
        return true;
    if (m_connection->lastError().isValid())
        m_lastError = m_connection->lastError();
    else if (query->lastError().isValid())
        m_lastError = query->lastError();
    else
        m_lastError = QSqlError(QString(), QStringLiteral("Нет соединения с базой данных."), QSqlError::ConnectionError);
    return false;
}

RowScriptResult QDataTable::resultOf(QSqlQuery &query)
{
    RowScriptResult result;
    result.returnsRows = query.isSelect();
    result.rowCount = query.isValid() ? 1 : 0;
    result.affected = query.numRowsAffected();
    if (result.returnsRows && query.isValid())
        result.row = query.record();
    return result;
}

bool QDataTable::affectedRow(const RowScriptResult &result)
{
    // A script that returns rows found the row when it returned one; a plain
    // statement, when the server counted one.
    if (result.returnsRows)
        return result.rowCount > 0;
    return result.affected != 0;
}

void QDataTable::reportConflict(RowConflict::Operation operation, int row)
{
    QString keyField = m_keyField;
    if (keyField.isEmpty() && columnIndex(QStringLiteral("id")) >= 0)
        keyField = QStringLiteral("id");
    m_lastConflict = RowConflict(objectName(), operation, keyField, recordOf(row), getOriginalRecord(row));
    m_lastError = m_lastConflict.error();
    m_connection->reportFailure(QString(), m_lastError);
}

bool QDataTable::writeQueue(RowQueue &queue, const QString &script, const char *kind, bool backGround,
                            RowWritten written, RowConflict::Operation conflictOn)
{
    if (queue.isEmpty())
        return true;
    if (script.isEmpty()) {
        // Not an error: the queue waits for a later commit.
        qCDebug(lcTable).noquote() << QStringLiteral("WARNING: %1 script is empty.").arg(QLatin1String(kind)) << objectName();
        return true;
    }
    // The insert's key read back by a second statement needs its own query per row.
    const bool keyReadBack = written == &QDataTable::rowInserted && !m_keyField.isEmpty() && AppContext::noStoredProc();
    if (!keyReadBack && queue.size() > 1) {
        if (writeQueueTogether(queue, script, written, conflictOn) == RowScriptsDone)
            return true;
    }
    QElapsedTimer clock;
    clock.start();
    const QList<qint64> pending = queue.toList();
    for (qint64 id : pending) {
        // A handler run while yielding may have removed rows further down the queue.
        if (!queue.contains(id))
            continue;
        const int row = rowOfIdentity(id)->row();
        QSqlQuery query(m_connection ? m_connection->database() : QSqlDatabase());
        if (!runRowScript(script, row, &query)) {
            query.finish();
            return false;
        }
        // A row that was never stored (new, then deleted) has nothing to find.
        if (conflictOn != RowConflict::NoOperation && !m_newRows.contains(id) && !affectedRow(resultOf(query))) {
            query.finish();
            reportConflict(conflictOn, row);
            return false;
        }
        if (keyReadBack)
            m_connection->scopeIdentity(objectName(), &query);
        const RowScriptResult result = resultOf(query);
        query.finish();
        (this->*written)(id, row, result);
        yieldWhenDue(backGround, &clock);
    }
    return true;
}

int QDataTable::writeQueueTogether(RowQueue &queue, const QString &script, RowWritten written,
                                   RowConflict::Operation conflictOn)
{
    if (!m_connection)
        return RowScriptsNotSent;
    const QList<qint64> pending = queue.toList();
    QList<QSqlRecord> records;
    QVector<bool> mustFind;
    records.reserve(pending.size());
    mustFind.reserve(pending.size());
    for (qint64 id : pending) {
        records.append(recordOf(rowOfIdentity(id)->row()));
        // A row that was never stored (new, then deleted) has nothing to find.
        mustFind.append(conflictOn != RowConflict::NoOperation && !m_newRows.contains(id));
    }
    QList<RowScriptResult> results;
    int failed = -1;
    const int outcome = m_connection->execRowScripts(script, records, mustFind, &results, &failed);
    // A batch that failed left nothing behind; the rows then go one by one,
    // which writes those before the failing row and reports it as always.
    if (outcome != RowScriptsDone)
        return RowScriptsNotSent;
    // The rows take what the server stored in the order they were sent, each
    // announcing its new key before the next one is looked at.
    for (int i = 0; i < pending.size(); ++i) {
        const qint64 id = pending.at(i);
        if (!queue.contains(id))
            continue;
        (this->*written)(id, rowOfIdentity(id)->row(), results.at(i));
    }
    return outcome;
}

void QDataTable::rowDeleted(qint64 id, int row, const RowScriptResult &result)
{
    Q_UNUSED(id)
    Q_UNUSED(result)
    // Removing the row drops its identity from every queue and its index entries.
    m_model->removeRow(row);
}

void QDataTable::rowInserted(qint64 id, int row, const RowScriptResult &result)
{
    const int keyColumn = columnIndex(m_keyField);
    const QVariant oldKey = keyColumn >= 0 ? recordOf(row).value(keyColumn) : QVariant();
    m_newRows.remove(id);
    if (!result.returnsRows || result.rowCount == 0)
        return;
    // The row now is what the database holds: its own values first,
    // then whatever the server returned (the new key, computed columns).
    resetOriginalData(row, true);
    setRow(row, conformRecord(result.row), true);
    // Announced without a key field too, with empty values: links have nothing to follow then.
    const QVariant newKey = keyColumn >= 0 ? recordOf(row).value(keyColumn) : QVariant();
    qCDebug(lcTable).noquote() << "emit dataChanged(" << m_keyField << oldKey.toString() << newKey.toString()
                               << objectName() << ") ";
    emit dataChanged(m_keyField, oldKey, newKey, objectName());
}

void QDataTable::rowUpdated(qint64 id, int row, const RowScriptResult &result)
{
    resetOriginalData(row, true);
    m_changedRows.remove(id);
    if (!result.returnsRows || result.rowCount == 0)
        return;
    setRow(row, conformRecord(result.row), true);
}

bool QDataTable::commit(bool backGround)
{
    m_lastError = QSqlError();
    m_lastConflict = RowConflict();
    disconnectItemChanged();
    // Scripts read on a broken connection are empty, and an empty script lets
    // its rows wait while the commit reports success: write only on a
    // connection that is there.
    if (m_connection && hasPendingRows() && !m_connection->ensureConnected()) {
        m_lastError = m_connection->lastError().isValid()
                ? m_connection->lastError()
                : QSqlError(QString(), QStringLiteral("Нет соединения с базой данных."), QSqlError::ConnectionError);
        return false;
    }
    const QStringList held = {m_deleteText, m_insertText, m_updateText};
    refetchScripts();
    if (m_connection && m_connection->connectionLost() && hasPendingRows()) {
        m_lastError = m_connection->lastError();
        return false;
    }
    // A script that was there a moment ago and now reads empty could not be
    // read; taken as "no script", its rows would wait while the commit succeeds.
    const QStringList fetched = {m_deleteText, m_insertText, m_updateText};
    const QList<const RowQueue *> queues = {&m_deletedRows, &m_newRows, &m_changedRows};
    for (int i = 0; i < queues.size(); ++i) {
        if (queues.at(i)->isEmpty() || !fetched.at(i).isEmpty() || held.at(i).isEmpty())
            continue;
        m_lastError = QSqlError(QString(), QStringLiteral("Скрипт таблицы %1 не удалось прочитать из базы данных.")
                                                   .arg(objectName()),
                                QSqlError::ConnectionError);
        m_connection->reportFailure(QString(), m_lastError);
        return false;
    }
    // A failure leaves the rows as they are and the change signal disconnected
    // until rollback or the next open. An update or delete that finds no row
    // met a row somebody else changed or deleted: a conflict, not a success.
    if (!writeQueue(m_deletedRows, m_deleteText, "delete", backGround, &QDataTable::rowDeleted, RowConflict::Delete)
        || !writeQueue(m_newRows, m_insertText, "insert", backGround, &QDataTable::rowInserted, RowConflict::NoOperation)
        || !writeQueue(m_changedRows, m_updateText, "update", backGround, &QDataTable::rowUpdated, RowConflict::Update)) {
        return false;
    }
    if (m_tableState != -2)
        connectItemChanged();
    // A completed commit clears the flag, also when a queue without a script
    // keeps its rows waiting: they stay queued for the commit that has one.
    m_modified = false;
    return true;
}

bool QDataTable::rollback()
{
    disconnectItemChanged();
    const QList<qint64> added = m_newRows.toList();
    for (qint64 id : added) {
        if (m_newRows.contains(id))
            m_model->removeRow(rowOfIdentity(id)->row());
    }
    m_newRows.clear();
    const QList<qint64> changed = m_changedRows.toList();
    for (qint64 id : changed) {
        if (m_changedRows.contains(id))
            resetOriginalData(rowOfIdentity(id)->row(), false);
    }
    m_changedRows.clear();
    const QList<qint64> deleted = m_deletedRows.toList();
    for (qint64 id : deleted) {
        if (m_deletedRows.contains(id))
            resetOriginalData(rowOfIdentity(id)->row(), false);
    }
    m_deletedRows.clear();
    if (m_tableState != -2)
        connectItemChanged();
    m_modified = false;
    return true;
}

void QDataTable::onItemChanged(QStandardItem *item)
{
    if (m_storing || !item || item->model() != m_model || item->parent())
        return;
    auto *cell = dynamic_cast<DataTableItem *>(item);
    const int row = item->row();
    const int column = item->column();
    if (!cell || column < 0 || column >= m_columns.size())
        return;
    const QVariant edited = item->data(Qt::EditRole);
    const QVariant value = cell->value();
    // Listeners hear of a different value only; the row counts as changed
    // whatever was written to it.
    if (edited.toString() != DataTableItem::textOf(value))
        emit dataChanged(m_columns.at(column).fieldName, value, edited, objectName());
    // A handler may have removed the row; look it up again.
    DataTableRowItem *head = rowItem(row);
    if (!head || cellItem(row, column) != cell)
        return;
    // The view has changed what the cell shows: filters and value lists go by that.
    if (m_columns.at(column).flags & colDisplayLookup) {
        unfileDisplay(head, column, QString());
        m_displayLookups[column][cell->displayText()].insert(head);
    }
    const int state = head->state();
    if (state != rsNew && state != rsDeleted)
        setRowState(row, rsChanged);
    if (!m_directEdit || state == rsDeleted)
        return;
    const colInfo &info = m_columns.at(column);
    const QString typed = edited.toString();
    // The typed text becomes a value of the column's type where it reads as one.
    const QVariant typedValue = typed.isEmpty() ? typedNull(info.dataType) : conform(typed, info.dataType);
    // Stored through setRow, which sees the old value and so moves the index entries.
    QSqlRecord record = recordOf(row);
    record.setValue(column, typedValue);
    setRow(row, record, false);
}

// ---------------------------------------------------------------- views

void QDataTable::setView(QTableView *view)
{
    if (m_shortcut) {
        m_shortcut->setEnabled(false);
        m_shortcut->disconnect(this);
        m_shortcut->deleteLater();
        m_shortcut = nullptr;
    }
    m_view = view;
    if (!view)
        return;

    view->setModel(m_model);
    QHeaderView *horizontal = view->horizontalHeader();
    horizontal->setSectionsMovable(true);
    horizontal->setHighlightSections(false);
    QHeaderView *vertical = view->verticalHeader();
    vertical->setDefaultSectionSize(view->fontMetrics().height() + 2);
    vertical->setHighlightSections(false);
    vertical->hide();
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Enabling sorting sorts at once by the header's indicator, which starts
    // on column 0 descending; rows keep their loaded order until a user sorts.
    if (!view->isSortingEnabled())
        horizontal->setSortIndicator(-1, Qt::AscendingOrder);
    view->setSortingEnabled(true);

    if (m_tableState != -2)
        prepareView(view);

    m_shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_I), view);
    m_shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_shortcut, &QShortcut::activated, this, &QDataTable::onIDRequest);

    view->setEditTriggers(QAbstractItemView::DoubleClicked);
    if (!qobject_cast<ReadOnlyDelegate *>(view->itemDelegate()))
        view->setItemDelegate(new ReadOnlyDelegate(view));
}

void QDataTable::prepareView(QTableView *view)
{
    if (!view || view->property("isPrepared").toBool())
        return;
    QHeaderView *header = view->horizontalHeader();
    for (int c = 0; c < m_columns.size(); ++c) {
        const colInfo &column = m_columns.at(c);
        view->setColumnWidth(c, column.width);
        if (!column.visible)
            view->setColumnHidden(c, true);
        // Applied in this order so that the last applicable mode wins.
        if (column.flags & colFixedSize)
            header->setSectionResizeMode(c, QHeaderView::Fixed);
        if (column.flags & colStretch)
            header->setSectionResizeMode(c, QHeaderView::Stretch);
        if (column.flags & colResizeToContents)
            header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    view->setProperty("isPrepared", true);
}

int QDataTable::getViewCurrentRow() const
{
    if (!m_view)
        return -1;
    return m_view->currentIndex().row();
}

QSqlRecord QDataTable::getViewCurrentRecord() const
{
    const int row = getViewCurrentRow();
    if (row < 0)
        return QSqlRecord();
    return getRecord(row, false);
}

void QDataTable::onIDRequest()
{
    const int row = getViewCurrentRow();
    if (row < 0)
        return;
    const qint64 id = getRecord(row, false).value(QStringLiteral("id")).toLongLong();
    QMessageBox::information(m_view, QStringLiteral("Отладка"),
                             QStringLiteral("Таблица '%1'\nID = %2").arg(objectName()).arg(id));
}

// ---------------------------------------------------------------- lookup

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
        const DataTableItem *item = cellItem(row, columns.at(i));
        const QVariant current = item ? item->value() : QVariant();
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
    if (fldNames.size() != values.size() || m_tableState == -2)
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
        m_currentRow = first;
        if (first >= 0 && getRowState(first) != rsDeleted && matchRow(first, columns, values))
            return first;
    }
    return scanFor(columns, values);
}

int QDataTable::locate(const QString &fldName, const QVariant &value)
{
    // The common case, one field, without building lists of names and values.
    if (m_tableState == -2)
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
    m_currentRow = first;
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
    const QStandardItem *cell = m_model->item(row, column);
    if (!cell || (cell->type() != QStandardItem::UserType + 1 && cell->type() != QStandardItem::UserType + 2))
        return !value.isValid() || value.isNull();
    const QVariant &current = static_cast<const DataTableItem *>(cell)->value();
    if (value.isNull())
        return current.isNull();
    // The usual key, compared without the variant's general comparison.
    if (current.userType() == QMetaType::LongLong && value.userType() == QMetaType::LongLong && !current.isNull())
        return *static_cast<const qlonglong *>(current.constData()) == *static_cast<const qlonglong *>(value.constData());
    return current == value;
}

int QDataTable::scanFor(const QVector<int> &columns, const QList<QVariant> &values)
{
    const int rows = m_model->rowCount();
    if (columns.size() == 1 && !values.first().isNull() && values.first().userType() == QMetaType::QString) {
        // A text searched in a column: compared as text straight from the
        // stored values, the cost of the plainest possible scan.
        const int column = columns.first();
        const QString text = values.first().toString();
        for (int row = 0; row < rows; ++row) {
            const QStandardItem *cell = m_model->item(row, column);
            // The table's own cells, told apart without a dynamic cast.
            if (!cell || (cell->type() != QStandardItem::UserType + 1 && cell->type() != QStandardItem::UserType + 2))
                continue;
            const QVariant &current = static_cast<const DataTableItem *>(cell)->value();
            const bool same = current.userType() == QMetaType::QString
                    ? *static_cast<const QString *>(current.constData()) == text
                    : current == values.first();
            if (!same || getRowState(row) == rsDeleted)
                continue;
            m_currentRow = row;
            return row;
        }
        return -1;
    }
    for (int row = 0; row < rows; ++row) {
        if (!matchRow(row, columns, values) || getRowState(row) == rsDeleted)
            continue;
        m_currentRow = row;
        return row;
    }
    return -1;
}

void QDataTable::getRows(QDataTable *dest, const QStringList &fldNames, const QList<QVariant> &values)
{
    if (!dest || dest == this)
        return;
    dest->close();
    dest->m_columns = m_columns;
    dest->m_recordShapeValid = false;
    dest->m_columnIndexesValid = false;
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
    if (m_keyField.isEmpty() || fldNames.size() != fldValues.size())
        return false;
    if (!overwrite) {
        for (int i = 0; i < fldNames.size(); ++i) {
            if (m_appendedValues.contains(fldNames.at(i), fldValues.at(i)))
                return true;
        }
    }
    for (int i = 0; i < fldNames.size(); ++i) {
        setSelectParam(fldNames.at(i), fldValues.at(i));
        if (!m_appendedValues.contains(fldNames.at(i), fldValues.at(i)))
            m_appendedValues.insert(fldNames.at(i), fldValues.at(i));
    }
    if (m_tableState == -2)
        return open(false, false);

    refetchScripts();
    if (m_selectText.isEmpty() || !m_connection)
        return true;
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    m_connection->execScript(m_selectText, &query, m_selectParams, false);
    if (!query.isSelect())
        return true;

    const int keyColumn = columnIndex(m_keyField);
    while (query.isValid()) {
        const QSqlRecord record = m_connection->convert(query.record(), m_columns);
        query.next();
        if (record.isEmpty())
            continue;
        // The key index alone: a miss is a new row, and a scan of the whole
        // table per new row would make a long append quadratic.
        int row = keyColumn >= 0 ? locateByIndex(keyColumn, record.value(m_keyField)) : -1;
        if (row < 0) {
            const QList<QStandardItem *> items = makeRowItems(nullptr, 0);
            {
                QScopedValueRollback<bool> storing(m_storing, true);
                m_model->appendRow(items);
            }
            auto *head = static_cast<DataTableRowItem *>(items.first());
            for (int c = 0; c < m_columns.size(); ++c)
                fileCell(head, c, QVariant(), QVariant(), QString(), QString(), true);
            row = head->row();
        }
        setRow(row, record, true);
    }
    query.finish();
    // Rows now came from the database, even when the first select had failed.
    if (m_tableState == -1 && rowCount() > 0)
        m_tableState = 0;
    return true;
}

// ---------------------------------------------------------------- filters

void QDataTable::setFilter(const QString &fieldName, const QStringList &values, filterType type)
{
    const int column = columnIndex(fieldName);
    if (column < 0)
        return;
    filterStruct filter;
    filter.type = type;
    filter.values = values;
    m_filters.insert(column, filter);
    applyFilters();
}

void QDataTable::setFilter(const QString &fieldName, const QString &value, filterType type)
{
    setFilter(fieldName, QStringList{value}, type);
}

void QDataTable::clearFilter(const QString &fieldName)
{
    const int column = columnIndex(fieldName);
    if (column < 0)
        return;
    m_filters.remove(column);
    applyFilters();
}

void QDataTable::clearFilter(const QStringList &fieldNames)
{
    for (const QString &name : fieldNames)
        clearFilter(name);
}

void QDataTable::clearAllFilters()
{
    m_filters.clear();
    applyFilters();
}

void QDataTable::applyFilters()
{
    m_hiddenRows = 0;
    if (!m_view)
        return;

    struct Pass {
        bool keep;
        QSet<DataTableRowItem *> rows;
    };
    QVector<Pass> passes;
    for (auto it = m_filters.cbegin(); it != m_filters.cend(); ++it) {
        Pass pass;
        pass.keep = it.value().type == fltKeep;
        const DisplayLookup lookup = m_displayLookups.value(static_cast<int>(it.key()));
        for (const QString &text : it.value().values)
            pass.rows.unite(lookup.value(text));
        passes.append(pass);
    }

    // Each hidden or shown row is a section resize of the vertical header,
    // and a header that paints asks for the section's position after every
    // resize: one pass over all sections per row, seconds for a long table.
    // With its updates suspended the header only records the sizes; the
    // positions are worked out once, when the view next lays the rows out.
    QHeaderView *header = m_view->verticalHeader();
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    for (int row = 0; row < rowCount(); ++row) {
        DataTableRowItem *head = rowItem(row);
        bool visible = true;
        for (const Pass &pass : qAsConst(passes)) {
            if (pass.rows.contains(head) != pass.keep) {
                visible = false;
                break;
            }
        }
        if (m_view->isRowHidden(row) == visible)
            m_view->setRowHidden(row, !visible);
        if (!visible)
            ++m_hiddenRows;
    }
    header->setUpdatesEnabled(updates);
}

QStringList QDataTable::getValuesList(int column) const
{
    const auto lookup = m_displayLookups.constFind(column);
    if (lookup == m_displayLookups.cend())
        return QStringList();
    return lookup->keys();
}

QStringList QDataTable::getValuesList(const QString &fieldName) const
{
    const int column = columnIndex(fieldName);
    return column < 0 ? QStringList() : getValuesList(column);
}

// ---------------------------------------------------------------- restore points

QDataTable::RestorePoint QDataTable::restorePoint() const
{
    RestorePoint point;
    point.tableState = m_tableState;
    point.currentRow = m_currentRow;
    point.modified = m_modified;
    point.autoIncrements = m_autoIncrements;
    const int rows = m_model->rowCount();
    const int columns = m_columns.size();
    point.rows.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        RestorePoint::Row saved;
        saved.values.resize(columns);
        saved.originals.resize(columns);
        for (int c = 0; c < columns; ++c) {
            if (const DataTableItem *item = cellItem(row, c)) {
                saved.values[c] = item->value();
                saved.originals[c] = item->originalValue();
            }
        }
        if (const DataTableRowItem *head = rowItem(row)) {
            saved.state = head->state();
            saved.lock = head->lock();
        }
        point.rows.append(saved);
    }
    const auto rowsOf = [this](const RowQueue &queue) {
        QList<int> numbers;
        for (qint64 id : queue.toList())
            numbers.append(rowOfIdentity(id)->row());
        return numbers;
    };
    point.newRows = rowsOf(m_newRows);
    point.changedRows = rowsOf(m_changedRows);
    point.deletedRows = rowsOf(m_deletedRows);
    return point;
}

void QDataTable::restore(const RestorePoint &point)
{
    disconnectItemChanged();
    // The rows come back as new items: keep the user's place in a bound view.
    const QModelIndex current = m_view ? m_view->currentIndex() : QModelIndex();
    const int scrolled = m_view ? m_view->verticalScrollBar()->value() : 0;
    clear();
    const int columns = m_columns.size();
    const bool listeners = hasDisplayListeners();
    refreshDefaultCell();
    QVector<DataTableRowItem *> heads;
    heads.reserve(point.rows.size());
    for (const RestorePoint::Row &saved : point.rows) {
        const QList<QStandardItem *> items = makeRowItems(saved.originals.constData(), saved.originals.size());
        auto *head = static_cast<DataTableRowItem *>(items.first());
        head->setState(saved.state);
        head->setLock(saved.lock);
        QSqlRecord record = recordShape();
        for (int c = 0; c < columns && c < saved.values.size(); ++c)
            record.setValue(c, saved.values.at(c));
        for (int c = 0; c < columns; ++c) {
            auto *item = static_cast<DataTableItem *>(items.at(c));
            item->acceptValue();
            item->storeValue(saved.values.value(c));
            if (listeners)
                decorate(item, c, &record, saved.state, false);
            if (isFiled(c))
                fileCell(head, c, QVariant(), item->value(), QString(), item->displayText(), true);
        }
        m_model->appendRow(items);
        heads.append(head);
    }
    for (int row : point.newRows)
        m_newRows.append(identityOf(heads.at(row)));
    for (int row : point.changedRows)
        m_changedRows.append(identityOf(heads.at(row)));
    for (int row : point.deletedRows)
        m_deletedRows.append(identityOf(heads.at(row)));
    m_autoIncrements = point.autoIncrements;
    m_tableState = point.tableState;
    m_currentRow = point.currentRow;
    m_modified = point.modified;
    if (!m_filters.isEmpty())
        applyFilters();
    if (m_view && current.isValid()) {
        m_view->setCurrentIndex(m_model->index(current.row(), current.column()));
        m_view->verticalScrollBar()->setValue(scrolled);
    }
    if (m_tableState != -2)
        connectItemChanged();
}

bool QDataTable::hasPendingRows() const
{
    return !m_newRows.isEmpty() || !m_changedRows.isEmpty() || !m_deletedRows.isEmpty();
}

// ---------------------------------------------------------------- dumps

QString QDataTable::prepareDump(bool bFullInfo) const
{
    static const char stateLetters[] = "OAMD";
    QString text;
    if (bFullInfo)
        text += QStringLiteral("ROW_STATE;");
    for (const colInfo &column : m_columns)
        text += QLatin1Char('"') + column.fieldName + QStringLiteral("\";");
    text += QLatin1Char('\n');
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const int state = getRowState(row);
        if (!bFullInfo && state == rsDeleted)
            continue;
        if (bFullInfo)
            text += QString(QLatin1Char(stateLetters[qBound(0, state, 3)])) + QLatin1Char(';');
        for (int c = 0; c < m_model->columnCount(); ++c) {
            const DataTableItem *item = cellItem(row, c);
            text += QLatin1Char('"') + (item ? item->value().toString() : QString()) + QStringLiteral("\";");
        }
        text += QStringLiteral(";\n");
    }
    return text;
}

void QDataTable::dumpTable(QString dmpDir, bool bFullInfo) const
{
    QDir().mkpath(dmpDir);
    const QString fileName = QStringLiteral("%1_%2.csv")
            .arg(objectName(), QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd hh_mm")));
    QFile file(QDir(dmpDir).filePath(fileName));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(prepareDump(bFullInfo).toLocal8Bit());
}

void QDataTable::makeReport(QString fileName) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    // The user's locale is the one the shell makes the default (Russian unless
    // the settings say otherwise), whatever the machine's environment says.
    const QLocale locale;
    const auto valueText = [&locale](const QVariant &value) {
        switch (static_cast<int>(value.type())) {
        case QMetaType::Double:
            return value.toString().replace(QLatin1Char('.'), QLatin1Char(','));
        case QMetaType::QDate:
            return locale.toString(value.toDate(), QLocale::ShortFormat);
        case QMetaType::QTime:
            return locale.toString(value.toTime(), QLocale::ShortFormat);
        case QMetaType::QDateTime:
            return locale.toString(value.toDateTime(), QLocale::ShortFormat);
        default:
            return value.toString();
        }
    };
    QStringList lines;
    QStringList header;
    for (const colInfo &column : m_columns) {
        if (column.visible)
            header.append(QLatin1Char('"') + column.label + QLatin1Char('"'));
    }
    lines.append(header.join(QLatin1Char(';')));
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (getRowState(row) == rsDeleted)
            continue;
        QStringList cells;
        for (int c = 0; c < m_columns.size(); ++c) {
            if (!m_columns.at(c).visible)
                continue;
            const DataTableItem *item = cellItem(row, c);
            cells.append(QLatin1Char('"') + (item ? valueText(item->value()) : QString()) + QLatin1Char('"'));
        }
        lines.append(cells.join(QLatin1Char(';')));
    }
    QTextCodec *codec = QTextCodec::codecForName("cp1251");
    const QString text = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    file.write(codec ? codec->fromUnicode(text) : text.toLocal8Bit());
}
