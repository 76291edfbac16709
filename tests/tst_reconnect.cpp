// A lost server connection is noticed by the next operation, reported once and
// re-made through the driver; a write is never repeated behind the user's back.
// The suite runs its own private server so that it may stop and restart it.

#include "objvar.h"
#include "privateserver.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QDeadlineTimer>
#include <QLibrary>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

namespace {

const char database[] = "tst_reconnect";

// Counts the "Error executing query" lines while it lives; other output passes on.
class ErrorLineCounter
{
public:
    ErrorLineCounter()
    {
        s_count = 0;
        s_previous = qInstallMessageHandler(&ErrorLineCounter::handle);
    }
    ~ErrorLineCounter() { qInstallMessageHandler(s_previous); }
    int count() const { return s_count; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg && message.startsWith(QLatin1String("Error executing query: ")))
            ++s_count;
        if (s_previous)
            s_previous(type, context, message);
    }
    static int s_count;
    static QtMessageHandler s_previous;
};

int ErrorLineCounter::s_count = 0;
QtMessageHandler ErrorLineCounter::s_previous = nullptr;

} // namespace

class tst_Reconnect : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void nextOperationReconnects_data();
    void nextOperationReconnects();
    void lossInsideTransactionWritesNothing();

private:
    enum Break { TerminateBackend, RestartServer, ServerDownForAWhile };
    void breakConnection(Break how);
    bool serverQuery(const QString &statement, QVariant *value = nullptr);
    QDataTable *firmTable(QObject *owner);

    QTemporaryDir m_parent{QStringLiteral("/tmp/wp-reconnect-XXXXXX")};
    std::unique_ptr<PrivateServer> m_server;
    QLibrary m_driver;
    QSqlConnection m_connection;
    QObject *m_owner = nullptr;
};

void tst_Reconnect::initTestCase()
{
    // Run as root, the server's own user must be able to pass through the parent.
    QVERIFY(QFile::setPermissions(m_parent.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                           | QFile::ExeGroup | QFile::ExeOther));
    m_server = std::make_unique<PrivateServer>(m_parent.filePath(QStringLiteral("server")));
    m_server->setVolatile(true);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
    QVERIFY2(m_server->ensureDatabase(QString::fromLatin1(database), &error), qPrintable(error));
    qApp->setProperty("DbHost", m_server->socketDir());
    qApp->setProperty("DbName", QString::fromLatin1(database));
    qApp->setProperty("DbUser", PrivateServer::superUser());

    m_driver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::connectAndLogin(&m_driver, &m_connection, true, &error), qPrintable(error));
    qApp->setProperty("Connection", objToVar(&m_connection));
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral(
            "create table public.t_firm (id serial primary key, c_name text not null,"
            "  n_row_version integer not null default 1);"
            "create trigger t_row_version before update on public.t_firm"
            "  for each row execute function sys.tg_row_version();"
            "create function public.f_drop_me() returns integer language sql as"
            "  $$ select pg_terminate_backend(pg_backend_pid())::integer $$;")));
}

void tst_Reconnect::cleanupTestCase()
{
    m_connection.clear();
    if (m_server)
        m_server->stop(nullptr);
}

void tst_Reconnect::init()
{
    m_owner = new QObject;
    // A test that failed half-way may have left the server stopped.
    QString error;
    QVERIFY2(m_server->isRunning() || m_server->start(&error), qPrintable(error));
    QVERIFY(serverQuery(QStringLiteral("truncate public.t_firm restart identity")));
    QVERIFY(serverQuery(QStringLiteral("insert into public.t_firm (c_name) values ('Альфа'), ('Бета')")));
}

void tst_Reconnect::cleanup()
{
    delete m_owner;
    m_owner = nullptr;
}

