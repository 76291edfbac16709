#include "qdatatable.h"
#include "qdatatable_p.h"

#include "datatableitem.h"
#include "objvar.h"
#include "qsqlconnection.h"
#include "workplacelogging.h"

#include <QSqlError>
#include <QSqlField>
#include <QStandardItemModel>
#include <QTableView>

#include <limits>

QDataTable::QDataTable(const QString &name, QSqlConnection *connection, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<QDataTablePrivate>())
{
    d->model = new DataTableModel(this);
    setObjectName(name);
    d->model->setObjectName(name + QStringLiteral("_data_"));
    d->model->setSortRole(ValueRole);
    // Whoever removes rows, the pending queues and indexes must never keep
    // pointing at them.
    connect(d->model, &QStandardItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &parent, int first, int last) {
                if (!parent.isValid())
                    forgetRows(first, last);
            });
    connect(d->model, &QStandardItemModel::modelAboutToBeReset, this, &QDataTable::forgetAllRows);
    // Rows appended at the end leave every other row's number as it was.
    connect(d->model, &QStandardItemModel::rowsInserted, this, [this](const QModelIndex &parent, int, int last) {
        if (!parent.isValid() && last != d->model->rowCount() - 1)
            rowsRenumbered();
    });
    const auto rowsMoved = [this] { rowsRenumbered(); };
    connect(d->model, &QStandardItemModel::rowsRemoved, this, rowsMoved);
    connect(d->model, &QStandardItemModel::rowsMoved, this, rowsMoved);
    connect(d->model, &QStandardItemModel::layoutChanged, this, rowsMoved);
    connect(d->model, &QStandardItemModel::modelReset, this, rowsMoved);
    setConnection(connection);
}

QDataTable::QDataTable(QDataTable *other)
    : QDataTable(other ? other->objectName() : QString(), nullptr, nullptr)
{
    if (!other)
        return;
    d->model->setObjectName(other->d->model->objectName());
    d->columns = other->d->columns;
    d->selectName = other->d->selectName;
    d->updateName = other->d->updateName;
    d->insertName = other->d->insertName;
    d->deleteName = other->d->deleteName;
    d->native = other->d->native;
    d->selectText = other->d->selectText;
    d->updateText = other->d->updateText;
    d->insertText = other->d->insertText;
    d->deleteText = other->d->deleteText;
    d->connection = other->d->connection;
    d->state = other->d->state;
    d->autoIncrements = other->d->autoIncrements;
    d->selectParams = other->d->selectParams;
    d->modified = other->d->modified;
    d->directEdit = other->d->directEdit;
    d->currentRow = other->d->currentRow;
    d->keyField = other->d->keyField;
    d->indexDeclarations = other->d->indexDeclarations;
    d->filters = other->d->filters;
    d->appendedValues = other->d->appendedValues;
    // Queues, index entries and display lookups name the other table's rows;
    // the copy has none of them, so it starts with empty ones.
    for (auto it = d->indexDeclarations.cbegin(); it != d->indexDeclarations.cend(); ++it) {
        if (it.value() == idxHash)
            d->indexData.insert(it.key(), SearchIndex());
    }
    if (d->state != tsClosed)
        connectItemChanged();
}

QDataTable::~QDataTable()
{
    // The model outlives this destructor's body as a child; keep it from
    // calling back into members that are already gone.
    disconnect(d->model, nullptr, this, nullptr);
    if (d->shortcut) {
        d->shortcut->setEnabled(false);
        d->shortcut->deleteLater();
    }
}
// ---------------------------------------------------------------- state

QSqlConnection *QDataTable::connection() const
{
    return d->connection;
}

QString QDataTable::selectScript() const
{
    return d->selectText;
}

QString QDataTable::updateScript() const
{
    return d->updateText;
}

QString QDataTable::insertScript() const
{
    return d->insertText;
}

QString QDataTable::deleteScript() const
{
    return d->deleteText;
}

QSqlRecord QDataTable::selectParams() const
{
    return d->selectParams;
}

const infoList &QDataTable::columns() const
{
    return d->columns;
}

int QDataTable::columnIndex(const QString &fieldName) const
{
    return d->columns.indexOf(fieldName);
}

QString QDataTable::keyField() const
{
    return d->keyField;
}

bool QDataTable::isModified() const
{
    return d->modified;
}

int QDataTable::getTableState() const
{
    return d->state;
}

QStandardItemModel *QDataTable::getModel() const
{
    return d->model;
}

int QDataTable::currentRow() const
{
    return d->currentRow;
}

QTableView *QDataTable::getView() const
{
    return d->view;
}

QSqlError QDataTable::lastError() const
{
    return d->lastError;
}

RowConflict QDataTable::lastConflict() const
{
    return d->lastConflict;
}

void QDataTable::setDirectEdit(bool on)
{
    d->directEdit = on;
}

bool QDataTable::directEdit() const
{
    return d->directEdit;
}

// ---------------------------------------------------------------- scripts

