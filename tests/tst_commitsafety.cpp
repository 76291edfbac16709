// What a commit must never do silently: overwrite a colleague's change, lose
// the user's edits, swallow a failed COMMIT, or store bytes as text.

#include "modalanswerer.h"
#include "objvar.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "rowconflict.h"
#include "testserver.h"

#include <QLibrary>
#include <QMessageBox>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

const char *const schema = R"(
create table public.t_firm (
    id            serial primary key,
    c_name        text not null,
    c_city        text,
    n_row_version integer not null default 1
);
create trigger t_row_version before update on public.t_firm
    for each row execute function sys.tg_row_version();
create table public.t_note (
    id      serial primary key,
    c_text  text not null
);
create table public.t_part (
    id      serial primary key,
    id_firm integer not null,
    c_text  text,
    c_blob  bytea,
    c_label varchar(40),
    constraint fk_part_firm foreign key (id_firm) references public.t_firm (id)
        deferrable initially deferred
);
)";

const char *const otherSession = "other-workplace";

} // namespace

class tst_CommitSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void concurrentEditsConflict_data();
    void concurrentEditsConflict();
    void failedCommitIsReported_data();
    void failedCommitIsReported();
    void bytesAreBytes_data();
    void bytesAreBytes();
    void errorsAreKept();

private:
    QDataTable *firmTable(bool returning);
    QDataTable *noteTable();
    QDataTable *partTable();
    QVariant scalar(const QString &statement);
    bool otherWorkplace(const QString &statement);

    QLibrary m_driver;
    QSqlConnection m_connection;
    QObject *m_owner = nullptr;
};

void tst_CommitSafety::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_commitsafety"), &error), qPrintable(error));
    m_driver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::connectAndLogin(&m_driver, &m_connection, true, &error), qPrintable(error));
    qApp->setProperty("Connection", objToVar(&m_connection));
    QSqlQuery query(m_connection.database());
    QVERIFY2(query.exec(QString::fromUtf8(schema)), qPrintable(query.lastError().text()));

    // Another person's workplace: a session of its own on the same database.
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QString::fromLatin1(otherSession));
    other.setHostName(TestServer::socketDir());
    other.setUserName(QStringLiteral("workplace"));
    other.setDatabaseName(QStringLiteral("tst_commitsafety"));
    QVERIFY2(other.open(), qPrintable(other.lastError().text()));
}

void tst_CommitSafety::cleanupTestCase()
{
    QSqlDatabase::database(QString::fromLatin1(otherSession)).close();
    QSqlDatabase::removeDatabase(QString::fromLatin1(otherSession));
}

void tst_CommitSafety::init()
{
    m_owner = new QObject;
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("truncate public.t_firm, public.t_note, public.t_part restart identity")));
    QVERIFY(query.exec(QStringLiteral("insert into public.t_firm (c_name, c_city) values "
                                      "('ООО \"Ромашка\"', 'Тула'), ('АО \"Вектор\"', 'Омск')")));
}

void tst_CommitSafety::cleanup()
{
    delete m_owner;
    m_owner = nullptr;
    qApp->setProperty("bDebugDB", false);
    qApp->setProperty("bNoGUI", false);
}

QVariant tst_CommitSafety::scalar(const QString &statement)
{
    QSqlQuery query(QSqlDatabase::database(QString::fromLatin1(otherSession)));
    return query.exec(statement) && query.next() ? query.value(0) : QVariant();
}

bool tst_CommitSafety::otherWorkplace(const QString &statement)
{
    QSqlQuery query(QSqlDatabase::database(QString::fromLatin1(otherSession)));
    return query.exec(statement);
}