// A statement on a session of its own, as an administrator's console would run it.
bool tst_Reconnect::serverQuery(const QString &statement, QVariant *value)
{
    const QString name = QStringLiteral("console");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(m_server->socketDir());
        db.setUserName(PrivateServer::superUser());
        db.setDatabaseName(QString::fromLatin1(database));
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(statement);
            if (ok && value)
                *value = query.next() ? query.value(0) : QVariant();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

void tst_Reconnect::breakConnection(Break how)
{
    QString error;
    switch (how) {
    case TerminateBackend: {
        QVERIFY(serverQuery(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity "
                                           "where datname = 'tst_reconnect' and pid <> pg_backend_pid()")));
        // Gone for certain before the next operation, so that it meets a dead session.
        const QDeadlineTimer deadline(10000);
        QVariant left;
        do {
            QVERIFY(serverQuery(QStringLiteral("select count(*) from pg_stat_activity where datname = 'tst_reconnect' "
                                               "and pid <> pg_backend_pid()"), &left));
            if (left.toInt() == 0)
                return;
            QThread::msleep(20);
        } while (!deadline.hasExpired());
        QFAIL("the terminated backend did not go");
    }
    case RestartServer:
        QVERIFY2(m_server->stop(&error), qPrintable(error));
        QVERIFY2(m_server->start(&error), qPrintable(error));
        return;
    case ServerDownForAWhile:
        QVERIFY2(m_server->stop(&error), qPrintable(error));
        return;
    }
}

QDataTable *tst_Reconnect::firmTable(QObject *owner)
{
    auto *table = new QDataTable(QStringLiteral("t_firm"), &m_connection, owner);
    table->setScripts(QStringLiteral("select id, c_name, n_row_version from public.t_firm order by id"),
                      QStringLiteral("update public.t_firm set c_name = :c_name "
                                     "where id = :id and n_row_version = :n_row_version returning *"),
                      QStringLiteral("insert into public.t_firm (c_name) values (:c_name) returning *"),
                      QStringLiteral("delete from public.t_firm where id = :id and n_row_version = :n_row_version"),
                      true);
    table->addColumn(QStringLiteral("id"), QVariant::Int, true, QStringLiteral("id"), -1);
    table->addColumn(QStringLiteral("c_name"), QVariant::String);
    table->addColumn(QStringLiteral("n_row_version"), QVariant::Int, false);
    table->setKeyField(QStringLiteral("id"));
    table->open();
    return table;
}

void tst_Reconnect::nextOperationReconnects_data()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("operation");

    const QList<QPair<const char *, Break>> breaks = {
        {"backend terminated", TerminateBackend},
        {"server restarted", RestartServer},
        {"server down for a while", ServerDownForAWhile},
    };
    for (const auto &broken : breaks) {
        for (const char *operation : {"select", "load", "table commit", "data set commit"})
            QTest::addRow("%s, %s", broken.first, operation) << int(broken.second) << QString::fromLatin1(operation);
    }
}

