#ifndef PGTABLEREAD_H
#define PGTABLEREAD_H

#include "drivertypes.h"

#include <QSqlDatabase>

// Reads a select's whole result over the connection the toolkit's driver
// opened, converting every value once, directly from the server's text, into
// what QSqlQuery::value() would give for it, and then hands the rows over. A
// table loaded this way skips the toolkit's per-row and per-value machinery,
// which costs more than the rows themselves.
class PgTableRead
{
public:
    // See DriverApi::ReadRowsFn.
    static int run(QSqlDatabase db, const QString &statement, RowReceiver *receiver, QSqlError *error);
};

#endif // PGTABLEREAD_H
