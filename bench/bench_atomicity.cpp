// Atomicity trials: a data-set commit (a changed document, changed, deleted
// and new lines, a new document with lines of its own) while another session
// terminates the committing backend at a random moment. After each trial the
// database must hold either all of the document or none of it, a failed
// commit must say so, and the user's edits must still be there to save again,
// once. Prints the counts; asserts nothing.

#include "benchsupport.h"
#include "objvar.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "rowconflict.h"
#include "testserver.h"

#include <QApplication>
#include <QAtomicInt>
#include <QElapsedTimer>
#include <QLibrary>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

using Bench::fail;

constexpr int trials = 50;
constexpr int documentLines = 20;

// A session of its own that ends another backend after a delay, when that
// backend is still committing.
class Killer : public QThread
{
public:
    void arm(qint64 victim, int delayUs)
    {
        m_victim = victim;
        m_delayUs = delayUs;
        m_killed = false;
        m_go.release();
    }
    void disarm() { m_committing.storeRelease(0); }
    void startCommit() { m_committing.storeRelease(1); }
    bool waitDone()
    {
        m_done.acquire();
        return m_killed;
    }
    void quitLoop()
    {
        m_stop = true;
        m_go.release();
        wait();
    }

protected:
    void run() override
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("killer"));
            db.setHostName(qApp->property("DbHost").toString());
            db.setUserName(qApp->property("DbUser").toString());
            db.setDatabaseName(qApp->property("DbName").toString());
            if (!db.open())
                fail(db.lastError().text());
            QSqlQuery query(db);
            forever {
                m_go.acquire();
                if (m_stop)
                    break;
                QElapsedTimer clock;
                clock.start();
                while (m_committing.loadAcquire() == 0 && clock.nsecsElapsed() < 1000000000LL)
                    QThread::yieldCurrentThread();
                clock.restart();
                while (clock.nsecsElapsed() < qint64(m_delayUs) * 1000 && m_committing.loadAcquire())
                    ;
                if (m_committing.loadAcquire()) {
                    query.exec(QStringLiteral("select pg_terminate_backend(%1)").arg(m_victim));
                    m_killed = query.next() && query.value(0).toBool();
                }
                m_done.release();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("killer"));
    }

private:
    QSemaphore m_go;
    QSemaphore m_done;
    QAtomicInt m_committing;
    qint64 m_victim = 0;
    int m_delayUs = 0;
    bool m_killed = false;
    bool m_stop = false;
};

// The database's content as comparable lines, read on a session of its own.
QStringList databaseState()
{
    QStringList state;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("checker"));
        db.setHostName(qApp->property("DbHost").toString());
        db.setUserName(qApp->property("DbUser").toString());
        db.setDatabaseName(qApp->property("DbName").toString());
        if (!db.open())
            fail(db.lastError().text());
        QSqlQuery query(db);
        query.exec(QStringLiteral("select d.c_name, coalesce(l.c_text, ''), coalesce(l.n_qty, 0) "
                                  "from bench.t_doc d left join bench.t_line l on l.id_doc = d.id"));
        while (query.next())
            state.append(QStringLiteral("%1|%2|%3").arg(query.value(0).toString(), query.value(1).toString(),
                                                         query.value(2).toString()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("checker"));
    state.sort();
    return state;
}

// The same lines as the edited document in memory means them.
QStringList intendedState(QDataTable *docs, QDataTable *lines)
{
    QHash<qint64, QString> names;
    for (int row = 0; row < docs->rowCount(); ++row) {
        if (docs->getRowState(row) != rsDeleted)
            names.insert(docs->getField(QStringLiteral("id"), row).toLongLong(),
                         docs->getField(QStringLiteral("c_name"), row).toString());
    }
    QStringList state;
    QSet<qint64> withLines;
    for (int row = 0; row < lines->rowCount(); ++row) {
        if (lines->getRowState(row) == rsDeleted)
            continue;
        const qint64 doc = lines->getField(QStringLiteral("id_doc"), row).toLongLong();
        withLines.insert(doc);
        state.append(QStringLiteral("%1|%2|%3").arg(names.value(doc), lines->getField(QStringLiteral("c_text"), row).toString(),
                                                   lines->getField(QStringLiteral("n_qty"), row).toString()));
    }
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (!withLines.contains(it.key()))
            state.append(QStringLiteral("%1||0").arg(it.value()));
    }
    state.sort();
    return state;
}

QSqlConnection *g_connection = nullptr;

// Set-up statements through the connection, which re-makes itself when a kill
// that came too late for the last commit ended its session.
void exec(const QString &sql)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlQuery query(g_connection->database());
        g_connection->execScript(sql, &query, QVariantList());
        if (query.isActive())
            return;
    }
    fail(g_connection->lastError().text());
}