void QDataTable::setScripts(const QString &aSelect, const QString &aUpdate, const QString &aInsert,
                            const QString &aDelete, bool bNative)
{
    d->selectName = aSelect;
    d->updateName = aUpdate;
    d->insertName = aInsert;
    d->deleteName = aDelete;
    d->native = bNative;
    if (bNative) {
        setNativeScripts(aSelect, aUpdate, aInsert, aDelete);
        return;
    }
    if (!d->connection) {
        qCWarning(lcTable, "Connection not defined");
        return;
    }
    d->selectText = d->connection->getScript(aSelect);
    d->updateText = d->connection->getScript(aUpdate);
    d->insertText = d->connection->getScript(aInsert);
    d->deleteText = d->connection->getScript(aDelete);
}

void QDataTable::setNativeScripts(const QString &aSelect, const QString &aUpdate, const QString &aInsert,
                                  const QString &aDelete)
{
    // The texts only: the next load or commit fetches them again from the
    // names setScripts was given. Texts meant to last are given to setScripts
    // as native ones.
    d->selectText = aSelect;
    d->updateText = aUpdate;
    d->insertText = aInsert;
    d->deleteText = aDelete;
}

void QDataTable::refetchScripts()
{
    if (d->connection)
        setScripts(d->selectName, d->updateName, d->insertName, d->deleteName, d->native);
}

void QDataTable::setConnection(QSqlConnection *connection)
{
    if (!connection)
        return;
    d->connection = connection;
    refetchScripts();
}

bool QDataTable::setSelectParam(const QString &paramName, const QVariant &paramValue)
{
    if (paramValue.isNull()) {
        const int index = d->selectParams.indexOf(paramName);
        if (index >= 0)
            d->selectParams.remove(index);
        return true;
    }
    if (!d->selectParams.contains(paramName))
        d->selectParams.append(QSqlField(paramName, paramValue.type()));
    d->selectParams.setValue(paramName, paramValue);
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
    d->columns.append(column);
    d->recordShapeValid = false;
    d->columnIndexesValid = false;
    if (aFlg & colSearchIndex)
        addSearchIndex(aFieldName, idxHash);
}

void QDataTable::generateColumns(const QSqlRecord &record)
{
    if (!d->columns.isEmpty())
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
        d->columns.append(column);
    }
    d->recordShapeValid = false;
    d->columnIndexesValid = false;
}

void QDataTable::dropColumns()
{
    if (d->state != tsClosed)
        return;
    d->columns.clear();
    close();
    d->model->clear();
    d->indexDeclarations.clear();
    d->indexData.clear();
    d->recordShapeValid = false;
    d->columnIndexesValid = false;
}

void QDataTable::setKeyField(const QString &aField)
{
    d->keyField = aField;
    if (!d->indexDeclarations.contains(aField))
        addSearchIndex(aField, idxHash);
}

void QDataTable::addSearchIndex(const QString &aField, idxType method)
{
    if (d->indexDeclarations.contains(aField))
        return;
    d->indexDeclarations.insert(aField, method);
    if (method != idxHash)
        return;
    d->indexData.insert(aField, SearchIndex());
    d->columnIndexesValid = false;
    // Rows already loaded are indexed too, so that a late declaration is not a silent miss.
    const int column = columnIndex(aField);
    if (column < 0)
        return;
    SearchIndex &index = d->indexData[aField];
    for (int row = 0; row < d->model->rowCount(); ++row) {
        if (DataTableRowItem *head = rowItem(row))
            index.insert(cellValue(row, column), head);
    }
}

SearchIndex *QDataTable::indexOfColumn(int column)
{
    if (!d->columnIndexesValid) {
        d->columnIndexes.fill(nullptr, d->columns.size());
        for (int c = 0; c < d->columns.size(); ++c) {
            auto it = d->indexData.find(d->columns.at(c).fieldName);
            if (it != d->indexData.end() && d->indexDeclarations.value(it.key()) == idxHash)
                d->columnIndexes[c] = &it.value();
        }
        d->columnIndexesValid = true;
    }
    return column >= 0 && column < d->columnIndexes.size() ? d->columnIndexes.at(column) : nullptr;
}

// ---------------------------------------------------------------- rows

DataTableRowItem *QDataTable::rowItem(int row) const
{
    if (row < 0 || row >= d->model->rowCount())
        return nullptr;
    return dynamic_cast<DataTableRowItem *>(d->model->item(row, 0));
}

DataTableItem *QDataTable::cellItem(int row, int column) const
{
    return d->model->cellItem(row, column);
}

const QVariant &QDataTable::cellValue(int row, int column) const
{
    static const QVariant none;
    const QStandardItem *cell = d->model->item(row, column);
    if (!cell) {
        const DataTableRowItem *head = d->model->packedHead(row, column);
        return head ? head->packed(column) : none;
    }
    // The table's own cells, told apart without a dynamic cast.
    if (cell->type() != QStandardItem::UserType + 1 && cell->type() != QStandardItem::UserType + 2)
        return none;
    const auto *item = static_cast<const DataTableItem *>(cell);
    item->adoptPackedValue();
    return item->value();
}

