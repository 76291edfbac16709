// Data sets against the real server: master keys flowing into details, one
// transaction for all tables, recovery from a failed or interrupted commit.

#include "modalanswerer.h"
#include "objvar.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QComboBox>
#include <QLibrary>
#include <QLoggingCategory>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

class tst_DataSet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newMasterKeyReachesDetails();
    void failingTableRollsBackEverything();
    void droppedConnectionLosesNothing();
    void changingOrderLimitsCommitAndRollback();
    void keysTheClientChoseAndCommitsWithoutTransaction();
    void structureAndLookups();
    void dumps();

private:
    QDataTable *makeTable(const QString &name, const QStringList &fields, const QString &keyField = QStringLiteral("id"));
    QDataSet *makeDocument();
    qlonglong count(const QString &statement);

    QLibrary m_driver;
    QSqlConnection m_connection;
    QObject *m_owner = nullptr;
};

void tst_DataSet::initTestCase()
{
    // The promised debug lines are checked by their text, so their categories are on.
    QLoggingCategory::setFilterRules(QStringLiteral("workplace.*.debug=true"));
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_dataset"), &error), qPrintable(error));
    m_driver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::connectAndLogin(&m_driver, &m_connection, true, &error), qPrintable(error));
    qApp->setProperty("Connection", objToVar(&m_connection));

    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral(
            "create table public.t_master (id serial primary key, c_name text not null);"
            "create table public.t_detail (id serial primary key,"
            "  id_master integer not null references public.t_master (id) on delete cascade, c_text text);"
            "create table public.t_third (id serial primary key, c_value text not null);"
            // Ends its own session: what a dropped connection looks like from the client.
            "create function public.f_drop_me() returns integer language sql as"
            "  $$ select pg_terminate_backend(pg_backend_pid())::integer $$;")));
}

void tst_DataSet::init()
{
    m_owner = new QObject;
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("truncate public.t_master, public.t_detail, public.t_third restart identity")));
}

void tst_DataSet::cleanup()
{
    delete m_owner;
    m_owner = nullptr;
}

qlonglong tst_DataSet::count(const QString &statement)
{
    return m_connection.execScript(statement).toLongLong();
}

// A table over public.<name> whose scripts return the stored row.
QDataTable *tst_DataSet::makeTable(const QString &name, const QStringList &fields, const QString &keyField)
{
    auto *table = new QDataTable(name, &m_connection, m_owner);
    QStringList params;
    QStringList assignments;
    for (const QString &field : fields) {
        params << QLatin1Char(':') + field;
        assignments << field + QStringLiteral(" = :") + field;
    }
    const QString all = QStringLiteral("id, ") + fields.join(QStringLiteral(", "));
    table->setScripts(
            QStringLiteral("select %1 from public.%2 order by id").arg(all, name),
            QStringLiteral("update public.%1 set %2 where id = :id returning %3").arg(name, assignments.join(QStringLiteral(", ")), all),
            QStringLiteral("insert into public.%1 (%2) values (%3) returning %4")
                    .arg(name, fields.join(QStringLiteral(", ")), params.join(QStringLiteral(", ")), all),
            QStringLiteral("delete from public.%1 where id = :id").arg(name), true);
    table->addColumn(QStringLiteral("id"), QVariant::Int, true, QStringLiteral("id"), -1);
    for (const QString &field : fields)
        table->addColumn(field, field.startsWith(QLatin1String("id_")) ? QVariant::Int : QVariant::String);
    table->setKeyField(keyField);
    table->open();
    return table;
}

QDataSet *tst_DataSet::makeDocument()
{
    auto *set = new QDataSet(m_owner);
    set->setObjectName(QStringLiteral("document"));
    set->addTable(makeTable(QStringLiteral("t_master"), {QStringLiteral("c_name")}));
    set->addTable(makeTable(QStringLiteral("t_detail"), {QStringLiteral("id_master"), QStringLiteral("c_text")}));
    set->addTable(makeTable(QStringLiteral("t_third"), {QStringLiteral("c_value")}));
    set->createDataLink(QStringLiteral("t_master"), QStringLiteral("id"), QStringLiteral("t_detail"), QStringLiteral("id_master"));
    return set;
}

