#include "benchsupport.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cstdio>
#include <cstdlib>

namespace {

QSqlDatabase mainConnection()
{
    return QSqlDatabase::database(QStringLiteral("MainConnection"));
}

} // namespace

void Bench::fail(const QString &what)
{
    const QString program = QCoreApplication::applicationName();
    std::fprintf(stderr, "%s: %s\n", qPrintable(program.isEmpty() ? QStringLiteral("bench") : program),
                 qPrintable(what));
    std::exit(1);
}

void Bench::exec(const QString &sql)
{
    QSqlQuery query(mainConnection());
    if (!query.exec(sql))
        fail(query.lastError().text() + QLatin1Char('\n') + sql);
}

qlonglong Bench::scalar(const QString &sql)
{
    QSqlQuery query(mainConnection());
    if (!query.exec(sql) || !query.next())
        fail(query.lastError().text() + QLatin1Char('\n') + sql);
    return query.value(0).toLongLong();
}
