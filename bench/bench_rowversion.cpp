// What the row-version trigger costs: 10,000 rows updated in one statement and
// through QDataTable::commit, on a table with the trigger against the same
// table without it, in one run on the private server. Prints ratios.

#include "benchsupport.h"
#include "objvar.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>

namespace {

using Bench::fail;
using Bench::exec;

constexpr int rows = 10000;
constexpr int statementRuns = 7;
constexpr int commitRuns = 3;

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void createTables()
{
    exec(QStringLiteral("drop schema if exists bench cascade"));
    exec(QStringLiteral("create schema bench"));
    // Both tables carry the column; only one moves it on.
    for (const char *name : {"t_plain", "t_versioned"}) {
        exec(QStringLiteral("create table bench.%1 (id integer primary key, c_name text not null, "
                            "n_qty integer not null, n_price numeric(12,2), d_date date, "
                            "n_row_version integer not null default 1)").arg(QLatin1String(name)));
        exec(QStringLiteral("insert into bench.%1 (id, c_name, n_qty, n_price, d_date) "
                            "select g, 'Позиция ' || g, g %% 100, g * 1.5, date '2024-01-01' + g %% 365 "
                            "from generate_series(1, %2) g").arg(QLatin1String(name)).arg(rows)
                     .replace(QStringLiteral("%%"), QStringLiteral("%")));
    }
    exec(QStringLiteral("create trigger t_row_version before update on bench.t_versioned "
                        "for each row execute function sys.tg_row_version()"));
    exec(QStringLiteral("vacuum analyze bench.t_plain"));
    exec(QStringLiteral("vacuum analyze bench.t_versioned"));
}

double timeStatement(const QString &table)
{
    QElapsedTimer clock;
    clock.start();
    exec(QStringLiteral("update bench.%1 set n_qty = n_qty + 1").arg(table));
    return clock.nsecsElapsed() / 1e6;
}

double timeCommit(QSqlConnection *connection, const QString &table)
{
    QDataTable data(table, connection);
    data.setScripts(
            QStringLiteral("select id, c_name, n_qty, n_row_version from bench.%1 order by id").arg(table),
            QStringLiteral("update bench.%1 set n_qty = :n_qty where id = :id and n_row_version = :n_row_version "
                           "returning id, c_name, n_qty, n_row_version").arg(table),
            QString(), QString(), true);
    data.addColumn(QStringLiteral("id"), QVariant::Int);
    data.addColumn(QStringLiteral("c_name"), QVariant::String);
    data.addColumn(QStringLiteral("n_qty"), QVariant::Int);
    data.addColumn(QStringLiteral("n_row_version"), QVariant::Int, false);
    data.setKeyField(QStringLiteral("id"));
    if (!data.open() || data.rowCount() != rows)
        fail(QStringLiteral("cannot load %1").arg(table));
    for (bool more = data.first(); more; more = data.next())
        data.setField(QStringLiteral("n_qty"), data.getField(QStringLiteral("n_qty")).toInt() + 1);
    QElapsedTimer clock;
    clock.start();
    if (!data.commit())
        fail(QStringLiteral("commit of %1 failed: %2").arg(table, data.lastError().text()));
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietDebug);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QString error;
    if (!TestServer::prepareDatabase(QStringLiteral("bench_rowversion"), &error))
        fail(error);
    QLibrary driver(TestServer::driverFile());
    QSqlConnection connection;
    if (!TestServer::connectAndLogin(&driver, &connection, true, &error))
        fail(error);
    qApp->setProperty("Connection", objToVar(&connection));
    createTables();

    // Alternating, so that neither table always runs on the warmer server.
    QVector<double> plain;
    QVector<double> versioned;
    for (int run = 0; run < statementRuns; ++run) {
        plain.append(timeStatement(QStringLiteral("t_plain")));
        versioned.append(timeStatement(QStringLiteral("t_versioned")));
    }
    const double plainMs = median(plain);
    const double versionedMs = median(versioned);
    std::printf("bench_rowversion: %d rows, medians of %d runs\n", rows, statementRuns);
    std::printf("  one UPDATE of all rows, no trigger             %8.1f ms\n", plainMs);
    std::printf("  one UPDATE of all rows, sys.tg_row_version()   %8.1f ms   x%.2f  (+%.1f us per row)\n",
                versionedMs, versionedMs / plainMs, (versionedMs - plainMs) * 1000.0 / rows);

    QVector<double> plainCommit;
    QVector<double> versionedCommit;
    for (int run = 0; run < commitRuns; ++run) {
        plainCommit.append(timeCommit(&connection, QStringLiteral("t_plain")));
        versionedCommit.append(timeCommit(&connection, QStringLiteral("t_versioned")));
    }
    const double plainCommitMs = median(plainCommit);
    const double versionedCommitMs = median(versionedCommit);
    std::printf("  QDataTable::commit, update per row, no trigger %8.1f ms   (medians of %d)\n", plainCommitMs,
                commitRuns);
    std::printf("  QDataTable::commit, update per row, trigger    %8.1f ms   x%.2f\n", versionedCommitMs,
                versionedCommitMs / plainCommitMs);
    return 0;
}