void tst_DataSet::newMasterKeyReachesDetails()
{
    QDataSet *set = makeDocument();
    QDataTable *master = set->getTable(QStringLiteral("t_master"));
    QDataTable *detail = set->getTable(QStringLiteral("t_detail"));

    QVERIFY(master->addRow());
    QCOMPARE(master->getField(QStringLiteral("id")).toInt(), -1);
    QVERIFY(master->setField(QStringLiteral("c_name"), QStringLiteral("Сделка")));
    for (const QString &text : {QStringLiteral("first"), QStringLiteral("second")}) {
        QVERIFY(detail->addRow());
        QVERIFY(detail->setField(QStringLiteral("id_master"), -1));
        QVERIFY(detail->setField(QStringLiteral("c_text"), text));
    }
    QVERIFY(set->isModified());
    QVERIFY(set->commit(&m_connection));
    QVERIFY(!set->isModified());

    const qlonglong key = count(QStringLiteral("select id from public.t_master"));
    QVERIFY(key > 0);
    QCOMPARE(master->getField(QStringLiteral("id"), 0).toLongLong(), key);
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_detail where id_master = (select id from public.t_master)")), 2);
    for (int row = 0; row < detail->rowCount(); ++row) {
        QCOMPARE(detail->getField(QStringLiteral("id_master"), row).toLongLong(), key);
        QCOMPARE(detail->getRowState(row), 0);
    }
}

void tst_DataSet::failingTableRollsBackEverything()
{
    QDataSet *set = makeDocument();
    QDataTable *master = set->getTable(QStringLiteral("t_master"));
    QDataTable *detail = set->getTable(QStringLiteral("t_detail"));
    QDataTable *third = set->getTable(QStringLiteral("t_third"));

    QVERIFY(master->addRow());
    QVERIFY(master->setField(QStringLiteral("c_name"), QStringLiteral("master")));
    QVERIFY(detail->addRow());
    QVERIFY(detail->setField(QStringLiteral("id_master"), -1));
    QVERIFY(third->addRow()); // c_value stays null: the server refuses it

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: .*c_value")));
    QVERIFY(!set->commit(&m_connection));
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_master")), 0);
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_detail")), 0);
    // In memory, the document is as it was before the attempt.
    QCOMPARE(master->getRowState(0), 1);
    QCOMPARE(master->getField(QStringLiteral("id"), 0).toInt(), -1);
    QCOMPARE(detail->getRowState(0), 1);
    QCOMPARE(detail->getField(QStringLiteral("id_master"), 0).toInt(), -1);
    QCOMPARE(third->getRowState(0), 1);

    // Corrected, the same document is written once.
    third->first();
    QVERIFY(third->setField(QStringLiteral("c_value"), QStringLiteral("now set")));
    QVERIFY(set->commit(&m_connection));
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_master")), 1);
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_detail where id_master = (select id from public.t_master)")), 1);
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_third")), 1);
    QVERIFY(set->commit(&m_connection));
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_master")), 1);
}

void tst_DataSet::droppedConnectionLosesNothing()
{
    QDataSet *set = makeDocument();
    QDataTable *master = set->getTable(QStringLiteral("t_master"));
    QDataTable *detail = set->getTable(QStringLiteral("t_detail"));
    const QString detailInsert = detail->insertScript();
    // The detail insert ends the session after the master row was written.
    detail->setScripts(detail->selectScript(), detail->updateScript(),
                       QStringLiteral("select public.f_drop_me() , :id_master , :c_text"),
                       detail->deleteScript(), true);

    QVERIFY(master->addRow());
    QVERIFY(master->setField(QStringLiteral("c_name"), QStringLiteral("survives")));
    QVERIFY(detail->addRow());
    QVERIFY(detail->setField(QStringLiteral("id_master"), -1));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: ")));
    QVERIFY(!set->commit(&m_connection));
    QCOMPARE(master->getRowState(0), 1);
    QCOMPARE(detail->getRowState(0), 1);

    // Reconnect and commit the same edits.
    QVERIFY(m_connection.Connect(QStringLiteral("MainConnection"), true));
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_master")), 0);
    detail->setScripts(detail->selectScript(), detail->updateScript(), detailInsert, detail->deleteScript(), true);
    QVERIFY(set->commit(&m_connection));
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_master where c_name = 'survives'")), 1);
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_detail where id_master = (select id from public.t_master)")), 1);
}

