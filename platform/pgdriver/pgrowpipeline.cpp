#include "pgrowpipeline.h"

#include "driverlogging.h"
#include "pgliteral.h"
#include "sqllexer.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlField>

#include <libpq-fe.h>

#include <memory>

namespace {

// A batch's statements are sent before any answer is read. Kept well under
// what the sockets buffer, so that neither side ever waits for the other to read.
constexpr int maxStatementsPerSend = 400;
constexpr int maxBytesPerSend = 48 * 1024;

const char savepointName[] = "workplace_row_batch";

struct ResultDeleter
{
    void operator()(PGresult *result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

PGconn *connectionOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

QSqlError serverError(PGconn *connection, const PGresult *result)
{
    const char *code = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString message = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(connection));
    // Worded as the toolkit's driver words a failed statement.
    return QSqlError(QStringLiteral("QPSQL: Unable to create query"), message.trimmed(),
                     PQstatus(connection) == CONNECTION_OK ? QSqlError::StatementError : QSqlError::ConnectionError,
                     code ? QString::fromLatin1(code) : QString());
}

QVariant::Type typeOfOid(Oid oid)
{
    switch (oid) {
    case 16: return QVariant::Bool;
    case 17: return QVariant::ByteArray;
    case 20: return QVariant::LongLong;
    case 21:
    case 23: return QVariant::Int;
    case 26: return QVariant::UInt;
    case 700:
    case 701:
    case 1700: return QVariant::Double;
    case 1082: return QVariant::Date;
    case 1083:
    case 1266: return QVariant::Time;
    case 1114:
    case 1184: return QVariant::DateTime;
    default: return QVariant::String;
    }
}

QDateTime timestampOf(QString text, bool withZone)
{
    text.replace(QLatin1Char(' '), QLatin1Char('T'));
    if (withZone) {
        // The server writes "+03" or "+05:30"; ISO wants the minutes.
        const int sign = std::max(text.lastIndexOf(QLatin1Char('+')), text.lastIndexOf(QLatin1Char('-')));
        if (sign > 10 && text.size() - sign == 3)
            text += QStringLiteral(":00");
        return QDateTime::fromString(text, Qt::ISODateWithMs).toLocalTime();
    }
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

QVariant valueOf(const PGresult *result, int column)
{
    const Oid oid = PQftype(result, column);
    const QVariant::Type type = typeOfOid(oid);
    if (PQgetisnull(result, 0, column))
        return QVariant(type);
    const char *raw = PQgetvalue(result, 0, column);
    const QByteArray text = QByteArray::fromRawData(raw, PQgetlength(result, 0, column));
    switch (type) {
    case QVariant::Bool: return QVariant(text == "t");
    case QVariant::LongLong:
        // As the toolkit's driver reads them: unsigned unless negative.
        if (text.startsWith('-'))
            return QVariant(text.toLongLong());
        return QVariant(text.toULongLong());
    case QVariant::Int: return QVariant(text.toInt());
    case QVariant::UInt: return QVariant(text.toUInt());
    case QVariant::Double:
        if (text == "NaN")
            return QVariant(qQNaN());
        if (text == "Infinity" || text == "-Infinity")
            return QVariant(text.startsWith('-') ? -qInf() : qInf());
        return QVariant(text.toDouble());
    case QVariant::Date: return QVariant(QDate::fromString(QString::fromLatin1(text), Qt::ISODate));
    case QVariant::Time: return QVariant(QTime::fromString(QString::fromLatin1(text.left(12)), Qt::ISODateWithMs));
    case QVariant::DateTime: return QVariant(timestampOf(QString::fromLatin1(text), oid == 1184));
    case QVariant::ByteArray: {
        size_t size = 0;
        unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(raw), &size);
        const QByteArray data(reinterpret_cast<const char *>(bytes), static_cast<int>(size));
        PQfreemem(bytes);
        return QVariant(data);
    }
    default: return QVariant(QString::fromUtf8(text));
    }
}

RowScriptResult resultOf(const PGresult *result)
{
    RowScriptResult answer;
    answer.affected = QByteArray(PQcmdTuples(const_cast<PGresult *>(result))).toInt();
    if (PQresultStatus(result) != PGRES_TUPLES_OK)
        return answer;
    answer.returnsRows = true;
    answer.rowCount = PQntuples(result);
    QSqlRecord record;
    for (int c = 0; c < PQnfields(result); ++c) {
        QSqlField field(QString::fromUtf8(PQfname(result, c)), typeOfOid(PQftype(result, c)));
        if (answer.rowCount > 0)
            field.setValue(valueOf(result, c));
        record.append(field);
    }
    answer.row = record;
    return answer;
}

// One row's parameters in the form libpq takes them.
struct Parameters
{
    QVector<QByteArray> texts;
    QVector<Oid> types;
    QVector<bool> nulls;
    int bytes = 0;
};

bool parametersOf(const QVariantList &row, const QVector<int> &sources, Parameters *parameters)
{
    const int count = sources.size();
    parameters->texts.resize(count);
    parameters->types.resize(count);
    parameters->nulls.resize(count);
    parameters->bytes = 0;
    for (int i = 0; i < count; ++i) {
        unsigned oid = 0;
        bool isNull = false;
        QString error;
        if (!PgLiteral::parameter(row.value(sources.at(i)), &parameters->texts[i], &oid, &isNull, &error))
            return false;
        parameters->types[i] = oid;
        parameters->nulls[i] = isNull;
        parameters->bytes += parameters->texts.at(i).size() + 16;
    }
    return true;
}

// Runs a statement of its own, waiting for its answer (pipeline mode off).
bool runCommand(PGconn *connection, const QByteArray &command, QSqlError *error = nullptr)
{
    const Result result(PQexec(connection, command.constData()));
    if (PQresultStatus(result.get()) == PGRES_COMMAND_OK)
        return true;
    if (error)
        *error = serverError(connection, result.get());
    return false;
}

// Sends executions in groups and reads their answers. Rows whose values have
// other types (a whole number where the others are decimals) get a statement
// prepared for those types, as their literals would have other types too.
class Batch
{
public:
    Batch(PGconn *connection, const QByteArray &statement) : m_connection(connection), m_statement(statement) {}

