#ifndef QDATATABLE_H
#define QDATATABLE_H

#include "celldata.h"
#include "colinfo.h"
#include "datatabletypes.h"
#include "dealsglobal.h"
#include "drivertypes.h"
#include "rowconflict.h"
#include "rowqueue.h"

#include <QHash>
#include <QMap>
#include <QMultiHash>
#include <QMultiMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QShortcut>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringList>
#include <QTableView>
#include <QVariant>
#include <QVector>

#include <memory>
#include <optional>

class DataTableItem;
class DataTableRowItem;
class QIcon;
class QModelIndex;
class QSqlConnection;
class QSqlQuery;
class QStandardItem;
class QStandardItemModel;
class QDataTablePrivate;
class SearchIndex;

// The in-memory table every document, list and editor works on: rows in an
// item model that views show directly, loaded by a select script, edited in
// memory with a state per row, and written back by delete, insert and update
// scripts. Search indexes and view filters work on the same rows.
class DEALS_EXPORT QDataTable : public QObject
{
    Q_OBJECT

public:
    explicit QDataTable(const QString &name, QSqlConnection *connection = nullptr, QObject *parent = nullptr);
    // A structural copy: columns, scripts, parameters, index declarations and
    // filters, with a new empty model and no view. Rows are not copied.
    explicit QDataTable(QDataTable *other);
    ~QDataTable() override;

    void setConnection(QSqlConnection *connection);
    QSqlConnection *connection() const;
    QString selectScript() const;
    QString updateScript() const;
    QString insertScript() const;
    QString deleteScript() const;
    QSqlRecord selectParams() const;

    const infoList &columns() const;
    int columnIndex(const QString &fieldName) const;
    void generateColumns(const QSqlRecord &record);
    QString keyField() const;

    bool fillTable(bool backGround = false, bool printQuery = false);
    void clear();
    bool isModified() const;

    QSqlRecord getRecord(int row, bool skipDeleted = false) const;
    // The row as loaded or last accepted (role 257), whatever the user changed since.
    QSqlRecord getOriginalRecord(int row) const;
    int getRowState(int row) const;
    int getLock(int row) const;
    int getTableState() const;
    QStandardItemModel *getModel() const;
    int currentRow() const;

    void setView(QTableView *view);
    QTableView *getView() const;
    void prepareView(QTableView *view);
    int getViewCurrentRow() const;
    QSqlRecord getViewCurrentRecord() const;

    QSqlRecord newRow(bool setNow = true);
    QSqlRecord newFirstRow(bool setNow = true);
    bool setRow(int row, const QSqlRecord &record, bool original = false);
    bool setRowState(int row, rowState state);
    void forceInsert(int row);
    void forceUpdate(int row);
    bool setLock(int row, lockState lock);
    bool deleteRow(int row);
    bool killRow(int row);
    bool resetOriginalData(int row, bool keepValues = false);
    // Takes a row as the server now stores it as the row's original and keeps
    // the fields the user changed on top of it: after a conflict, the user's
    // edits then apply to the other person's version (and its row version).
    // The row stays queued for its update or delete. False for new rows.
    bool rebaseRow(int row, const QSqlRecord &stored);

    // Why the last open or commit failed: the script's error, the lost
    // connection, or for a conflict RowConflict::error(). Invalid after a success.
    QSqlError lastError() const;
    // The row whose update or delete found nothing in the last commit.
    RowConflict lastConflict() const;

    int locate(const QStringList &fldNames, const QList<QVariant> &values);
    int locate(const QString &fldName, const QVariant &value);
    bool match(const QSqlRecord &record, const QStringList &fldNames, const QList<QVariant> &values) const;
    void getRows(QDataTable *dest, const QStringList &fldNames, const QList<QVariant> &values);
    void getRows(QDataTable *dest, const QString &fldName, const QVariant &value);

    void setFilter(const QString &fieldName, const QStringList &values, filterType type);
    void setFilter(const QString &fieldName, const QString &value, filterType type);
    void clearFilter(const QString &fieldName);
    void clearFilter(const QStringList &fieldNames);
    void clearAllFilters();
    void applyFilters();
    QStringList getValuesList(int column) const;
    QStringList getValuesList(const QString &fieldName) const;