void tst_Reconnect::nextOperationReconnects()
{
    QFETCH(int, how);
    QFETCH(QString, operation);

    QDataTable *table = firmTable(m_owner);
    QCOMPARE(table->rowCount(), 2);
    auto *set = new QDataSet(m_owner);
    set->addTable(table);
    if (operation.endsWith(QLatin1String("commit"))) {
        QVERIFY(table->first());
        QVERIFY(table->setField(QStringLiteral("c_name"), QStringLiteral("Альфа-плюс")));
        QVERIFY(table->addRow());
        QVERIFY(table->setField(QStringLiteral("c_name"), QStringLiteral("Гамма")));
    }
    // The operation under test; true when it succeeded.
    const auto attempt = [&]() -> bool {
        if (operation == QLatin1String("select"))
            return m_connection.execScript(QStringLiteral("select count(*) from public.t_firm"), QVariantList()).isValid();
        if (operation == QLatin1String("load")) {
            table->close();
            return table->open() && table->getTableState() == 0;
        }
        if (operation == QLatin1String("table commit"))
            return table->commit();
        return set->commit(&m_connection);
    };

    breakConnection(Break(how));
    {
        ErrorLineCounter errors;
        QVERIFY(!attempt());
        // Reported once: the failed operation, not every step that followed it.
        QCOMPARE(errors.count(), 1);
    }
    QCOMPARE(m_connection.lastError().type(), QSqlError::ConnectionError);
    if (operation == QLatin1String("load"))
        QCOMPARE(table->lastError().type(), QSqlError::ConnectionError);
    if (operation == QLatin1String("data set commit"))
        QCOMPARE(set->lastError().type(), QSqlError::ConnectionError);
    // Nothing was written, and the edits are still there to save.
    QVariant names;
    if (how == ServerDownForAWhile) {
        QVERIFY(!m_connection.isConnected());
        QVERIFY(m_connection.connectionLost());
        // Still down: the next attempt fails too, again reported once.
        {
            ErrorLineCounter errors;
            QVERIFY(!attempt());
            QCOMPARE(errors.count(), 1);
        }
        QString error;
        QVERIFY2(m_server->start(&error), qPrintable(error));
    }
    QVERIFY(serverQuery(QStringLiteral("select string_agg(c_name, ',' order by id) from public.t_firm"), &names));
    QCOMPARE(names.toString(), QStringLiteral("Альфа,Бета"));
    if (operation.endsWith(QLatin1String("commit"))) {
        QCOMPARE(table->getRowState(0), int(rsChanged));
        QCOMPARE(table->getRowState(2), int(rsNew));
    }

    // The next operation finds the connection back, with the same user.
    QVERIFY2(attempt(), qPrintable(m_connection.lastError().text()));
    QVERIFY(!m_connection.connectionLost());
    QVERIFY(m_connection.isConnected());
    QCOMPARE(m_connection.execScript(QStringLiteral("select sys.current_user_id()"), QVariantList()).value(0).toInt(), 1);
    if (operation.endsWith(QLatin1String("commit"))) {
        QVERIFY(serverQuery(QStringLiteral("select string_agg(c_name, ',' order by id) from public.t_firm"), &names));
        QCOMPARE(names.toString(), QStringLiteral("Альфа-плюс,Бета,Гамма"));
    }
}

void tst_Reconnect::lossInsideTransactionWritesNothing()
{
    // The second table's insert ends the session after the first table wrote:
    // nothing else may run on a new session as if the transaction were still there.
    auto *set = new QDataSet(m_owner);
    QDataTable *firms = firmTable(m_owner);
    auto *breaker = new QDataTable(QStringLiteral("t_breaker"), &m_connection, m_owner);
    breaker->setScripts(QStringLiteral("select 1 as id where false"), QString(),
                        QStringLiteral("select public.f_drop_me() , :id"), QString(), true);
    breaker->addColumn(QStringLiteral("id"), QVariant::Int, true, QStringLiteral("id"), -1);
    breaker->open();
    auto *after = firmTable(m_owner);
    after->setObjectName(QStringLiteral("t_firm_after"));
    set->addTable(firms);
    set->addTable(breaker);
    set->addTable(after);
    QVERIFY(firms->addRow());
    QVERIFY(firms->setField(QStringLiteral("c_name"), QStringLiteral("Дельта")));
    QVERIFY(breaker->addRow());
    QVERIFY(after->addRow());
    QVERIFY(after->setField(QStringLiteral("c_name"), QStringLiteral("Эпсилон")));

    {
        ErrorLineCounter errors;
        QVERIFY(!set->commit(&m_connection));
        QCOMPARE(errors.count(), 1);
    }
    QVERIFY(!m_connection.inTransaction());
    QVERIFY(!m_connection.connectionLost());
    QVariant count;
    QVERIFY(serverQuery(QStringLiteral("select count(*) from public.t_firm"), &count));
    QCOMPARE(count.toInt(), 2);
    QCOMPARE(firms->getRowState(2), int(rsNew));
    QCOMPARE(after->getRowState(2), int(rsNew));

    // Without the breaking row the same document is written once.
    QVERIFY(breaker->killRow(0));
    QVERIFY2(set->commit(&m_connection), qPrintable(set->lastError().text()));
    QVERIFY(serverQuery(QStringLiteral("select string_agg(c_name, ',' order by id) from public.t_firm"), &count));
    QCOMPARE(count.toString(), QStringLiteral("Альфа,Бета,Дельта,Эпсилон"));
}

QTEST_MAIN(tst_Reconnect)
#include "tst_reconnect.moc"