    // The statements this batch prepared; they outlive transactions, so the caller drops them.
    QList<QByteArray> preparedNames() const { return m_prepared.values(); }

    // Sends rows [first, last) and reads their answers.
    int send(const QVector<Parameters> &parameters, int first, int last, const QVector<bool> &mustFind,
             QList<RowScriptResult> *results, int *failed, QSqlError *error)
    {
        // What each answer belongs to: -1 a prepare, else the row.
        QVector<int> answers;
        answers.reserve(last - first + 4);
        for (int row = first; row < last; ++row) {
            const Parameters &p = parameters.at(row);
            QByteArray &name = m_prepared[p.types];
            if (name.isEmpty()) {
                name = QByteArrayLiteral("workplace_rows_") + QByteArray::number(++s_statements);
                if (!PQsendPrepare(m_connection, name.constData(), m_statement.constData(), p.types.size(),
                                   p.types.constData()))
                    return lost(error, row, failed);
                answers.append(-1);
            }
            QVector<const char *> values(p.texts.size());
            QVector<int> lengths(p.texts.size());
            for (int i = 0; i < p.texts.size(); ++i) {
                values[i] = p.nulls.at(i) ? nullptr : p.texts.at(i).constData();
                lengths[i] = p.texts.at(i).size();
            }
            if (!PQsendQueryPrepared(m_connection, name.constData(), values.size(), values.constData(),
                                     lengths.constData(), nullptr, 0))
                return lost(error, row, failed);
            answers.append(row);
        }
        if (!PQpipelineSync(m_connection))
            return lost(error, first, failed);

        int outcome = RowScriptsDone;
        for (int row : qAsConst(answers)) {
            Result result(PQgetResult(m_connection));
            if (!result)
                return lost(error, std::max(row, first), failed);
            const ExecStatusType status = PQresultStatus(result.get());
            if (outcome == RowScriptsDone) {
                if (status == PGRES_FATAL_ERROR) {
                    *error = serverError(m_connection, result.get());
                    // A statement the server would not prepare ran for no row.
                    outcome = row < 0 ? RowScriptsNotSent : RowScriptsFailed;
                    *failed = std::max(row, first);
                } else if (row >= 0) {
                    RowScriptResult answer = resultOf(result.get());
                    const bool found = answer.returnsRows ? answer.rowCount > 0 : answer.affected != 0;
                    if (mustFind.value(row) && !found) {
                        *failed = row;
                        *error = QSqlError();
                        outcome = RowScriptsFailed;
                    }
                    results->append(answer);
                }
            }
            // Each answer ends with a null result.
            while (Result(PQgetResult(m_connection))) {
            }
        }
        Result sync(PQgetResult(m_connection));
        if (!sync || PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC)
            return lost(error, first, failed);
        return outcome;
    }

private:
    int lost(QSqlError *error, int row, int *failed)
    {
        *error = serverError(m_connection, nullptr);
        *failed = row;
        return RowScriptsFailed;
    }