void tst_DataSet::changingOrderLimitsCommitAndRollback()
{
    QDataSet *set = makeDocument();
    QDataTable *master = set->getTable(QStringLiteral("t_master"));
    QDataTable *third = set->getTable(QStringLiteral("t_third"));
    QVERIFY(master->addRow());
    QVERIFY(master->setField(QStringLiteral("c_name"), QStringLiteral("only me")));
    QVERIFY(third->addRow());
    QVERIFY(third->setField(QStringLiteral("c_value"), QStringLiteral("not me")));

    set->setChangingOrder({QStringLiteral("t_master"), QStringLiteral("no_such_table")});
    QVERIFY(set->commit(&m_connection));
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_master")), 1);
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_third")), 0);

    QVERIFY(master->setField(QStringLiteral("c_name"), QStringLiteral("edited")));
    set->setChangingOrder({QStringLiteral("t_third")});
    set->rollback();
    QCOMPARE(third->rowCount(), 0);
    QCOMPARE(master->getField(QStringLiteral("c_name"), 0).toString(), QStringLiteral("edited"));

    // No tables at all: an empty transaction.
    QDataSet empty;
    QVERIFY(empty.commit(&m_connection));
    QVERIFY(empty.commit(nullptr));
}

void tst_DataSet::keysTheClientChoseAndCommitsWithoutTransaction()
{
    QDataSet *set = makeDocument();
    QDataTable *master = set->getTable(QStringLiteral("t_master"));
    QDataTable *detail = set->getTable(QStringLiteral("t_detail"));
    QDataTable *third = set->getTable(QStringLiteral("t_third"));

    // The client picks the key; the insert returns the same one.
    master->setScripts(master->selectScript(), master->updateScript(),
                       QStringLiteral("insert into public.t_master (id, c_name) values (:id, :c_name) returning id, c_name"),
                       master->deleteScript(), true);
    QVERIFY(master->addRow());
    QVERIFY(master->setField(QStringLiteral("id"), 100));
    QVERIFY(master->setField(QStringLiteral("c_name"), QStringLiteral("chosen")));
    QVERIFY(detail->addRow());
    QVERIFY(detail->setField(QStringLiteral("id_master"), 100));
    QVERIFY(set->commit(&m_connection));
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_detail where id_master = 100")), 1);

    // A detail left out of the changing order still follows a master that is
    // put back after a failure.
    set->setChangingOrder({QStringLiteral("t_master"), QStringLiteral("t_third")});
    master->setScripts(master->selectScript(), master->updateScript(),
                       QStringLiteral("insert into public.t_master (c_name) values (:c_name) returning id, c_name"),
                       master->deleteScript(), true);
    QVERIFY(master->addRow());
    const int newMaster = master->currentRow();
    QVERIFY(master->setField(QStringLiteral("c_name"), QStringLiteral("second")));
    QVERIFY(detail->addRow());
    const int newDetail = detail->currentRow();
    QVERIFY(detail->setField(QStringLiteral("id_master"), master->getField(QStringLiteral("id"), newMaster)));
    const QVariant temporaryKey = master->getField(QStringLiteral("id"), newMaster);
    QVERIFY(third->addRow()); // refused by the server
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: ")));
    QVERIFY(!set->commit(&m_connection));
    QCOMPARE(detail->getField(QStringLiteral("id_master"), newDetail), temporaryKey);

    // Without a transaction what was written stays written, and the rows say so:
    // the corrected commit does not write the master twice.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: ")));
    QVERIFY(!set->commit(nullptr));
    QCOMPARE(master->getRowState(newMaster), 0);
    third->first();
    QVERIFY(third->setField(QStringLiteral("c_value"), QStringLiteral("fixed")));
    QVERIFY(set->commit(nullptr));
    QCOMPARE(count(QStringLiteral("select count(*) from public.t_master where c_name = 'second'")), 1);
    QCOMPARE(detail->getField(QStringLiteral("id_master"), newDetail), master->getField(QStringLiteral("id"), newMaster));
}

