#ifndef DATATABLETYPES_H
#define DATATABLETYPES_H

#include <QStringList>
#include <Qt>

// Item roles of data table cells, beyond the toolkit's own.
enum DataTableRole {
    OriginalValueRole = Qt::UserRole + 1, // 257: the value as loaded or last accepted
    ValueRole = Qt::UserRole + 2,         // 258: the current value; the sort role
    RowStateRole = Qt::UserRole + 3,      // 259: column 0 only
    LockRole = Qt::UserRole + 4           // 260: column 0 only
};

// What a pending row is waiting for.
enum rowState {
    rsUnchanged = 0,
    rsNew = 1,
    rsChanged = 2,
    rsDeleted = 3
};

// Where a table is in its life, as getTableState() gives it.
enum tableState {
    tsClosed = -2, // after construction and close
    tsNoData = -1, // open, but the select failed or there is none; columns known
    tsOpen = 0     // open with data, also after the first new row
};

// Set by callers to mark rows as taken; the table itself never refuses an edit for it.
typedef int lockState;

// Kinds of search index; only the hash index is maintained and used.
enum idxType {
    idxHash = 2
};

// Kind 0 keeps the rows showing one of the texts; any other kind hides them.
enum filterType {
    fltKeep = 0,
    fltHide = 1
};

struct filterStruct
{
    filterType type = fltKeep;
    QStringList values;
};

#endif // DATATABLETYPES_H
