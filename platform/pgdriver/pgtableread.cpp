#include "pgtableread.h"

#include "pgvalues.h"

#include <libpq-fe.h>

int PgTableRead::run(QSqlDatabase db, const QString &statement, RowReceiver *receiver, QSqlError *error)
{
    *error = QSqlError();
    PGconn *connection = PgValues::connectionOf(db);
    if (!connection || PQstatus(connection) != CONNECTION_OK)
        return RowsNotRead;
    // Another statement's answer still being read, or a transaction that
    // already failed: QSqlQuery reads it, as it always did.
    const PGTransactionStatusType transaction = PQtransactionStatus(connection);
    if (transaction != PQTRANS_IDLE && transaction != PQTRANS_INTRANS)
        return RowsNotRead;

    const PgValues::Result result(PQexec(connection, statement.toUtf8().constData()));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_TUPLES_OK) {
        // A statement that ran but answered with no rows at all is no select:
        // no error, nothing read.
        if (status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY)
            *error = PgValues::errorOf(connection, result.get());
        return RowsReadFailed;
    }

    const PGresult *rows = result.get();
    const int columnCount = PQnfields(rows);
    const int rowCount = PQntuples(rows);
    QVector<QVariant::Type> types(columnCount);
    QVector<Oid> oids(columnCount);
    for (int c = 0; c < columnCount; ++c) {
        oids[c] = PQftype(rows, c);
        types[c] = PgValues::typeOf(oids.at(c));
    }
    receiver->begin(PgValues::shapeOf(rows), rowCount);
    // One row's values at a time: the receiver takes them, and libpq's copy
    // of the result is the only whole one there is.
    QVector<QVariant> values(columnCount);
    for (int row = 0; row < rowCount; ++row) {
        for (int c = 0; c < columnCount; ++c) {
            if (PQgetisnull(rows, row, c))
                values[c] = QVariant(types.at(c));
            else
                values[c] = PgValues::valueOf(PQgetvalue(rows, row, c), PQgetlength(rows, row, c), types.at(c),
                                              oids.at(c));
        }
        if (!receiver->take(values.data()))
            break;
    }
    return RowsRead;
}