// The row-version convention: update and delete name the version they read.
QDataTable *tst_CommitSafety::firmTable(bool returning)
{
    auto *table = new QDataTable(QStringLiteral("t_firm"), &m_connection, m_owner);
    const QString back = returning ? QStringLiteral(" returning id, c_name, c_city, n_row_version") : QString();
    table->setScripts(
            QStringLiteral("select id, c_name, c_city, n_row_version from public.t_firm order by id"),
            QStringLiteral("update public.t_firm set c_name = :c_name , c_city = :c_city "
                           "where id = :id and n_row_version = :n_row_version") + back,
            QStringLiteral("insert into public.t_firm (c_name, c_city) values (:c_name, :c_city) "
                           "returning id, c_name, c_city, n_row_version"),
            QStringLiteral("delete from public.t_firm where id = :id and n_row_version = :n_row_version") + back,
            true);
    table->addColumn(QStringLiteral("id"), QVariant::Int, true, QStringLiteral("id"), -1);
    table->addColumn(QStringLiteral("c_name"), QVariant::String);
    table->addColumn(QStringLiteral("c_city"), QVariant::String);
    table->addColumn(QStringLiteral("n_row_version"), QVariant::Int, false);
    table->setKeyField(QStringLiteral("id"));
    table->open();
    return table;
}

QDataTable *tst_CommitSafety::noteTable()
{
    auto *table = new QDataTable(QStringLiteral("t_note"), &m_connection, m_owner);
    table->setScripts(QStringLiteral("select id, c_text from public.t_note order by id"), QString(),
                      QStringLiteral("insert into public.t_note (c_text) values (:c_text) returning id, c_text"),
                      QString(), true);
    table->addColumn(QStringLiteral("id"), QVariant::Int, true, QStringLiteral("id"), -1);
    table->addColumn(QStringLiteral("c_text"), QVariant::String);
    table->setKeyField(QStringLiteral("id"));
    table->open();
    return table;
}

QDataTable *tst_CommitSafety::partTable()
{
    auto *table = new QDataTable(QStringLiteral("t_part"), &m_connection, m_owner);
    table->setScripts(QStringLiteral("select id, id_firm, c_text, c_blob, c_label from public.t_part order by id"),
                      QString(),
                      QStringLiteral("insert into public.t_part (id_firm, c_text) values (:id_firm, :c_text) "
                                     "returning id, id_firm, c_text"),
                      QString(), true);
    table->addColumn(QStringLiteral("id"), QVariant::Int, true, QStringLiteral("id"), -1);
    table->addColumn(QStringLiteral("id_firm"), QVariant::Int);
    table->addColumn(QStringLiteral("c_text"), QVariant::String);
    table->setKeyField(QStringLiteral("id"));
    table->open();
    return table;
}

void tst_CommitSafety::concurrentEditsConflict_data()
{
    QTest::addColumn<bool>("returning");       // the scripts return the stored row, or count rows
    QTest::addColumn<QString>("mine");         // what this user does to firm 1: "city", "name", "delete"
    QTest::addColumn<QString>("theirs");       // what the other workplace committed meanwhile
    QTest::addColumn<bool>("resolvable");      // the stored row is still there to rebase on
    QTest::addColumn<QString>("finalName");    // firm 1 after rebasing and saving again
    QTest::addColumn<QString>("finalCity");

    const QString changeName = QStringLiteral("update public.t_firm set c_name = 'ООО \"Ромашка-2\"' where id = 1");
    const QString deleteRow = QStringLiteral("delete from public.t_firm where id = 1");
    for (bool returning : {true, false}) {
        const char *form = returning ? "returning" : "plain";
        QTest::addRow("%s: different columns", form) << returning << "city" << changeName << true
                                                     << "ООО \"Ромашка-2\"" << "Тверь";
        QTest::addRow("%s: same column", form) << returning << "name" << changeName << true
                                               << "ООО \"Ромашка и партнёры\"" << "Тула";
        QTest::addRow("%s: update of a deleted row", form) << returning << "city" << deleteRow << false << "" << "";
        QTest::addRow("%s: delete of a changed row", form) << returning << "delete" << changeName << true << "" << "";
        QTest::addRow("%s: delete of a deleted row", form) << returning << "delete" << deleteRow << false << "" << "";
    }
}

