#include "pgrowpipeline.h"

#include "driverlogging.h"
#include "pgliteral.h"
#include "pgvalues.h"
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

using Result = PgValues::Result;

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
        QSqlField field(QString::fromUtf8(PQfname(result, c)), PgValues::typeOf(PQftype(result, c)));
        if (answer.rowCount > 0)
            field.setValue(PgValues::valueAt(result, 0, c));
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
        *error = PgValues::errorOf(connection, result.get());
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
                    *error = PgValues::errorOf(m_connection, result.get());
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
        *error = PgValues::errorOf(m_connection, nullptr);
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
    PGconn *connection = PgValues::connectionOf(db);
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