    static int s_statements;
    PGconn *m_connection;
    QByteArray m_statement;
    QHash<QVector<Oid>, QByteArray> m_prepared;
};

int Batch::s_statements = 0;

} // namespace

QString PgRowPipeline::parameterised(const QString &script, const QStringList &names, QVector<int> *sources)
{
    QString text = script;
    sources->clear();
    for (int i = 0; i < names.size(); ++i) {
        const QString &name = names.at(i);
        const int pos = SqlLexer::findParameter(text, name);
        if (pos < 0)
            continue;
        QString replacement = QStringLiteral("NULL");
        if (name != QLatin1String("NULL")) {
            sources->append(i);
            replacement = QLatin1Char('$') + QString::number(sources->size());
        }
        text.replace(pos, name.size() + 1, replacement);
    }
    return text;
}

int PgRowPipeline::run(QSqlDatabase db, const QString &script, const QStringList &names,
                       const QList<QVariantList> &rows, const QVector<bool> &mustFind,
                       QList<RowScriptResult> *results, int *failed, QSqlError *error)
{
    results->clear();
    *failed = -1;
    *error = QSqlError();
    PGconn *connection = connectionOf(db);
    if (!connection || rows.isEmpty() || PQstatus(connection) != CONNECTION_OK)
        return RowScriptsNotSent;
    // Another statement's answer still being read, or a transaction that
    // already failed: the rows go one by one, as they always could.
    const PGTransactionStatusType transaction = PQtransactionStatus(connection);
    if (transaction != PQTRANS_IDLE && transaction != PQTRANS_INTRANS)
        return RowScriptsNotSent;

    QVector<int> sources;
    const QByteArray statement = parameterised(script, names, &sources).toUtf8();
    QVector<Parameters> parameters(rows.size());
    for (int row = 0; row < rows.size(); ++row) {
        // A value only a literal can carry, or none can: the row-by-row path
        // writes it, or fails with the message it always gave.
        if (!parametersOf(rows.at(row), sources, &parameters[row]))
            return RowScriptsNotSent;
    }

    const bool ownTransaction = transaction == PQTRANS_IDLE;
    const QByteArray begin = ownTransaction ? QByteArrayLiteral("BEGIN")
                                            : QByteArrayLiteral("SAVEPOINT ") + savepointName;
    if (!runCommand(connection, begin, error)) {
        *failed = 0;
        return RowScriptsFailed;
    }
    if (!PQenterPipelineMode(connection)) {
        runCommand(connection, ownTransaction ? QByteArrayLiteral("ROLLBACK")
                                              : QByteArrayLiteral("ROLLBACK TO SAVEPOINT ") + savepointName);
        return RowScriptsNotSent;
    }

    Batch batch(connection, statement);
    int outcome = RowScriptsDone;
    for (int first = 0; first < rows.size() && outcome == RowScriptsDone;) {
        int last = first;
        int bytes = 0;
        while (last < rows.size() && last - first < maxStatementsPerSend && (last == first || bytes < maxBytesPerSend)) {
            bytes += parameters.at(last).bytes;
            ++last;
        }
        outcome = batch.send(parameters, first, last, mustFind, results, failed, error);
        first = last;
    }
    PQexitPipelineMode(connection);

    if (outcome == RowScriptsDone) {
        const QByteArray end = ownTransaction ? QByteArrayLiteral("COMMIT")
                                              : QByteArrayLiteral("RELEASE SAVEPOINT ") + savepointName;
        // A COMMIT that failed wrote nothing: the batch failed as a whole.
        if (!runCommand(connection, end, error)) {
            *failed = rows.size() - 1;
            outcome = RowScriptsFailed;
        }
    }
    if (outcome != RowScriptsDone && PQstatus(connection) == CONNECTION_OK) {
        if (ownTransaction) {
            runCommand(connection, QByteArrayLiteral("ROLLBACK"));
        } else {
            runCommand(connection, QByteArrayLiteral("ROLLBACK TO SAVEPOINT ") + savepointName);
            runCommand(connection, QByteArrayLiteral("RELEASE SAVEPOINT ") + savepointName);
        }
    }
    // Prepared statements outlive transactions; the session keeps none of them.
    if (PQstatus(connection) == CONNECTION_OK) {
        for (const QByteArray &name : batch.preparedNames())
            runCommand(connection, QByteArrayLiteral("DEALLOCATE ") + name);
    }
    if (outcome == RowScriptsDone)
        return outcome;
    if (outcome == RowScriptsNotSent) {
        qCDebug(lcPgDriver).noquote() << "Row script runs row by row:" << error->databaseText();
        *error = QSqlError();
        *failed = -1;
    }
    results->clear();
    return outcome;
}