QDataTable *makeTable(QSqlConnection *connection, QObject *owner, const QString &name, const QString &fields,
                      const QStringList &columns)
{
    auto *table = new QDataTable(name, connection, owner);
    QStringList params;
    QStringList assignments;
    for (const QString &column : columns) {
        params << QLatin1Char(':') + column;
        assignments << column + QStringLiteral(" = :") + column;
    }
    table->setScripts(
            QStringLiteral("select id, %1, n_row_version from bench.%2 order by id").arg(fields, name),
            QStringLiteral("update bench.%1 set %2 where id = :id and n_row_version = :n_row_version returning *")
                    .arg(name, assignments.join(QStringLiteral(" , "))),
            QStringLiteral("insert into bench.%1 (%2) values (%3) returning *")
                    .arg(name, fields, params.join(QStringLiteral(" , "))),
            QStringLiteral("delete from bench.%1 where id = :id and n_row_version = :n_row_version").arg(name),
            true);
    table->addColumn(QStringLiteral("id"), QVariant::LongLong, true, QStringLiteral("id"), -1);
    for (const QString &column : columns)
        table->addColumn(column, column.startsWith(QLatin1String("n_")) || column.startsWith(QLatin1String("id_"))
                                         ? QVariant::LongLong : QVariant::String);
    table->addColumn(QStringLiteral("n_row_version"), QVariant::Int, false);
    table->setKeyField(QStringLiteral("id"));
    table->open();
    return table;
}

struct Counts
{
    int killedDuringCommit = 0;
    int commitsSucceeded = 0;
    int cleanFailures = 0;
    int partialWrites = 0;
    int lostUpdates = 0;
    int unreportedFailures = 0;
    int inDoubt = 0;          // reported failed, but the server had committed it
    int retriesWrittenOnce = 0;
};

// One trial: the commit under fire, then what the database and the tables
// show, then saving again the way the user would.
void trial(QSqlConnection *connection, Killer *killer, int delayUs, int number, Counts *counts, double *commitMs)
{
    exec(QStringLiteral("truncate bench.t_doc, bench.t_line restart identity"));
    exec(QStringLiteral("insert into bench.t_doc (c_name) values ('Договор 1')"));
    exec(QStringLiteral("insert into bench.t_line (id_doc, c_text, n_qty) select 1, 'Строка ' || g, g "
                        "from generate_series(1, %1) g").arg(documentLines));

    QObject owner;
    auto *set = new QDataSet(&owner);
    QDataTable *docs = makeTable(connection, &owner, QStringLiteral("t_doc"), QStringLiteral("c_name"), {"c_name"});
    QDataTable *lines = makeTable(connection, &owner, QStringLiteral("t_line"), QStringLiteral("id_doc, c_text, n_qty"),
                                  {"id_doc", "c_text", "n_qty"});
    set->addTable(docs);
    set->addTable(lines);
    set->createDataLink(QStringLiteral("t_doc"), QStringLiteral("id"), QStringLiteral("t_line"), QStringLiteral("id_doc"));

    // The edits: the document renamed, half its lines changed, a quarter
    // deleted, new lines, and a new document with lines of its own.
    docs->first();
    docs->setField(QStringLiteral("c_name"), QStringLiteral("Договор 1, ред. %1").arg(number));
    for (int row = 0; row < documentLines / 2; ++row) {
        lines->first();
        for (int i = 0; i < row; ++i)
            lines->next();
        lines->setField(QStringLiteral("n_qty"), 1000 + row);
    }
    for (int row = documentLines - documentLines / 4; row < documentLines; ++row)
        lines->deleteRow(row);
    for (int i = 0; i < 5; ++i) {
        lines->addRow();
        lines->setField(QStringLiteral("id_doc"), 1);
        lines->setField(QStringLiteral("c_text"), QStringLiteral("Новая строка %1").arg(i));
        lines->setField(QStringLiteral("n_qty"), i);
    }
    docs->addRow();
    const qint64 newDoc = docs->getField(QStringLiteral("id")).toLongLong();
    docs->setField(QStringLiteral("c_name"), QStringLiteral("Договор 2, проба %1").arg(number));
    for (int i = 0; i < 5; ++i) {
        lines->addRow();
        lines->setField(QStringLiteral("id_doc"), newDoc);
        lines->setField(QStringLiteral("c_text"), QStringLiteral("Строка нового %1").arg(i));
        lines->setField(QStringLiteral("n_qty"), 10 + i);
    }

    const QStringList before = databaseState();
    const QStringList after = intendedState(docs, lines);
    QSqlQuery pid(connection->database());
    connection->execScript(QStringLiteral("select pg_backend_pid()"), &pid, QVariantList());
    const qint64 backend = pid.value(0).toLongLong();
    killer->arm(backend, delayUs);
    QElapsedTimer clock;
    clock.start();
    killer->startCommit();
    const bool ok = set->commit(connection);
    killer->disarm();
    *commitMs = clock.nsecsElapsed() / 1e6;
    const bool killed = killer->waitDone();
    counts->killedDuringCommit += killed ? 1 : 0;

    const QStringList state = databaseState();
    if (ok) {
        ++counts->commitsSucceeded;
        if (state != after)
            ++counts->lostUpdates;
        return;
    }
    if (!set->lastError().isValid())
        ++counts->unreportedFailures;
    if (state == before)
        ++counts->cleanFailures;
    else if (state == after)
        ++counts->inDoubt;
    else
        ++counts->partialWrites;
    // The edits must still be there, and saving again writes them once.
    if (intendedState(docs, lines) != after || !set->isModified()) {
        ++counts->lostUpdates;
        return;
    }
    const bool again = set->commit(connection);
    const QStringList final = databaseState();
    if (again && final == after)
        ++counts->retriesWrittenOnce;
    else if (!(state == after && RowConflict::isConflict(set->lastError())))
        ++counts->lostUpdates; // an in-doubt commit meets its own row versions: a conflict, not a second copy
}

} // namespace