void tst_CommitSafety::concurrentEditsConflict()
{
    QFETCH(bool, returning);
    QFETCH(QString, mine);
    QFETCH(QString, theirs);
    QFETCH(bool, resolvable);
    QFETCH(QString, finalName);
    QFETCH(QString, finalCity);

    // A document of two tables: the note is written first, so a rolled-back
    // transaction shows in its table as well.
    auto *set = new QDataSet(m_owner);
    QDataTable *notes = noteTable();
    QDataTable *firms = firmTable(returning);
    set->addTable(notes);
    set->addTable(firms);
    QVERIFY(notes->addRow());
    QVERIFY(notes->setField(QStringLiteral("c_text"), QStringLiteral("звонок")));

    QVERIFY(firms->first());
    if (mine == QLatin1String("city"))
        QVERIFY(firms->setField(QStringLiteral("c_city"), QStringLiteral("Тверь")));
    else if (mine == QLatin1String("name"))
        QVERIFY(firms->setField(QStringLiteral("c_name"), QStringLiteral("ООО \"Ромашка и партнёры\"")));
    else
        QVERIFY(firms->deleteRow(0));
    const QSqlRecord edited = firms->getRecord(0);
    const int state = firms->getRowState(0);

    QVERIFY(otherWorkplace(theirs));
    const QVariant storedName = scalar(QStringLiteral("select c_name from public.t_firm where id = 1"));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
            "^Error executing query: Запись таблицы t_firm \\(id = 1\\) изменил или удалил другой пользователь")));
    QVERIFY(!set->commit(&m_connection));

    // Reported as a conflict, naming the table, the row and both versions of it.
    QVERIFY(RowConflict::isConflict(set->lastError()));
    QVERIFY(!RowConflict::isConflict(QSqlError(QStringLiteral("x"), QStringLiteral("y"), QSqlError::TransactionError)));
    const RowConflict conflict = set->lastConflict();
    QVERIFY(conflict.isValid());
    QCOMPARE(conflict.operation(), mine == QLatin1String("delete") ? RowConflict::Delete : RowConflict::Update);
    QCOMPARE(conflict.table(), QStringLiteral("t_firm"));
    QCOMPARE(conflict.keyField(), QStringLiteral("id"));
    QCOMPARE(conflict.key().toInt(), 1);
    QCOMPARE(conflict.record(), edited);
    QCOMPARE(conflict.originalRecord().value(QStringLiteral("c_name")).toString(), QStringLiteral("ООО \"Ромашка\""));
    QCOMPARE(conflict.originalRecord().value(QStringLiteral("n_row_version")).toInt(), 1);
    QCOMPARE(conflict.changedFields(), mine == QLatin1String("city") ? QStringList{"c_city"}
                                       : mine == QLatin1String("name") ? QStringList{"c_name"} : QStringList());
    QCOMPARE(firms->lastConflict().key().toInt(), 1);

    // Nothing written, the colleague's change intact, the user's edits pending.
    QCOMPARE(scalar(QStringLiteral("select count(*) from public.t_note")).toInt(), 0);
    QCOMPARE(scalar(QStringLiteral("select c_name from public.t_firm where id = 1")), storedName);
    QCOMPARE(firms->getRowState(0), state);
    QCOMPARE(firms->getRecord(0), edited);
    QCOMPARE(notes->getRowState(0), int(rsNew));
    QVERIFY(set->isModified());
    // Saving again without resolving meets the same conflict.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: Запись таблицы")));
    QVERIFY(!set->commit(&m_connection));
    QVERIFY(RowConflict::isConflict(set->lastError()));

    if (!resolvable)
        return;
    // The user keeps their change on top of the other person's version.
    QSqlQuery stored(m_connection.database());
    QVERIFY(stored.exec(QStringLiteral("select id, c_name, c_city, n_row_version from public.t_firm where id = 1")));
    QVERIFY(stored.next());
    QVERIFY(firms->rebaseRow(0, stored.record()));
    QCOMPARE(firms->getRowState(0), state);
    QVERIFY2(set->commit(&m_connection), qPrintable(set->lastError().text()));
    QVERIFY(!set->lastError().isValid());
    QVERIFY(!set->lastConflict().isValid());
    QCOMPARE(scalar(QStringLiteral("select count(*) from public.t_note")).toInt(), 1);
    if (mine == QLatin1String("delete")) {
        QCOMPARE(scalar(QStringLiteral("select count(*) from public.t_firm where id = 1")).toInt(), 0);
        return;
    }
    QCOMPARE(scalar(QStringLiteral("select c_name from public.t_firm where id = 1")).toString(), finalName);
    QCOMPARE(scalar(QStringLiteral("select c_city from public.t_firm where id = 1")).toString(), finalCity);
    QCOMPARE(scalar(QStringLiteral("select n_row_version from public.t_firm where id = 1")).toInt(), 3);
    if (returning) {
        // The stored row came back: a further edit of the same row is not stale.
        QCOMPARE(firms->getField(QStringLiteral("n_row_version"), 0).toInt(), 3);
        QVERIFY(firms->setField(QStringLiteral("c_city"), QStringLiteral("Псков")));
        QVERIFY(firms->commit());
        QCOMPARE(scalar(QStringLiteral("select c_city from public.t_firm where id = 1")).toString(), QStringLiteral("Псков"));
    }
}

