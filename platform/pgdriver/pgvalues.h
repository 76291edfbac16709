#ifndef PGVALUES_H
#define PGVALUES_H

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <QVariant>

#include <memory>

struct pg_conn;
struct pg_result;

// Values of a libpq result typed and converted as the toolkit's PostgreSQL
// driver converts them for QSqlQuery::value(), so that rows read past that
// driver (a row script's answers, a whole table read at once) are the very
// values a QSqlQuery gives. The common types are parsed directly from the
// server's text; the rare ones go the toolkit's way.
class PgValues
{
public:
    struct ResultDeleter
    {
        void operator()(pg_result *result) const;
    };
    using Result = std::unique_ptr<pg_result, ResultDeleter>;

    static QVariant::Type typeOf(unsigned oid);
    static QVariant valueAt(const pg_result *result, int row, int column);
    // One value from its text as the server wrote it; null texts are for the caller.
    static QVariant valueOf(const char *text, int length, QVariant::Type type, unsigned oid);
    // The result's fields, named and typed; no values.
    static QSqlRecord shapeOf(const pg_result *result);

    // The libpq connection under an open database of the toolkit's driver; null otherwise.
    static pg_conn *connectionOf(const QSqlDatabase &db);
    // A failed statement worded as the toolkit's driver words it.
    static QSqlError errorOf(pg_conn *connection, const pg_result *result);
};

#endif // PGVALUES_H