void quietOutput(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // Each killed commit reports itself; the counts are what matters here.
    if (type == QtFatalMsg || qEnvironmentVariableIsSet("BENCH_VERBOSE"))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietOutput);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QString error;
    if (!TestServer::prepareDatabase(QStringLiteral("bench_atomicity"), &error))
        fail(error);
    QLibrary driver(TestServer::driverFile());
    QSqlConnection connection;
    if (!TestServer::connectAndLogin(&driver, &connection, true, &error))
        fail(error);
    qApp->setProperty("Connection", objToVar(&connection));
    g_connection = &connection;
    exec(QStringLiteral("drop schema if exists bench cascade"));
    exec(QStringLiteral("create schema bench"));
    exec(QStringLiteral("create table bench.t_doc (id bigserial primary key, c_name text not null, "
                        "n_row_version integer not null default 1)"));
    exec(QStringLiteral("create table bench.t_line (id bigserial primary key, "
                        "id_doc bigint not null references bench.t_doc (id), c_text text not null, "
                        "n_qty bigint not null, n_row_version integer not null default 1)"));
    for (const char *table : {"t_doc", "t_line"}) {
        exec(QStringLiteral("create trigger t_row_version before update on bench.%1 "
                            "for each row execute function sys.tg_row_version()").arg(QLatin1String(table)));
    }

    Killer killer;
    killer.start();
    // How long an undisturbed commit takes: the kills fall anywhere within it.
    Counts calibration;
    QVector<double> durations;
    for (int i = 0; i < 5; ++i) {
        double ms = 0;
        trial(&connection, &killer, 10000000, -i, &calibration, &ms);
        durations.append(ms);
    }
    std::sort(durations.begin(), durations.end());
    const double commitMs = durations.at(durations.size() / 2);

    Counts counts;
    QRandomGenerator random(20240601);
    for (int i = 1; i <= trials; ++i) {
        double ms = 0;
        trial(&connection, &killer, random.bounded(qMax(1, int(commitMs * 1000))), i, &counts, &ms);
    }
    killer.quitLoop();

    std::printf("bench_atomicity: %d trials, a commit of %d statements takes %.1f ms undisturbed\n", trials,
                2 + documentLines / 2 + documentLines / 4 + 11, commitMs);
    std::printf("  backend killed during the commit     %3d\n", counts.killedDuringCommit);
    std::printf("  commits that succeeded               %3d\n", counts.commitsSucceeded);
    std::printf("  failures that wrote nothing          %3d\n", counts.cleanFailures);
    std::printf("  saved again afterwards, once         %3d\n", counts.retriesWrittenOnce);
    std::printf("  in doubt (reported failed, but the server committed; the retry met a conflict) %d\n",
                counts.inDoubt);
    std::printf("  partial writes                       %3d\n", counts.partialWrites);
    std::printf("  lost updates                         %3d\n", counts.lostUpdates);
    std::printf("  unreported failures                  %3d\n", counts.unreportedFailures);
    return counts.partialWrites + counts.lostUpdates + counts.unreportedFailures == 0 ? 0 : 1;
}
