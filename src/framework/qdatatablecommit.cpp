// Writing the queues back with the row scripts, rolling back, and restore
// points for a data set whose transaction failed.

#include "qdatatable.h"
#include "qdatatable_p.h"

#include "appcontext.h"
#include "datatableitem.h"
#include "qsqlconnection.h"
#include "workplacelogging.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>

// ---------------------------------------------------------------- commit

void QDataTable::connectItemChanged()
{
    connect(d->model, &QStandardItemModel::itemChanged, this, &QDataTable::onItemChanged, Qt::UniqueConnection);
}

void QDataTable::disconnectItemChanged()
{
    disconnect(d->model, &QStandardItemModel::itemChanged, this, &QDataTable::onItemChanged);
}

bool QDataTable::runRowScript(const QString &script, int row, QSqlQuery *query)
{
    if (!d->connection) {
        d->lastError = QSqlError(QString(), QStringLiteral("У таблицы %1 нет соединения с базой данных.").arg(objectName()),
                                QSqlError::ConnectionError);
        return false;
    }
    d->connection->execScript(script, query, recordOf(row), false);
    // An inactive query without an error means nothing ran: that is no success either.
    if (query->isActive() && query->lastError().type() == QSqlError::NoError)
        return true;
    if (d->connection->lastError().isValid())
        d->lastError = d->connection->lastError();
    else if (query->lastError().isValid())
        d->lastError = query->lastError();
    else
        d->lastError = QSqlError(QString(), QStringLiteral("Нет соединения с базой данных."), QSqlError::ConnectionError);
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
    QString keyField = d->keyField;
    if (keyField.isEmpty() && columnIndex(QStringLiteral("id")) >= 0)
        keyField = QStringLiteral("id");
    d->lastConflict = RowConflict(objectName(), operation, keyField, recordOf(row), getOriginalRecord(row));
    d->lastError = d->lastConflict.error();
    d->connection->reportFailure(QString(), d->lastError);
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
    const bool keyReadBack = written == &QDataTable::rowInserted && !d->keyField.isEmpty() && AppContext::noStoredProc();
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
        QSqlQuery query(d->connection ? d->connection->database() : QSqlDatabase());
        if (!runRowScript(script, row, &query)) {
            query.finish();
            return false;
        }
        // A row that was never stored (new, then deleted) has nothing to find.
        if (conflictOn != RowConflict::NoOperation && !d->newRows.contains(id) && !affectedRow(resultOf(query))) {
            query.finish();
            reportConflict(conflictOn, row);
            return false;
        }
        if (keyReadBack)
            d->connection->scopeIdentity(objectName(), &query);
        const RowScriptResult result = resultOf(query);
        query.finish();
        (this->*written)(id, row, result);
        QDataTablePrivate::yieldWhenDue(backGround, &clock);
    }
    return true;
}

int QDataTable::writeQueueTogether(RowQueue &queue, const QString &script, RowWritten written,
                                   RowConflict::Operation conflictOn)
{
    if (!d->connection)
        return RowScriptsNotSent;
    const QList<qint64> pending = queue.toList();
    QList<QSqlRecord> records;
    QVector<bool> mustFind;
    records.reserve(pending.size());
    mustFind.reserve(pending.size());
    for (qint64 id : pending) {
        records.append(recordOf(rowOfIdentity(id)->row()));
        // A row that was never stored (new, then deleted) has nothing to find.
        mustFind.append(conflictOn != RowConflict::NoOperation && !d->newRows.contains(id));
    }
    QList<RowScriptResult> results;
    int failed = -1;
    const int outcome = d->connection->execRowScripts(script, records, mustFind, &results, &failed);
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
    d->model->removeRow(row);
}

void QDataTable::rowInserted(qint64 id, int row, const RowScriptResult &result)
{
    const int keyColumn = columnIndex(d->keyField);
    const QVariant oldKey = keyColumn >= 0 ? recordOf(row).value(keyColumn) : QVariant();
    d->newRows.remove(id);
    if (!result.returnsRows || result.rowCount == 0)
        return;
    // The row now is what the database holds: its own values first,
    // then whatever the server returned (the new key, computed columns).
    takeStoredRow(row, conformRecord(result.row));
    // Announced without a key field too, with empty values: links have nothing to follow then.
    const QVariant newKey = keyColumn >= 0 ? recordOf(row).value(keyColumn) : QVariant();
    qCDebug(lcTable).noquote() << "emit dataChanged(" << d->keyField << oldKey.toString() << newKey.toString()
                               << objectName() << ") ";
    emit dataChanged(d->keyField, oldKey, newKey, objectName());
}

void QDataTable::rowUpdated(qint64 id, int row, const RowScriptResult &result)
{
    if (!result.returnsRows || result.rowCount == 0)
        resetOriginalData(row, true);
    else
        takeStoredRow(row, conformRecord(result.row));
    d->changedRows.remove(id);
}

void QDataTable::takeStoredRow(int row, const QSqlRecord &stored)
{
    // The cells the server returned are stored and shown once, by setRow;
    // the reset only shows the others again.
    resetRow(row, true, &stored);
    setRow(row, stored, true);
}