void tst_CommitSafety::failedCommitIsReported_data()
{
    QTest::addColumn<bool>("debugDb");
    QTest::addColumn<bool>("boxShown");

    QTest::newRow("warning only") << false << false;
    QTest::newRow("with the database error box") << true << true;
}

void tst_CommitSafety::failedCommitIsReported()
{
    QFETCH(bool, debugDb);
    QFETCH(bool, boxShown);
    qApp->setProperty("bDebugDB", debugDb);

    // A detail whose master does not exist passes every statement and fails at COMMIT.
    auto *set = new QDataSet(m_owner);
    QDataTable *notes = noteTable();
    QDataTable *parts = partTable();
    set->addTable(notes);
    set->addTable(parts);
    QVERIFY(notes->addRow());
    QVERIFY(notes->setField(QStringLiteral("c_text"), QStringLiteral("к сделке")));
    QVERIFY(parts->addRow());
    QVERIFY(parts->setField(QStringLiteral("id_firm"), 99));
    QVERIFY(parts->setField(QStringLiteral("c_text"), QStringLiteral("болт М8")));

    ModalAnswerer answerer;
    if (boxShown)
        answerer.pressButton(QMessageBox::Ok);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
            "^Error executing query: COMMIT\n.*violates foreign key constraint \"fk_part_firm\"")));
    QVERIFY(!set->commit(&m_connection));
    QTRY_COMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.titles, boxShown ? QStringList{"Database error"} : QStringList());
    QCOMPARE(answerer.unexpected, 0);
    QVERIFY(set->lastError().isValid());
    QVERIFY(!RowConflict::isConflict(set->lastError()));
    QVERIFY(set->lastError().text().contains(QLatin1String("fk_part_firm")));
    QCOMPARE(m_connection.lastError().text(), set->lastError().text());
    QVERIFY(!m_connection.inTransaction());

    // Nothing stored; both rows pending again with their temporary keys.
    QCOMPARE(scalar(QStringLiteral("select count(*) from public.t_note")).toInt(), 0);
    QCOMPARE(scalar(QStringLiteral("select count(*) from public.t_part")).toInt(), 0);
    QCOMPARE(notes->getRowState(0), int(rsNew));
    QCOMPARE(notes->getField(QStringLiteral("id"), 0).toInt(), -1);
    QCOMPARE(parts->getRowState(0), int(rsNew));

    // Corrected, the same document is written once.
    QVERIFY(parts->first());
    QVERIFY(parts->setField(QStringLiteral("id_firm"), 2));
    QVERIFY2(set->commit(&m_connection), qPrintable(set->lastError().text()));
    QCOMPARE(scalar(QStringLiteral("select count(*) from public.t_note")).toInt(), 1);
    QCOMPARE(scalar(QStringLiteral("select count(*) from public.t_part where id_firm = 2")).toInt(), 1);
}

