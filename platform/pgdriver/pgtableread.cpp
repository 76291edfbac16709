#include "pgtableread.h"

#include "pgvalues.h"

#include <libpq-fe.h>

#include <QHash>

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
        const auto found = m_texts.constFind(QByteArray::fromRawData(text, length));
        if (found != m_texts.cend()) {
            ++m_hits;
            return QVariant(found.value());
        }
        const QString value = QString::fromUtf8(text, length);
        if (m_texts.size() >= trialTexts && m_hits < m_texts.size()) {
            m_looking = false;
            m_texts.clear();
        } else if (m_texts.size() < maxTexts) {
            m_texts.insert(QByteArray(text, length), value);
        }
        return QVariant(value);
    }

private:
    static constexpr int maxLength = 24;
    static constexpr int trialTexts = 512;
    static constexpr int maxTexts = 65536;

    QHash<QByteArray, QString> m_texts;
    int m_hits = 0;
    bool m_looking = true;
};

// Converts the rows of a select's results, one result after another, into
// one run of values, row after row.
class ValueReader
{
public:
    void read(const PGresult *rows)
    {
        if (m_columnCount < 0)
            takeShape(rows);
        for (int row = 0; row < PQntuples(rows); ++row) {
            for (int c = 0; c < m_columnCount; ++c) {
                const char *text = PQgetvalue(rows, row, c);
                const int length = PQgetlength(rows, row, c);
                if (PQgetisnull(rows, row, c))
                    m_values.append(QVariant(m_types.at(c)));
                else if (m_types.at(c) == QVariant::String)
                    m_values.append(m_texts[c].take(text, length));
                else
                    m_values.append(PgValues::valueOf(text, length, m_types.at(c), m_oids.at(c)));
            }
        }
    }

    // Hands the rows over, letting the receiver take the values.
    void handTo(RowReceiver *receiver)
    {
        const int rowCount = m_columnCount > 0 ? m_values.size() / m_columnCount : 0;
        receiver->begin(m_shape, rowCount);
        for (int row = 0; row < rowCount; ++row) {
            if (!receiver->take(m_values.data() + row * m_columnCount))
                break;
        }
    }

private:
    void takeShape(const PGresult *rows)
    {
        m_columnCount = PQnfields(rows);
        m_shape = PgValues::shapeOf(rows);
        m_types.resize(m_columnCount);
        m_oids.resize(m_columnCount);
        m_texts.resize(m_columnCount);
        for (int c = 0; c < m_columnCount; ++c) {
            m_oids[c] = PQftype(rows, c);
            m_types[c] = PgValues::typeOf(m_oids.at(c));
        }
    }

    int m_columnCount = -1;
    QSqlRecord m_shape;
    QVector<QVariant::Type> m_types;
    QVector<Oid> m_oids;
    QVector<SharedTexts> m_texts;
    QVector<QVariant> m_values;
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

    // The rows come one result each, as the server sends them, so that
    // converting them overlaps with the server working on the rest. The
    // receiver gets them once the connection is free again: storing them may
    // run statements of its own.
    if (!PQsendQuery(connection, statement.toUtf8().constData())) {
        *error = PgValues::errorOf(connection, nullptr);
        return RowsReadFailed;
    }
    PQsetSingleRowMode(connection);
    // The first statement alone answers, as a forward-only QSqlQuery reads
    // a script of several: what later ones return or fail with is dropped.
    ValueReader reader;
    bool failed = false;
    bool firstGaveRows = false;
    bool firstEnded = false;
    while (const PgValues::Result result{ PQgetResult(connection) }) {
        if (firstEnded)
            continue;
        const ExecStatusType status = PQresultStatus(result.get());
        if (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK) {
            firstGaveRows = true;
            reader.read(result.get());
            firstEnded = status == PGRES_TUPLES_OK;
        } else if (status == PGRES_COMMAND_OK || status == PGRES_EMPTY_QUERY) {
            firstEnded = true;
        } else {
            *error = PgValues::errorOf(connection, result.get());
            failed = true;
            firstEnded = true;
        }
    }
    // A statement that ran but answered with no rows at all is no select: no
    // error, nothing read.
    if (failed || !firstGaveRows)
        return RowsReadFailed;
    reader.handTo(receiver);
    return RowsRead;
}
