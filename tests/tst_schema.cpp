// Creating our schema on an empty database, upgrading an older one without
// losing rows, and refusing databases the driver cannot serve.

#include "modalanswerer.h"
#include "qsqlconnection.h"
#include "schemacatalog.h"
#include "sqllexer.h"
#include "testserver.h"

#include <QLibrary>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSqlError>
#include <QtTest>

class tst_Schema : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void createsSchemaOnEmptyDatabase_data();
    void createsSchemaOnEmptyDatabase();
    void batchIsAllOrNothing();
    void upgradeKeepsRows();
    void failedUpgradeLeavesDatabaseAsItWas();
    void refusesWhatItCannotServe_data();
    void refusesWhatItCannotServe();

private:
    // A database at schema version 1 holding one extra user, as an older driver left it.
    bool prepareVersionOne(const QString &name, const QStringList &more, QString *error);
    QVariant scalar(QSqlConnection &connection, const QString &statement);

    QLibrary m_driver;
    SchemaCatalog m_catalog{TestServer::databaseSourceDir()};
};

void tst_Schema::initTestCase()
{
    m_driver.setFileName(TestServer::driverFile());
    QVERIFY(m_driver.load());
    QVERIFY(m_catalog.latestVersion() >= 2);
}

void tst_Schema::cleanup()
{
    qApp->setProperty("bDemoData", false);
    qApp->setProperty("DbUser", QStringLiteral("workplace"));
}

QVariant tst_Schema::scalar(QSqlConnection &connection, const QString &statement)
{
    return connection.execScript(statement);
}

void tst_Schema::createsSchemaOnEmptyDatabase_data()
{
    QTest::addColumn<bool>("demo");
    QTest::newRow("plain") << false;
    QTest::newRow("with demo data") << true;
}

void tst_Schema::createsSchemaOnEmptyDatabase()
{
    QFETCH(bool, demo);
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_schema_create"), &error), qPrintable(error));
    qApp->setProperty("bDemoData", demo);

    QSqlConnection connection(&m_driver);
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    QVERIFY(connection.Connect(QStringLiteral("MainConnection"), false));
    QCOMPARE(answerer.titles, QStringList{"Unknown database"});

    QCOMPARE(scalar(connection, "select c_value from sys.t_sys_attr where c_attr = 'SchemaVersion'").toInt(),
             m_catalog.latestVersion());
    QCOMPARE(scalar(connection, "select count(*) from sys.t_script").toInt(), m_catalog.scripts().size());
    QCOMPARE(scalar(connection, "select count(*) from sys.t_user where c_login = 'ivanov'").toInt(), demo ? 1 : 0);
    // The administrator's password is stored only as a salted hash.
    QVERIFY(!scalar(connection, "select c_pass_hash from sys.t_user where c_login = 'admin'").toString().contains("admin"));
    QVERIFY(connection.login(QStringLiteral("admin"), QStringLiteral("admin")));

    // Connecting again finds the schema and asks nothing.
    QSqlConnection again(&m_driver);
    QVERIFY(again.Connect(QStringLiteral("MainConnection"), false));
    QCOMPARE(answerer.unexpected, 0);
}