bool QDataTable::commit(bool backGround)
{
    d->lastError = QSqlError();
    d->lastConflict = RowConflict();
    disconnectItemChanged();
    // Scripts read on a broken connection are empty, and an empty script lets
    // its rows wait while the commit reports success: write only on a
    // connection that is there.
    if (d->connection && hasPendingRows() && !d->connection->ensureConnected()) {
        d->lastError = d->connection->lastError().isValid()
                ? d->connection->lastError()
                : QSqlError(QString(), QStringLiteral("Нет соединения с базой данных."), QSqlError::ConnectionError);
        return false;
    }
    const QStringList held = {d->deleteText, d->insertText, d->updateText};
    refetchScripts();
    if (d->connection && d->connection->connectionLost() && hasPendingRows()) {
        d->lastError = d->connection->lastError();
        return false;
    }
    // A script that was there a moment ago and now reads empty could not be
    // read; taken as "no script", its rows would wait while the commit succeeds.
    const QStringList fetched = {d->deleteText, d->insertText, d->updateText};
    const QList<const RowQueue *> queues = {&d->deletedRows, &d->newRows, &d->changedRows};
    for (int i = 0; i < queues.size(); ++i) {
        if (queues.at(i)->isEmpty() || !fetched.at(i).isEmpty() || held.at(i).isEmpty())
            continue;
        d->lastError = QSqlError(QString(), QStringLiteral("Скрипт таблицы %1 не удалось прочитать из базы данных.")
                                                   .arg(objectName()),
                                QSqlError::ConnectionError);
        d->connection->reportFailure(QString(), d->lastError);
        return false;
    }
    // A failure leaves the rows as they are and the change signal disconnected
    // until rollback or the next open. An update or delete that finds no row
    // met a row somebody else changed or deleted: a conflict, not a success.
    if (!writeQueue(d->deletedRows, d->deleteText, "delete", backGround, &QDataTable::rowDeleted, RowConflict::Delete)
        || !writeQueue(d->newRows, d->insertText, "insert", backGround, &QDataTable::rowInserted, RowConflict::NoOperation)
        || !writeQueue(d->changedRows, d->updateText, "update", backGround, &QDataTable::rowUpdated, RowConflict::Update)) {
        return false;
    }
    if (d->state != tsClosed)
        connectItemChanged();
    // A completed commit clears the flag, also when a queue without a script
    // keeps its rows waiting: they stay queued for the commit that has one.
    d->modified = false;
    return true;
}

bool QDataTable::rollback()
{
    disconnectItemChanged();
    const QList<qint64> added = d->newRows.toList();
    for (qint64 id : added) {
        if (d->newRows.contains(id))
            d->model->removeRow(rowOfIdentity(id)->row());
    }
    d->newRows.clear();
    const QList<qint64> changed = d->changedRows.toList();
    for (qint64 id : changed) {
        if (d->changedRows.contains(id))
            resetOriginalData(rowOfIdentity(id)->row(), false);
    }
    d->changedRows.clear();
    const QList<qint64> deleted = d->deletedRows.toList();
    for (qint64 id : deleted) {
        if (d->deletedRows.contains(id))
            resetOriginalData(rowOfIdentity(id)->row(), false);
    }
    d->deletedRows.clear();
    if (d->state != tsClosed)
        connectItemChanged();
    d->modified = false;
    return true;
}

// ---------------------------------------------------------------- restore points

QDataTable::RestorePoint QDataTable::restorePoint() const
{
    RestorePoint point;
    point.tableState = d->state;
    point.currentRow = d->currentRow;
    point.modified = d->modified;
    point.autoIncrements = d->autoIncrements;
    const int rows = d->model->rowCount();
    const int columns = d->columns.size();
    point.rows.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        RestorePoint::Row saved;
        saved.values.resize(columns);
        saved.originals.resize(columns);
        for (int c = 0; c < columns; ++c) {
            saved.values[c] = cellValue(row, c);
            saved.originals[c] = originalValue(row, c);
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
    point.newRows = rowsOf(d->newRows);
    point.changedRows = rowsOf(d->changedRows);
    point.deletedRows = rowsOf(d->deletedRows);
    return point;
}

void QDataTable::restore(const RestorePoint &point)
{
    disconnectItemChanged();
    // The rows come back as new items: keep the user's place in a bound view.
    const QModelIndex current = d->view ? d->view->currentIndex() : QModelIndex();
    const int scrolled = d->view ? d->view->verticalScrollBar()->value() : 0;
    clear();
    const int columns = d->columns.size();
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
        d->model->appendRow(items);
        heads.append(head);
    }
    for (int row : point.newRows)
        d->newRows.append(identityOf(heads.at(row)));
    for (int row : point.changedRows)
        d->changedRows.append(identityOf(heads.at(row)));
    for (int row : point.deletedRows)
        d->deletedRows.append(identityOf(heads.at(row)));
    d->autoIncrements = point.autoIncrements;
    d->state = static_cast<tableState>(point.tableState);
    d->currentRow = point.currentRow;
    d->modified = point.modified;
    if (!d->filters.isEmpty())
        applyFilters();
    if (d->view && current.isValid()) {
        d->view->setCurrentIndex(d->model->index(current.row(), current.column()));
        d->view->verticalScrollBar()->setValue(scrolled);
    }
    if (d->state != tsClosed)
        connectItemChanged();
}

bool QDataTable::hasPendingRows() const
{
    return !d->newRows.isEmpty() || !d->changedRows.isEmpty() || !d->deletedRows.isEmpty();
}