void tst_CommitSafety::bytesAreBytes_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("text column") << "c_text" << false;
    QTest::newRow("varchar column") << "c_label" << false;
    QTest::newRow("bytea column") << "c_blob" << true;
}

void tst_CommitSafety::bytesAreBytes()
{
    QFETCH(QString, column);
    QFETCH(bool, accepted);

    // "Жук", a backslash, a quote, a NUL and a byte that is no UTF-8.
    const QByteArray bytes("\xd0\x96\xd1\x83\xd0\xba\\'\x00\xff", 10);
    const QString statement = QStringLiteral("insert into public.t_part (id_firm, %1) values ( :firm , :value )").arg(column);
    if (!accepted) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(
                QStringLiteral("^Error executing query: .*is of type (text|character varying) but expression is of type bytea")));
    }
    QSqlQuery query = m_connection.execScript(statement, QVariantList{1, bytes});
    QCOMPARE(query.isActive(), accepted);
    QCOMPARE(scalar(QStringLiteral("select count(*) from public.t_part")).toInt(), accepted ? 1 : 0);
    if (accepted)
        QCOMPARE(scalar(QStringLiteral("select c_blob from public.t_part")).toByteArray(), bytes);
    else
        QCOMPARE(m_connection.lastError().type(), QSqlError::StatementError);

    // Text stays text, in every column that takes it.
    if (column != QLatin1String("c_blob")) {
        query = m_connection.execScript(statement, QVariantList{1, QStringLiteral("Жук")});
        QVERIFY(query.isActive());
        QCOMPARE(scalar(QStringLiteral("select %1 from public.t_part").arg(column)).toString(), QStringLiteral("Жук"));
    }
}

void tst_CommitSafety::errorsAreKept()
{
    // The connection: the failed statement, until the next one succeeds.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: .*division by zero")));
    m_connection.execScript(QStringLiteral("select 1 / 0"), QVariantList());
    QVERIFY(m_connection.lastError().text().contains(QLatin1String("division by zero")));
    m_connection.execScript(QStringLiteral("select 1"), QVariantList());
    QVERIFY(!m_connection.lastError().isValid());

    // A table: the failed select, and the failed row script of a commit.
    auto *broken = new QDataTable(QStringLiteral("t_broken"), &m_connection, m_owner);
    broken->setScripts(QStringLiteral("select * from public.no_such_table"), QString(),
                       QStringLiteral("insert into public.no_such_table (x) values (:x)"), QString(), true);
    broken->addColumn(QStringLiteral("x"), QVariant::Int);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: .*no_such_table")));
    QVERIFY(broken->open());
    QCOMPARE(broken->getTableState(), -1);
    QVERIFY(broken->lastError().text().contains(QLatin1String("no_such_table")));
    QVERIFY(broken->addRow());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: .*no_such_table")));
    QVERIFY(!broken->commit());
    QCOMPARE(broken->lastError().type(), QSqlError::StatementError);
    QVERIFY(!broken->lastConflict().isValid());

    // A data set: the failing table's error; a later success clears it.
    auto *set = new QDataSet(m_owner);
    set->addTable(broken);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: .*no_such_table")));
    QVERIFY(!set->commit(&m_connection));
    QCOMPARE(set->lastError().text(), broken->lastError().text());
    QVERIFY(broken->killRow(0));
    QVERIFY(set->commit(&m_connection));
    QVERIFY(!set->lastError().isValid());
    QVERIFY(!broken->lastError().isValid());
}

QTEST_MAIN(tst_CommitSafety)
#include "tst_commitsafety.moc"