void tst_DataSet::structureAndLookups()
{
    QDataSet *set = makeDocument();
    QCOMPARE(set->tables(), (QStringList{"t_master", "t_detail", "t_third"}));
    QVERIFY(!set->addTable(new QDataTable(QStringLiteral("t_master"), &m_connection, m_owner)));
    QCOMPARE(set->tables().size(), 3);
    QTest::ignoreMessage(QtDebugMsg, "table not found [t_nothing]");
    QVERIFY(!set->getTable(QStringLiteral("t_nothing")));

    // A merged document brings tables and links it did not have.
    QDataSet merged;
    merged.addTable(makeTable(QStringLiteral("t_master"), {QStringLiteral("c_name")}));
    merged.intersect(set);
    QCOMPARE(merged.tables(), (QStringList{"t_master", "t_detail", "t_third"}));
    QCOMPARE(merged.links().size(), 1);
    QCOMPARE(merged.links().first().detailTable, merged.getTable(QStringLiteral("t_detail")));
    merged.intersect(set);
    QCOMPARE(merged.links().size(), 1);

    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("insert into public.t_master (c_name) values ('Альфа'), ('Бета')")));
    QDataTable *lookup = makeTable(QStringLiteral("t_master"), {QStringLiteral("c_name")});
    lookup->close();
    QCOMPARE(getValueById(lookup, 2, QStringLiteral("c_name")).toString(), QStringLiteral("Бета"));
    QVERIFY(query.exec(QStringLiteral("update public.t_master set c_name = 'changed' where id = 2")));
    // An open table is not reloaded.
    QCOMPARE(getValueById(lookup, 2, QStringLiteral("c_name")).toString(), QStringLiteral("Бета"));
    QVERIFY(!getValueById(lookup, 99, QStringLiteral("c_name")).isValid());
    QVERIFY(!getValueById(static_cast<QDataSet *>(nullptr), QStringLiteral("t_master"), 1, QStringLiteral("c_name")).isValid());

    QComboBox combo;
    fillComboBox(&combo, lookup, QStringLiteral("c_name"), QStringLiteral("id"), QStringLiteral("(нет)"), 0);
    QCOMPARE(combo.count(), 3);
    QCOMPARE(combo.itemText(2), QStringLiteral("changed")); // reloaded
    QCOMPARE(combo.itemData(2).toInt(), 2);
    fillComboBox(&combo, lookup, QStringLiteral("c_name"), QStringLiteral("id"));
    QCOMPARE(combo.count(), 2);
}

void tst_DataSet::dumps()
{
    QDataSet *set = makeDocument();
    QDataTable *master = set->getTable(QStringLiteral("t_master"));
    QVERIFY(master->addRow());
    QVERIFY(master->setField(QStringLiteral("c_name"), QStringLiteral("say \"hi\"")));
    QVERIFY(master->addRow());
    QVERIFY(master->deleteRow(1));

    QCOMPARE(master->prepareDump(false), QStringLiteral("\"id\";\"c_name\";\n\"-1\";\"say \"hi\"\";;\n"));
    QCOMPARE(master->prepareDump(true),
             QStringLiteral("ROW_STATE;\"id\";\"c_name\";\nA;\"-1\";\"say \"hi\"\";;\nD;\"-2\";\"\";;\n"));

    QTemporaryDir dir;
    // A report: labels of visible columns, no deleted rows, decimal commas, cp1251.
    auto *priced = new QDataTable(QStringLiteral("t_priced"), &m_connection, m_owner);
    priced->setScripts(QStringLiteral("select 1.5::float8 as n_price, 'Цена' as c_name, 7 as id_hidden"),
                       QString(), QString(), QString(), true);
    priced->addColumn(QStringLiteral("n_price"), QVariant::Double, true, QStringLiteral("Цена"));
    priced->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Наименование"));
    priced->addColumn(QStringLiteral("id_hidden"), QVariant::Int, false, QStringLiteral("hidden"));
    QVERIFY(priced->open());
    QVERIFY(priced->addRow());
    QVERIFY(priced->deleteRow(1));
    const QString report = dir.filePath(QStringLiteral("report.csv"));
    priced->makeReport(report);
    QFile reportFile(report);
    QVERIFY(reportFile.open(QIODevice::ReadOnly));
    QCOMPARE(QTextCodec::codecForName("cp1251")->toUnicode(reportFile.readAll()),
             QStringLiteral("\"Цена\";\"Наименование\"\n\"1,5\";\"Цена\"\n"));
    QCOMPARE(priced->prepareDump(false), QStringLiteral("\"n_price\";\"c_name\";\"id_hidden\";\n\"1.5\";\"Цена\";\"7\";;\n"));

    set->dump(dir.filePath(QStringLiteral("dumps")), false, QString(), {QStringLiteral("nothing")});
    const QStringList files = QDir(dir.filePath(QStringLiteral("dumps"))).entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY(files.first().startsWith(QLatin1String("dataset_document_")));
    QCOMPARE(QFileInfo(QDir(dir.filePath(QStringLiteral("dumps"))).filePath(files.first())).size(), 0);
}

QTEST_MAIN(tst_DataSet)
#include "tst_dataset.moc"