    void setDirectEdit(bool on);
    bool directEdit() const;

    // The rows, states and queues as they are now, so that a data set whose
    // transaction failed can put its tables back as they were before the attempt.
    struct RestorePoint
    {
        struct Row
        {
            QVector<QVariant> values;
            QVector<QVariant> originals;
            int state = 0;
            int lock = 0;
        };
        QVector<Row> rows;
        QList<int> newRows;
        QList<int> changedRows;
        QList<int> deletedRows;
        QMap<QString, int> autoIncrements;
        int tableState = -2;
        int currentRow = -1;
        bool modified = false;
    };
    RestorePoint restorePoint() const;
    void restore(const RestorePoint &point);
    // Rows waiting for a delete, insert or update script.
    bool hasPendingRows() const;

    // Plain-text exports: the stored values (and states) for diagnosis, and
    // the visible columns for a spreadsheet program.
    Q_INVOKABLE QString prepareDump(bool bFullInfo = false) const;
    Q_INVOKABLE void dumpTable(QString dmpDir, bool bFullInfo = false) const;
    void makeReport(QString fileName) const;

public Q_SLOTS:
    void setScripts(const QString &aSelect, const QString &aUpdate, const QString &aInsert,
                    const QString &aDelete, bool bNative = false);
    void setNativeScripts(const QString &aSelect, const QString &aUpdate, const QString &aInsert,
                          const QString &aDelete);
    bool setSelectParam(const QString &paramName, const QVariant &paramValue);
    void addColumn(const QString &aFieldName, int aDataType, bool aVisible = true, const QString &aLabel = QString(),
                   int nAutoInc = 0, int aWidth = 100, const QVariant &aDefValue = QVariant(), int aFlg = 0,
                   const QString &aToolTip = QString(), QIcon *aHeaderIcon = nullptr);
    int rowCount() const;
    int visibleRowCount() const;
    bool open(bool backGround = false, bool printQuery = false);
    bool append(const QString &fldName, const QVariant &fldValue, bool overwrite = false);
    bool append(const QStringList &fldNames, const QList<QVariant> &fldValues, bool overwrite = false);
    void close();
    bool commit(bool backGround = false);
    bool rollback();
    bool first();
    bool last();
    bool next();
    bool prev();
    QVariant getField(const QString &fldName, int rowNum = -1);
    bool setField(const QString &fldName, const QVariant &fldData);
    bool setNull(const QString &fldName);
    bool addRow();
    bool addFirstRow();
    void dropColumns();
    void setKeyField(const QString &aField);
    void addSearchIndex(const QString &aField, idxType method = idxHash);
    int lastRow() const;
    void onItemChanged(QStandardItem *item);
    void onIDRequest();

Q_SIGNALS:
    void getDispInfo(int column, QVariant *value, QCellData *cell, QSqlRecord *record, int state);
    void dataChanged(QString fldName, QVariant oldVal, QVariant newVal, QString tabName);

private:

    void refetchScripts();
    void setupHeaders(bool full);
    void connectItemChanged();
    void disconnectItemChanged();
    bool hasDisplayListeners() const;

    DataTableRowItem *rowItem(int row) const;
    // The cell's item, made when its value was packed in the row's head.
    DataTableItem *cellItem(int row, int column) const;
    // The cell's value and original without making its item.
    const QVariant &cellValue(int row, int column) const;
    QVariant originalValue(int row, int column) const;
    QList<QStandardItem *> makeRowItems(const QVariant *values, int count) const;
    static qint64 identityOf(const DataTableRowItem *item);
    // The head's row number, without asking the model while no row moved.
    int rowOfHead(DataTableRowItem *head) const;
    void rowsRenumbered();
    DataTableRowItem *rowOfIdentity(qint64 id) const;

    const QSqlRecord &recordShape() const;
    QSqlRecord recordOf(int row) const;
    QVariant conform(const QVariant &value, int dataType) const;
    QSqlRecord conformRecord(QSqlRecord record) const;