qint64 QDataTable::identityOf(const DataTableRowItem *item)
{
    return objToVar(item).toLongLong();
}

void QDataTable::rowsRenumbered()
{
    if (++d->rowMoves != 0)
        return;
    // The count has come round: no row's hint may pass for a fresh one.
    d->rowMoves = 1;
    for (int row = 0; row < d->model->rowCount(); ++row) {
        if (DataTableRowItem *head = rowItem(row))
            head->setRowHint(-1, 0);
    }
}

int QDataTable::rowOfHead(DataTableRowItem *head) const
{
    const int hint = head->rowHint(d->rowMoves);
    if (hint >= 0)
        return hint;
    const int row = head->row();
    head->setRowHint(row, d->rowMoves);
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
    items.reserve(d->columns.size());
    for (int c = 0; c < d->columns.size(); ++c) {
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
    if (!d->recordShapeValid) {
        d->recordShape.clear();
        for (const colInfo &column : d->columns)
            d->recordShape.append(QSqlField(column.fieldName, static_cast<QVariant::Type>(column.dataType)));
        d->recordShapeValid = true;
    }
    return d->recordShape;
}

QSqlRecord QDataTable::recordOf(int row) const
{
    QSqlRecord record = recordShape();
    for (int c = 0; c < d->columns.size(); ++c) {
        const QVariant &value = cellValue(row, c);
        if (value.isValid())
            record.setValue(c, value);
    }
    return record;
}

QSqlRecord QDataTable::getOriginalRecord(int row) const
{
    if (row < 0 || row >= d->model->rowCount())
        return QSqlRecord();
    QSqlRecord record = recordShape();
    for (int c = 0; c < d->columns.size(); ++c) {
        const QVariant original = originalValue(row, c);
        if (original.isValid())
            record.setValue(c, original);
    }
    return record;
}

QVariant QDataTable::originalValue(int row, int column) const
{
    // A packed cell was never changed: its value is its original.
    if (d->model->packedHead(row, column))
        return cellValue(row, column);
    const DataTableItem *item = d->model->item(row, column) ? cellItem(row, column) : nullptr;
    return item ? item->originalValue() : QVariant();
}

QVariant QDataTable::conform(const QVariant &value, int dataType) const
{
    // A value that already has the column's type has nothing to convert; the
    // driver call would only copy it twice per cell of a long load.
    if (!d->connection || value.userType() == dataType)
        return value;
    // Whole keys come from the toolkit's driver as unsigned numbers: the
    // conversion every loaded key takes, done here without the driver.
    if (value.userType() == QMetaType::ULongLong && dataType == QMetaType::LongLong && !value.isNull()) {
        const qulonglong number = value.toULongLong();
        if (number <= qulonglong(std::numeric_limits<qlonglong>::max()))
            return QVariant(qlonglong(number));
    }
    const QVariant converted = d->connection->convert(value, static_cast<QVariant::Type>(dataType));
    return converted.isNull() ? value : converted;
}

QSqlRecord QDataTable::conformRecord(QSqlRecord record) const
{
    for (int f = 0; f < record.count(); ++f) {
        const int c = columnIndex(record.fieldName(f));
        if (c >= 0)
            record.setValue(f, conform(record.value(f), d->columns.at(c).dataType));
    }
    return record;
}

int QDataTable::rowCount() const
{
    return d->model->rowCount();
}

int QDataTable::lastRow() const
{
    return rowCount() - 1;
}

int QDataTable::visibleRowCount() const
{
    return rowCount() - d->hiddenRows;
}

QSqlRecord QDataTable::getRecord(int row, bool skipDeleted) const
{
    if (row < 0 || row >= d->model->rowCount())
        return QSqlRecord();
    const int state = getRowState(row);
    if (skipDeleted && state == rsDeleted)
        return QSqlRecord();
    // A table whose select failed shows only what was added to it since.
    if (d->state == tsNoData && state != rsNew)
        return QSqlRecord();
    return recordOf(row);
}

QVariant QDataTable::getField(const QString &fldName, int rowNum)
{
    if (d->state == tsClosed || rowCount() == 0)
        return QVariant();
    const QSqlRecord record = getRecord(rowNum < 0 ? d->currentRow : rowNum, false);
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
    if (d->state == tsClosed)
        return false;
    d->currentRow = 0;
    return true;
}

bool QDataTable::last()
{
    if (d->state == tsClosed)
        return false;
    d->currentRow = rowCount() - 1;
    return true;
}

bool QDataTable::next()
{
    if (d->state == tsClosed || d->currentRow + 1 >= rowCount())
        return false;
    ++d->currentRow;
    return true;
}

bool QDataTable::prev()
{
    if (d->state == tsClosed || d->currentRow < 1)
        return false;
    --d->currentRow;
    return true;
}
