#ifndef QDATATABLE_P_H
#define QDATATABLE_P_H

// The state of a QDataTable. Not part of the library's interface: only the
// table's own sources include it.

#include "celldata.h"
#include "colinfo.h"
#include "datatablemodel.h"
#include "datatabletypes.h"
#include "rowconflict.h"
#include "rowqueue.h"
#include "searchindex.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QMultiMap>
#include <QPointer>
#include <QSet>
#include <QShortcut>
#include <QSqlError>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QString>
#include <QTableView>
#include <QVector>

class DataTableRowItem;
class QSqlConnection;

class QDataTablePrivate
{
public:
    // Rows filed under the text a column shows, for filters and value lists.
    using DisplayLookup = QHash<QString, QSet<DataTableRowItem *>>;

    infoList columns;

    // What is actually run, and the names setScripts was given.
    QString selectText;
    QString updateText;
    QString insertText;
    QString deleteText;
    QString selectName;
    QString updateName;
    QString insertName;
    QString deleteName;
    bool native = false;

    QSqlConnection *connection = nullptr; // not owned
    DataTableModel *model = nullptr;      // a child of the table
    tableState state = tsClosed;

    RowQueue newRows;
    RowQueue changedRows;
    RowQueue deletedRows;

    QMap<QString, int> autoIncrements;
    QSqlRecord selectParams;
    bool modified = false;
    bool directEdit = false;
    int currentRow = -1;
    QString keyField;

    QMap<QString, SearchIndex> indexData;
    QMap<QString, idxType> indexDeclarations;
    QPointer<QTableView> view;
    QPointer<QShortcut> shortcut;
    QMap<qint64, filterStruct> filters;
    // Made when filters or value lists first ask, then kept true by every
    // stored cell until the rows are thrown away: a table nobody filters
    // pays nothing for them.
    QMap<int, DisplayLookup> displayLookups;
    bool displayLookupsMade = false;
    int hiddenRows = 0;
    QMultiMap<QString, QVariant> appendedValues;

    QSqlError lastError;
    RowConflict lastConflict;

    // Derived caches and guards.
    mutable QSqlRecord recordShape;
    mutable bool recordShapeValid = false;
    QVector<SearchIndex *> columnIndexes;
    bool columnIndexesValid = false;
    bool storing = false;       // the table's own writes never count as user edits
    bool forgettingAll = false; // clear() empties indexes wholesale
    bool loadAborted = false;
    quint64 loadGeneration = 0; // tells a yielding load that the rows it fills were thrown away
    quint32 rowMoves = 1;       // counts changes that renumber rows: inserts before the end, removals, sorts
    cellData defaultCell;       // what a cell shows before its display callback
    cellData callbackCell;      // what display callbacks fill, reused from cell to cell
    bool decorating = false;

    // A long load or commit yields to the event loop this often, not after
    // every row: the interface stays responsive and a 100,000-row load does
    // not spend its time dispatching empty event queues.
    static void yieldWhenDue(bool backGround, QElapsedTimer *clock)
    {
        constexpr int yieldIntervalMs = 20;
        if (!backGround || clock->elapsed() < yieldIntervalMs)
            return;
        QCoreApplication::processEvents();
        clock->restart();
    }

    static QVariant typedNull(int dataType) { return QVariant(static_cast<QVariant::Type>(dataType)); }
};

#endif // QDATATABLE_P_H