    // Bits of the columns (from 1) whose loaded cells may stay packed in the
    // row's head: all of them, or the hidden ones when a callback decorates.
    struct PackedColumns
    {
        quint64 all = 0;
        quint64 hidden = 0;
    };
    PackedColumns packedColumns() const;
    // The select's rows to the receiver: through the driver in one go where
    // it can, else through QSqlQuery.
    class LoadReceiver;
    bool readSelect(bool printQuery, RowReceiver *receiver);
    // A loaded row's items, decorated and filed: its head alone when every
    // other cell stays packed in it, else one item or null for each column.
    QList<QStandardItem *> loadedRowItems(const QVariant *rowValues, QSqlRecord *record,
                                          const PackedColumns &packable);
    static constexpr int loadBatchRows = 256;
    void refreshDefaultCell();
    void decorate(DataTableItem *item, int column, QSqlRecord *record, int state, bool alwaysCall,
                  bool clearBackground = false);
    // A loaded cell's item as its display callbacks decorate it; null when
    // they leave it showing its value alone, so that it may stay packed.
    DataTableItem *decoratedLoadedCell(int column, const QVariant &value, QSqlRecord *record);
    // The cell the display callbacks make of the value, or null when none is
    // called (the column is hidden, nobody listens). `nested` holds the cell
    // of a callback that stores cells of this very table.
    const cellData *shownCell(int column, const QVariant &value, QSqlRecord *record, int state, bool alwaysCall,
                              bool clearBackground, std::optional<cellData> *nested);
    void storeCell(DataTableRowItem *head, DataTableItem *item, int column, const QVariant &value,
                   bool original, QSqlRecord *record, int state);

    SearchIndex *indexOfColumn(int column);
    bool isFiled(int column);
    // Files every row under the texts its cells show, when nobody asked for that before.
    void makeDisplayLookups() const;
    void fileCell(DataTableRowItem *head, int column, const QVariant &oldValue, const QVariant &newValue,
                  const QString &oldDisplay, const QString &newDisplay, bool fresh);
    void forgetRows(int first, int last);
    void unfileDisplay(DataTableRowItem *head, int column, const QString &text);
    void forgetAllRows();

    QSet<DataTableRowItem *> candidatesFromIndex(const QVector<int> &columns, const QList<QVariant> &values);
    bool matchRow(int row, const QVector<int> &columns, const QList<QVariant> &values) const;
    bool resolveColumns(const QStringList &fldNames, QVector<int> *columns) const;
    bool cellMatches(int row, int column, const QVariant &value) const;
    // The index's candidate for the value, as the current row, when it is a live match; -1 otherwise.
    int locateByIndex(int column, const QVariant &value);
    // The first row, not deleted, whose values match; it becomes the current row.
    int scanFor(const QVector<int> &columns, const QList<QVariant> &values);

    QSqlRecord insertRow(int position, bool setNow);
    bool runRowScript(const QString &script, int row, QSqlQuery *query);
    // Runs the script for each row of the queue in order; `written` takes each
    // row the script accepted. False at the first failure.
    using RowWritten = void (QDataTable::*)(qint64 id, int row, const RowScriptResult &result);
    bool writeQueue(RowQueue &queue, const QString &script, const char *kind, bool backGround, RowWritten written,
                    RowConflict::Operation conflictOn);
    // The queue's executions sent together; RowScriptsNotSent leaves the queue to the row-by-row path.
    int writeQueueTogether(RowQueue &queue, const QString &script, RowWritten written,
                           RowConflict::Operation conflictOn);
    static RowScriptResult resultOf(QSqlQuery &query);
    static bool affectedRow(const RowScriptResult &result);
    void reportConflict(RowConflict::Operation operation, int row);
    void rowDeleted(qint64 id, int row, const RowScriptResult &result);
    void rowInserted(qint64 id, int row, const RowScriptResult &result);
    void rowUpdated(qint64 id, int row, const RowScriptResult &result);
    // Takes a row the server stored as the row's original.
    void takeStoredRow(int row, const QSqlRecord &stored);
    // resetOriginalData, leaving the display of the cells in storedNext to the store that follows.
    bool resetRow(int row, bool keepValues, const QSqlRecord *storedNext);

    const std::unique_ptr<QDataTablePrivate> d;
};

#endif // QDATATABLE_H
