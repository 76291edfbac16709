#include "pgtableread.h"

#include "pgvalues.h"

#include <libpq-fe.h>

#include <string_view>
#include <unordered_map>

namespace {

// Repeated short texts of a column (codes, states, units of measure) share
// one string: a look-up costs less than making the string, and a list of
// 100,000 rows over a few dozen codes holds a few dozen strings. A column
// whose texts mostly differ soon stops looking.
class SharedTexts
{
public:
    QVariant take(const char *text, int length)
    {
        if (!m_looking || length > maxLength)
            return QVariant(QString::fromUtf8(text, length));
        const std::string_view key(text, static_cast<size_t>(length));
        const auto found = m_texts.find(key);
        if (found != m_texts.end()) {
            ++m_hits;
            return QVariant(found->second);
        }
        const QString value = QString::fromUtf8(text, length);
        if (m_texts.size() >= trialTexts && m_hits < m_texts.size()) {
            m_looking = false;
            m_texts.clear();
        } else if (m_texts.size() < maxTexts) {
            m_texts.emplace(key, value);
        }
        return QVariant(value);
    }

private:
    static constexpr int maxLength = 24;
    static constexpr size_t trialTexts = 512;
    static constexpr size_t maxTexts = 65536;

    // The keys point into the result, which outlives the read.
    std::unordered_map<std::string_view, QString> m_texts;
    size_t m_hits = 0;
    bool m_looking = true;
};

} // namespace

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
    std::vector<SharedTexts> texts(static_cast<size_t>(columnCount));
    for (int row = 0; row < rowCount; ++row) {
        for (int c = 0; c < columnCount; ++c) {
            if (PQgetisnull(rows, row, c))
                values[c] = QVariant(types.at(c));
            else if (types.at(c) == QVariant::String)
                values[c] = texts[static_cast<size_t>(c)].take(PQgetvalue(rows, row, c), PQgetlength(rows, row, c));
            else
                values[c] = PgValues::valueOf(PQgetvalue(rows, row, c), PQgetlength(rows, row, c), types.at(c),
                                              oids.at(c));
        }
        if (!receiver->take(values.data()))
            break;
    }
    return RowsRead;
}