void tst_Schema::batchIsAllOrNothing()
{
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_schema_batch"), &error), qPrintable(error));
    QSqlConnection connection(&m_driver);
    QVERIFY2(TestServer::connectAndLogin(&m_driver, &connection, true, &error), qPrintable(error));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: select 1 / 0")));
    QVERIFY(!connection.batchExec(QStringLiteral("create table public.t_half (id int);\n"
                                                 "insert into public.t_half values (1);\n"
                                                 "select 1 / 0;"), nullptr, nullptr));
    QVERIFY(scalar(connection, "select to_regclass('public.t_half')").isNull());

    QList<QSqlQuery> results;
    QPlainTextEdit log;
    QVERIFY(connection.batchExec(QStringLiteral("create table public.t_whole (id int); -- a comment ; with a semicolon\n"
                                                "insert into public.t_whole values (1), (2);\n"
                                                "select $$;$$ as body;"), &log, &results));
    QCOMPARE(results.size(), 3);
    QCOMPARE(log.toPlainText().split(QLatin1Char('\n')),
             (QStringList{"1/3 create table public.t_whole (id int)", "2/3 insert into public.t_whole values (1), (2)",
                          "3/3 select $$;$$ as body", "Done: 3 statements."}));
    QCOMPARE(scalar(connection, "select count(*) from public.t_whole").toInt(), 2);

    // Inside the caller's transaction a batch neither ends it nor survives its rollback.
    QSqlDatabase db = connection.database();
    QVERIFY(db.transaction());
    QSqlQuery outer(db);
    QVERIFY(outer.exec(QStringLiteral("insert into public.t_whole values (10)")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: select 1 / 0")));
    QVERIFY(!connection.batchExec(QStringLiteral("insert into public.t_whole values (11); select 1 / 0"), nullptr, nullptr));
    QVERIFY(connection.batchExec(QStringLiteral("insert into public.t_whole values (12)"), nullptr, nullptr));
    QCOMPARE(scalar(connection, "select string_agg(id::text, ',' order by id) from public.t_whole").toString(),
             QStringLiteral("1,2,10,12"));
    QVERIFY(db.rollback());
    QCOMPARE(scalar(connection, "select count(*) from public.t_whole").toInt(), 2);
}

bool tst_Schema::prepareVersionOne(const QString &name, const QStringList &more, QString *error)
{
    if (!TestServer::prepareDatabase(name, error))
        return false;
    const QString connectionName = QStringLiteral("older-driver");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        db.setHostName(TestServer::socketDir());
        db.setUserName(QStringLiteral("workplace"));
        db.setDatabaseName(name);
        ok = db.open();
        QStringList statements = SqlLexer::splitStatements(m_catalog.migrations().first().sql);
        statements += m_catalog.stampStatements(1);
        statements += QStringLiteral("insert into sys.t_user (c_name, c_login, c_pass_hash) "
                                     "values ('Старый пользователь', 'old', sys.hash_password('old'))");
        statements += more;
        QSqlQuery query(db);
        for (const QString &statement : qAsConst(statements)) {
            if (ok && !query.exec(statement)) {
                *error = query.lastError().text();
                ok = false;
            }
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    return ok;
}

void tst_Schema::upgradeKeepsRows()
{
    QString error;
    // A site's own script lives beside ours and must survive the upgrade.
    const QStringList siteScript = {QStringLiteral("insert into sys.t_script (c_name, c_text) "
                                                   "values ('SITE_REPORT', 'select 1')")};
    QVERIFY2(prepareVersionOne(QStringLiteral("tst_schema_upgrade"), siteScript, &error), qPrintable(error));

    QSqlConnection connection(&m_driver);
    ModalAnswerer answerer;
    QVERIFY(connection.Connect(QStringLiteral("MainConnection"), false));
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(scalar(connection, "select c_value from sys.t_sys_attr where c_attr = 'SchemaVersion'").toInt(),
             m_catalog.latestVersion());
    QCOMPARE(scalar(connection, "select c_name from sys.t_user where c_login = 'old'").toString(),
             QStringLiteral("Старый пользователь"));
    QVERIFY(connection.login(QStringLiteral("old"), QStringLiteral("old")));
    // What the newer migrations brought works on the upgraded database.
    QVERIFY(!scalar(connection, "select to_regclass('sys.t_user_attr')").isNull());
    QCOMPARE(connection.getScript(QStringLiteral("SITE_REPORT")), QStringLiteral("select 1"));
    QVERIFY(!connection.getScript(QStringLiteral("USER_ATTR_WRITE")).isEmpty());
}

void tst_Schema::failedUpgradeLeavesDatabaseAsItWas()
{
    QString error;
    // Somebody made a table that the next migration wants to create.
    const QStringList clash = {
        QStringLiteral("create table sys.t_user_attr (c_value text)"),
        QStringLiteral("insert into sys.t_user_attr values ('kept')"),
    };
    QVERIFY2(prepareVersionOne(QStringLiteral("tst_schema_failed_upgrade"), clash, &error), qPrintable(error));

    QSqlConnection connection(&m_driver);
    ModalAnswerer answerer;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: ")));
    QVERIFY(!connection.Connect(QStringLiteral("MainConnection"), false));
    QCOMPARE(answerer.titles, QStringList{"ERROR"});
    QVERIFY2(answerer.texts.value(0).contains(QLatin1String("could not be upgraded from version 1")),
             qPrintable(answerer.texts.value(0)));
    QSqlQuery blocker(connection.database());
    QVERIFY(blocker.exec(QStringLiteral("select c_value from sys.t_user_attr")));
    QVERIFY(blocker.next());
    QCOMPARE(blocker.value(0).toString(), QStringLiteral("kept"));
    QVERIFY(blocker.exec(QStringLiteral("select c_value from sys.t_sys_attr where c_attr = 'SchemaVersion'")));
    QVERIFY(blocker.next());
    QCOMPARE(blocker.value(0).toString(), QStringLiteral("1"));
}

void tst_Schema::refusesWhatItCannotServe_data()
{
    QTest::addColumn<QString>("setup");     // run on a fresh database with our schema
    QTest::addColumn<QString>("dbUser");
    QTest::addColumn<QString>("dbName");
    QTest::addColumn<bool>("loginError");
    QTest::addColumn<QString>("message");   // part of the error box text, empty when none

    QTest::newRow("newer schema") << "update sys.t_sys_attr set c_value = '999' where c_attr = 'SchemaVersion'"
                                  << "workplace" << "" << false << "newer than this driver";
    QTest::newRow("unknown role") << "" << "no_such_role" << "" << true << "";
    QTest::newRow("missing database") << "" << "workplace" << "no_such_database" << false << "does not exist";
}

void tst_Schema::refusesWhatItCannotServe()
{
    QFETCH(QString, setup);
    QFETCH(QString, dbUser);
    QFETCH(QString, dbName);
    QFETCH(bool, loginError);
    QFETCH(QString, message);

    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_schema_refused"), &error), qPrintable(error));
    {
        QSqlConnection setupConnection(&m_driver);
        QVERIFY2(TestServer::connectAndLogin(&m_driver, &setupConnection, true, &error), qPrintable(error));
        if (!setup.isEmpty()) {
            QSqlQuery query(setupConnection.database());
            QVERIFY(query.exec(setup));
        }
    }
    qApp->setProperty("DbUser", dbUser);
    if (!dbName.isEmpty())
        qApp->setProperty("DbName", dbName);

    QSqlConnection connection(&m_driver);
    ModalAnswerer answerer;
    if (QSqlDatabase::contains(QStringLiteral("MainConnection")))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unable to open database")));
    QVERIFY(!connection.Connect(QStringLiteral("MainConnection"), false));
    QVERIFY(!connection.isConnected());
    QCOMPARE(connection.loginError(), loginError);
    if (message.isEmpty()) {
        QVERIFY(answerer.titles.isEmpty());
    } else {
        QCOMPARE(answerer.titles, QStringList{"ERROR"});
        QVERIFY2(answerer.texts.value(0).contains(message), qPrintable(answerer.texts.value(0)));
    }
}

QTEST_MAIN(tst_Schema)
#include "tst_schema.moc"
