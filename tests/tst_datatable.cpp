#include "datatableitem.h"
#include "modalanswerer.h"
#include "objvar.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "readonlydelegate.h"
#include "testserver.h"

#include <QApplication>
#include <QHeaderView>
#include <QLibrary>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

#include <memory>

namespace {

const char *const goodsSchema = R"(
create schema tst;
create table tst.t_goods (
    id      serial primary key,
    c_name  text not null check (c_name <> 'bad'),
    n_qty   integer not null default 0,
    n_price double precision,
    d_made  date,
    c_extra text
);
create function tst.refuse_locked() returns trigger language plpgsql as $$
begin
    if old.c_name = 'locked' then
        raise exception 'the row is locked';
    end if;
    return old;
end $$;
create trigger t_goods_delete before delete on tst.t_goods
    for each row execute function tst.refuse_locked();
)";

const char *const selectText =
        "select id, c_name, n_qty, n_price, d_made, c_extra from tst.t_goods where n_qty >= :min_qty order by id";
const char *const updateText =
        "update tst.t_goods set c_name = :c_name, n_qty = :n_qty, n_price = :n_price, d_made = :d_made where id = :id";
const char *const insertReturningText =
        "insert into tst.t_goods (c_name, n_qty, n_price, d_made) values (:c_name, :n_qty, :n_price, :d_made) "
        "returning id, c_name, n_qty, n_price, d_made";
const char *const insertPlainText =
        "insert into tst.t_goods (c_name, n_qty, n_price, d_made) values (:c_name, :n_qty, :n_price, :d_made)";
const char *const deleteText = "delete from tst.t_goods where id = :id";

// Draws what a list view would: quantities as words, deleted rows struck out.
class DisplayRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QPair<int, int>> calls; // column, state

public Q_SLOTS:
    void onGetDispInfo(int column, QVariant *value, QCellData *cell, QSqlRecord *record, int state)
    {
        calls.append({column, state});
        if (record && record->contains(QStringLiteral("n_qty")) && column == record->indexOf(QStringLiteral("n_qty")))
            cell->text = value->toInt() < 5 ? QStringLiteral("мало") : QStringLiteral("много");
        if (state == rsDeleted) {
            cell->font.setStrikeOut(true);
            cell->font.setItalic(true);
            cell->foreground = QBrush(Qt::gray);
        }
    }
};

} // namespace

class TestDataTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void loading_data();
    void loading();
    void openWithoutData();
    void queriesWhileLoading_data();
    void queriesWhileLoading();
    void callbacksSeeTheRowsStoredSoFar_data();
    void cellTextsAreTheToolkits_data();
    void cellTextsAreTheToolkits();
    void callbacksSeeTheRowsStoredSoFar();
    void editCycle_data();
    void editCycle();
    void batchedCommitMatchesReload_data();
    void batchedCommitMatchesReload();
    void commitAndResetRules_data();
    void commitAndResetRules();
    void failedCommit_data();
    void failedCommit();
    void rollbackRestores();
    void autoIncrement_data();
    void autoIncrement();
    void indexesAfterRemoval_data();
    void indexesAfterRemoval();
    void locateMovesTheCurrentRow_data();
    void locateMovesTheCurrentRow();
    void locateAfterRowsMoved_data();
    void locateAfterRowsMoved();
    void getRowsCopiesMatches();
    void append();
    void filters_data();
    void filters();
    void viewBinding();
    void directEdit_data();
    void directEdit();
    void editsInViewKeepLookupsTrue();
    void structuralCopy();
    void invokableByName();

private:
    std::unique_ptr<QDataTable> goodsTable(bool declaredColumns = true);
    void exec(const QString &sql);
    QStringList dbGoods();
    int rowOf(QDataTable *table, const QString &name);

    QLibrary m_driver;
    QSqlConnection *m_connection = nullptr;
};

void TestDataTable::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_datatable"), &error), qPrintable(error));
    m_driver.setFileName(TestServer::driverFile());
    m_connection = new QSqlConnection(nullptr, this);
    QVERIFY2(TestServer::connectAndLogin(&m_driver, m_connection, true, &error), qPrintable(error));
    qApp->setProperty("Connection", objToVar(m_connection));
    exec(QString::fromUtf8(goodsSchema));
}

void TestDataTable::init()
{
    exec(QStringLiteral("truncate tst.t_goods restart identity"));
    exec(QStringLiteral("insert into tst.t_goods (c_name, n_qty, n_price, d_made, c_extra) values "
                        "('apple', 5, 1.5, '2024-01-10', 'x'), ('pear', 2, 2.25, '2024-02-20', 'y'), "
                        "('locked', 7, null, null, null), ('plum', 9, 0.5, '2024-03-30', 'z')"));
    qApp->setProperty("bNoStoredProc", false);
}

void TestDataTable::cleanup()
{
    qApp->setProperty("bNoStoredProc", false);
}

void TestDataTable::exec(const QString &sql)
{
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("MainConnection")));
    QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
}

QStringList TestDataTable::dbGoods()
{
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("MainConnection")));
    query.exec(QStringLiteral("select c_name || ':' || n_qty from tst.t_goods order by c_name"));
    QStringList rows;
    while (query.next())
        rows.append(query.value(0).toString());
    return rows;
}

int TestDataTable::rowOf(QDataTable *table, const QString &name)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->getModel()->index(row, 1).data(ValueRole).toString() == name)
            return row;
    }
    return -1;
}

std::unique_ptr<QDataTable> TestDataTable::goodsTable(bool declaredColumns)
{
    auto table = std::make_unique<QDataTable>(QStringLiteral("tst.t_goods"), m_connection);
    table->setScripts(QString::fromLatin1(selectText), QString::fromLatin1(updateText),
                      QString::fromLatin1(insertReturningText), QString::fromLatin1(deleteText), true);
    table->setSelectParam(QStringLiteral("min_qty"), 0);
    if (declaredColumns) {
        table->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QStringLiteral("Код"), -1, 50, QVariant(),
                         colSearchIndex);
        table->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Название"), 0, 150);
        table->addColumn(QStringLiteral("n_qty"), QVariant::Int, true, QStringLiteral("Количество"), 0, 80, 1,
                         colDisplayLookup);
        table->addColumn(QStringLiteral("n_price"), QVariant::Double, true, QStringLiteral("Цена"));
        table->addColumn(QStringLiteral("d_made"), QVariant::Date, true, QStringLiteral("Дата"));
        table->addColumn(QStringLiteral("c_note"), QVariant::String, true, QStringLiteral("Примечание"), 0, 100,
                         QStringLiteral("нет"));
        table->setKeyField(QStringLiteral("id"));
    }
    return table;
}

// ------------------------------------------------------------------ loading

void TestDataTable::loading_data()
{
    QTest::addColumn<bool>("declared");
    QTest::addColumn<bool>("named");
    QTest::addColumn<int>("minQty");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("rows");

    const QStringList declared = {"id", "c_name", "n_qty", "n_price", "d_made", "c_note"};
    const QStringList generated = {"id", "c_name", "n_qty", "n_price", "d_made", "c_extra"};
    QTest::newRow("declared columns") << true << false << 0 << declared << 4;
    QTest::newRow("generated columns") << false << false << 0 << generated << 4;
    QTest::newRow("named server scripts") << true << true << 0 << declared << 4;
    QTest::newRow("select parameter") << true << false << 6 << declared << 2;
}

void TestDataTable::loading()
{
    QFETCH(bool, declared);
    QFETCH(bool, named);
    QFETCH(int, minQty);
    QFETCH(QStringList, fields);
    QFETCH(int, rows);

    auto table = goodsTable(declared);
    if (named) {
        QSqlQuery query(m_connection->database());
        m_connection->execScript(QStringLiteral("insert into sys.t_script (c_name, c_text) values (:name, :text) "
                                                "on conflict (c_name) do update set c_text = excluded.c_text"),
                                 &query, {QStringLiteral("GOODS_SELECT"), QString::fromLatin1(selectText)});
        QVERIFY2(query.isActive(), qPrintable(query.lastError().text()));
        table->setScripts(QStringLiteral("GOODS_SELECT"), QString(), QString(), QString(), false);
        QCOMPARE(table->selectScript(), QString::fromLatin1(selectText));
    }
    table->setSelectParam(QStringLiteral("min_qty"), minQty);

    QCOMPARE(table->getTableState(), -2);
    QVERIFY(!table->first());
    QVERIFY(table->open());
    QCOMPARE(table->getTableState(), 0);
    QCOMPARE(table->rowCount(), rows);
    QCOMPARE(table->getModel()->columnCount(), fields.size());

    const QSqlRecord record = table->getRecord(0);
    QCOMPARE(record.count(), fields.size());
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(record.fieldName(i), fields.at(i));
    QVERIFY(!record.contains(declared ? "c_extra" : "c_note"));

    // Values arrive as the columns' types; fields that the result lacks get their defaults.
    if (declared) {
        QCOMPARE(table->getField("id").type(), QVariant::LongLong);
        QCOMPARE(table->getField("c_note").toString(), QStringLiteral("нет"));
    } else {
        QCOMPARE(table->columns().at(1).width, 100);
        QVERIFY(table->columns().at(1).visible);
        QCOMPARE(table->getModel()->horizontalHeaderItem(1)->text(), QStringLiteral("c_name"));
    }
    QCOMPARE(table->getField("d_made").type(), QVariant::Date);
    QCOMPARE(table->getModel()->itemFromIndex(table->getModel()->index(0, 1))->data(OriginalValueRole), table->getField("c_name"));
    QCOMPARE(table->getRowState(0), int(rsUnchanged));
    QVERIFY(!table->isModified());

    // Navigation, and a negative row reading the current one.
    QVERIFY(table->last());
    QCOMPARE(table->getField("c_name", -1), table->getField("c_name", rows - 1));
    QVERIFY(!table->next());
    QVERIFY(table->first());
    QVERIFY(!table->prev());

    // An open table is not reloaded by open; close and open does.
    exec(QStringLiteral("insert into tst.t_goods (c_name, n_qty) values ('late', 100)"));
    QVERIFY(table->open());
    QCOMPARE(table->rowCount(), rows);
    table->close();
    QCOMPARE(table->getTableState(), -2);
    QCOMPARE(table->getField("c_name"), QVariant());
    QVERIFY(table->open());
    QCOMPARE(table->rowCount(), rows + 1);
}

// A display callback that reads the database while the table loads (a
// look-up table opened on its first use) must not cost the table its rows.
void TestDataTable::queriesWhileLoading_data()
{
    QTest::addColumn<bool>("lookupTable");
    QTest::addColumn<bool>("backGround");
    QTest::addColumn<int>("minQty");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("otherSelectPending");

    const QStringList all = {"apple:5", "pear:2", "locked:7", "plum:9"};
    QTest::newRow("look-up table, foreground") << true << false << 0 << all << false;
    QTest::newRow("look-up table, background") << true << true << 0 << all << false;
    QTest::newRow("plain query per cell") << false << false << 0 << all << false;
    QTest::newRow("plain query, background, select parameter") << false << true << 6
                                                               << QStringList{"locked:7", "plum:9"} << false;
    // Another select's rows still coming: the driver leaves the read to QSqlQuery.
    QTest::newRow("look-up table, read through QSqlQuery") << true << true << 0 << all << true;
    QTest::newRow("plain query, select parameter, read through QSqlQuery") << false << false << 6
                                                                          << QStringList{"locked:7", "plum:9"} << true;
}

void TestDataTable::queriesWhileLoading()
{
    QFETCH(bool, lookupTable);
    QFETCH(bool, backGround);
    QFETCH(int, minQty);
    QFETCH(QStringList, shown);
    QFETCH(bool, otherSelectPending);

    auto table = goodsTable();
    table->setSelectParam(QStringLiteral("min_qty"), minQty);
    QSqlQuery pending(m_connection->database());
    if (otherSelectPending) {
        pending.setForwardOnly(true);
        QVERIFY(pending.exec(QStringLiteral("select generate_series(1, 10000)")));
        QVERIFY(pending.next());
    }
    std::unique_ptr<QDataTable> names;
    connect(table.get(), &QDataTable::getDispInfo, this,
            [&](int column, QVariant *value, QCellData *cell, QSqlRecord *record, int) {
                if (column != 1)
                    return;
                const QVariant id = record->value(QStringLiteral("id"));
                if (lookupTable) {
                    if (!names) {
                        names = std::make_unique<QDataTable>(QStringLiteral("names"), m_connection);
                        names->setScripts(QStringLiteral("select id, c_name || ':' || n_qty as c_label "
                                                         "from tst.t_goods order by id"),
                                          QString(), QString(), QString(), true);
                        names->setKeyField(QStringLiteral("id"));
                        QVERIFY(names->open());
                    }
                    if (names->locate(QStringLiteral("id"), id) >= 0)
                        cell->text = names->getField(QStringLiteral("c_label")).toString();
                    return;
                }
                QSqlQuery query(m_connection->database());
                Q_UNUSED(value)
                m_connection->execScript(QStringLiteral("select c_name || ':' || n_qty from tst.t_goods where id = :id"),
                                         &query, {id});
                if (query.isValid()) // the script leaves the query on its first row
                    cell->text = query.value(0).toString();
            });
    QVERIFY(table->open(backGround));
    QCOMPARE(table->getTableState(), 0);
    QCOMPARE(table->rowCount(), shown.size());
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts.append(table->getModel()->itemFromIndex(table->getModel()->index(row, 1))->text());
    QCOMPARE(texts, shown);
}

// A cell shows its value as the toolkit writes it, however the table writes it.
void TestDataTable::cellTextsAreTheToolkits_data()
{
    QTest::addColumn<QVariant>("value");

    const QTime noon(12, 0);
    QTest::newRow("decimal") << QVariant(1245070.35);
    QTest::newRow("small decimal") << QVariant(1.5e-7);
    QTest::newRow("large decimal") << QVariant(1e21);
    QTest::newRow("negative zero") << QVariant(-0.0);
    QTest::newRow("not a number") << QVariant(qQNaN());
    QTest::newRow("infinity") << QVariant(-qInf());
    QTest::newRow("null decimal") << QVariant(QVariant::Double);
    QTest::newRow("date") << QVariant(QDate(2026, 12, 6));
    QTest::newRow("first year") << QVariant(QDate(1, 1, 1));
    QTest::newRow("last four-digit year") << QVariant(QDate(9999, 12, 31));
    QTest::newRow("year before Christ") << QVariant(QDate(-44, 3, 15));
    QTest::newRow("five-digit year") << QVariant(QDate(12026, 1, 1));
    QTest::newRow("invalid date") << QVariant(QDate());
    QTest::newRow("local time") << QVariant(QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7, 42)));
    QTest::newRow("local midnight") << QVariant(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    QTest::newRow("universal time") << QVariant(QDateTime(QDate(2026, 12, 6), noon, Qt::UTC));
    QTest::newRow("offset") << QVariant(QDateTime(QDate(2026, 12, 6), noon, Qt::OffsetFromUTC, 3 * 3600));
    QTest::newRow("date without time") << QVariant(QDateTime(QDate(2026, 12, 6), QTime()));
    QTest::newRow("invalid moment") << QVariant(QDateTime());
    QTest::newRow("whole number") << QVariant(qlonglong(-42));
    QTest::newRow("text") << QVariant(QStringLiteral("Счёт № 5"));
    QTest::newRow("time") << QVariant(QTime(10, 15, 30, 123));
    QTest::newRow("truth") << QVariant(true);
}

void TestDataTable::cellTextsAreTheToolkits()
{
    QFETCH(QVariant, value);
    const QString expected = value.isNull() ? QString() : value.toString();
    QCOMPARE(DataTableItem::textOf(value), expected);
}

// A display callback that looks at its own table while it loads finds every
// row before the one it decorates, whether or not it decorates anything.
void TestDataTable::callbacksSeeTheRowsStoredSoFar_data()
{
    QTest::addColumn<bool>("decorates");
    QTest::newRow("leaves every cell as it is") << false;
    QTest::newRow("colours a cell") << true;
}

void TestDataTable::callbacksSeeTheRowsStoredSoFar()
{
    QFETCH(bool, decorates);

    auto table = goodsTable();
    QList<int> seen;
    connect(table.get(), &QDataTable::getDispInfo, this,
            [&](int column, QVariant *value, QCellData *cell, QSqlRecord *, int) {
                if (column != 1)
                    return;
                seen.append(table->rowCount());
                if (decorates && value->toString().size() % 2)
                    cell->foreground = QBrush(Qt::darkRed);
            });
    QVERIFY(table->open());
    QCOMPARE(seen, QList<int>({0, 1, 2, 3}));
}

void TestDataTable::openWithoutData()
{
    auto table = goodsTable();
    table->setScripts(QStringLiteral("select nothing from tst.t_missing"), QString(), QString(), QString(), true);
    QVERIFY(table->open());
    QCOMPARE(table->getTableState(), -1);
    QCOMPARE(table->rowCount(), 0);
    QCOMPARE(table->getModel()->horizontalHeaderItem(2)->text(), QStringLiteral("Количество"));
    QVERIFY(table->first());
    QVERIFY(!table->next());

    // A new row makes the table usable; only new rows can be read from it.
    QVERIFY(table->addRow());
    QCOMPARE(table->getTableState(), 0);
    QCOMPARE(table->getField("n_qty").toInt(), 1);
    QCOMPARE(table->getField("id").toInt(), -1);

    auto empty = std::make_unique<QDataTable>(QStringLiteral("tst.t_goods"), m_connection);
    QVERIFY(empty->open());
    QCOMPARE(empty->getTableState(), -1);
    QVERIFY(empty->newRow().isEmpty());
}

// ------------------------------------------------------------------ editing and commit

void TestDataTable::editCycle_data()
{
    QTest::addColumn<bool>("noStoredProc");
    QTest::newRow("insert returns the stored row") << false;
    QTest::newRow("bNoStoredProc with scopeIdentity") << true;
}

void TestDataTable::editCycle()
{
    QFETCH(bool, noStoredProc);
    qApp->setProperty("bNoStoredProc", noStoredProc);
    auto table = goodsTable();
    if (noStoredProc)
        table->setScripts(QString::fromLatin1(selectText), QString::fromLatin1(updateText),
                          QString::fromLatin1(insertPlainText), QString::fromLatin1(deleteText), true);
    QVERIFY(table->open());
    QSignalSpy announced(table.get(), &QDataTable::dataChanged);

    QVERIFY(table->addRow());
    QVERIFY(table->setField("c_name", "kiwi"));
    QVERIFY(table->setField("n_qty", 3));
    QCOMPARE(table->getField("id").toInt(), -1);
    QVERIFY(table->addFirstRow());
    QCOMPARE(table->currentRow(), 0);
    QVERIFY(table->setField("c_name", "fig"));
    QCOMPARE(table->getField("id").toInt(), -2);
    QCOMPARE(table->getRowState(0), int(rsNew));

    QVERIFY(table->locate("c_name", "pear") >= 0);
    QVERIFY(table->setField("n_qty", 20));
    QCOMPARE(table->getRowState(table->currentRow()), int(rsChanged));
    QCOMPARE(table->getModel()->index(table->currentRow(), 2).data(OriginalValueRole).toInt(), 2);

    const int plum = table->locate("c_name", "plum");
    QVERIFY(table->deleteRow(plum));
    QVERIFY(!table->setField("n_qty", 1)); // a deleted row cannot be edited
    QVERIFY(!table->setField("no_such_field", 1));
    QVERIFY(table->isModified());

    QVERIFY(table->commit());
    QVERIFY(!table->isModified());
    QCOMPARE(dbGoods(), QStringList({"apple:5", "fig:1", "kiwi:3", "locked:7", "pear:20"}));
    QCOMPARE(table->rowCount(), 5);
    for (int row = 0; row < table->rowCount(); ++row)
        QCOMPARE(table->getRowState(row), int(rsUnchanged));

    // The new keys came back from the database and were announced with the temporary ones.
    QCOMPARE(announced.count(), 2);
    QSet<qlonglong> newKeys;
    for (const QList<QVariant> &args : qAsConst(announced)) {
        QCOMPARE(args.at(0).toString(), QStringLiteral("id"));
        QVERIFY(args.at(1).toInt() < 0);
        QVERIFY(args.at(2).toLongLong() > 4);
        QCOMPARE(args.at(3).toString(), QStringLiteral("tst.t_goods"));
        newKeys.insert(args.at(2).toLongLong());
    }
    QCOMPARE(newKeys.size(), 2);
    const int kiwi = table->locate("id", announced.at(0).at(2));
    QVERIFY(kiwi >= 0);
    QCOMPARE(table->getField("c_name", kiwi).toString(), QStringLiteral("kiwi"));
    QCOMPARE(table->locate("id", -1), -1);

    // Nothing queued: a second commit changes nothing.
    QVERIFY(table->commit());
    QCOMPARE(dbGoods().size(), 5);
}

// Many rows of one queue travel together; what the table holds afterwards
// must be what the server stored, exactly as a fresh load reads it.
void TestDataTable::batchedCommitMatchesReload_data()
{
    QTest::addColumn<bool>("inTransaction");
    QTest::addColumn<bool>("updateReturns");
    QTest::newRow("own transaction") << false << false;
    QTest::newRow("caller's transaction") << true << false;
    QTest::newRow("update returns the row") << false << true;
}

void TestDataTable::batchedCommitMatchesReload()
{
    QFETCH(bool, inTransaction);
    QFETCH(bool, updateReturns);

    auto table = goodsTable();
    if (updateReturns)
        table->setScripts(QString::fromLatin1(selectText),
                          QString::fromLatin1(updateText) + QStringLiteral(" returning id, c_name, n_qty, n_price, "
                                                                           "d_made, c_name || '!' as c_note"),
                          QString::fromLatin1(insertReturningText), QString::fromLatin1(deleteText), true);
    QVERIFY(table->open());
    QSignalSpy announced(table.get(), &QDataTable::dataChanged);
    const int added = 700;
    for (int i = 0; i < added; ++i) {
        QVERIFY(table->addRow());
        QVERIFY(table->setField("c_name", QStringLiteral("товар %1 ' \\ :n_qty $1").arg(i)));
        QVERIFY(table->setField("n_qty", i));
        if (i % 4)
            QVERIFY(table->setField("n_price", i % 2 ? i * -0.25 : double(i)));
        QVERIFY(table->setField("d_made", i % 5 ? QVariant(QDate(2024, 1, 1).addDays(i)) : QVariant(QVariant::Date)));
    }
    for (const QString &name : {QStringLiteral("apple"), QStringLiteral("pear"), QStringLiteral("plum")}) {
        QVERIFY(table->locate("c_name", name) >= 0);
        QVERIFY(table->setField("n_price", 10.5));
    }
    if (inTransaction)
        QVERIFY(m_connection->beginTransaction());
    QVERIFY(table->commit());
    if (inTransaction)
        QVERIFY(m_connection->commitTransaction());
    QVERIFY(!table->hasPendingRows());

    // New keys announced one per row, in the order the rows were added.
    QCOMPARE(announced.count(), added);
    for (int i = 0; i < added; ++i) {
        QCOMPARE(announced.at(i).at(1).toInt(), -(i + 1));
        QCOMPARE(announced.at(i).at(2).toLongLong(), qlonglong(i + 5));
    }
    auto reloaded = goodsTable();
    QVERIFY(reloaded->open());
    QCOMPARE(reloaded->rowCount(), table->rowCount());
    for (int row = 0; row < reloaded->rowCount(); ++row) {
        const QSqlRecord stored = reloaded->getRecord(row);
        const int mine = table->locate("id", stored.value("id"));
        QVERIFY(mine >= 0);
        QCOMPARE(table->getRowState(mine), int(rsUnchanged));
        const QSqlRecord held = table->getRecord(mine);
        for (const char *field : {"id", "c_name", "n_qty", "n_price", "d_made"}) {
            QCOMPARE(held.value(field).type(), stored.value(field).type());
            QCOMPARE(held.value(field), stored.value(field));
        }
        if (updateReturns && stored.value("n_price").toDouble() == 10.5)
            QCOMPARE(held.value("c_note").toString(), held.value("c_name").toString() + QLatin1Char('!'));
    }
}

void TestDataTable::commitAndResetRules_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("a queue without a script waits, the table is no longer modified") << "empty update script";
    QTest::newRow("an insert without a key field is announced") << "no key field";
    QTest::newRow("a reset keeps the callback's background away") << "reset background";
    QTest::newRow("a new row deleted is never inserted") << "new then deleted";
    QTest::newRow("an insert that returns nothing leaves the row new, unqueued") << "insert without result";
    QTest::newRow("texts given directly last until the next load") << "native texts";
}

void TestDataTable::commitAndResetRules()
{
    QFETCH(QString, scenario);
    auto table = goodsTable(scenario != "no key field");
    if (scenario == "empty update script") {
        table->setScripts(QString::fromLatin1(selectText), QString(), QString::fromLatin1(insertReturningText),
                          QString::fromLatin1(deleteText), true);
        QVERIFY(table->open());
        QVERIFY(table->locate("c_name", "pear") >= 0);
        QVERIFY(table->setField("n_qty", 30));
        QVERIFY(table->isModified());
        QVERIFY(table->commit());
        QVERIFY(!table->isModified());
        QCOMPARE(table->getRowState(table->currentRow()), int(rsChanged));
        QVERIFY(table->hasPendingRows());
        QCOMPARE(dbGoods(), QStringList({"apple:5", "locked:7", "pear:2", "plum:9"}));
    } else if (scenario == "no key field") {
        QVERIFY(table->open());
        QSignalSpy announced(table.get(), &QDataTable::dataChanged);
        QVERIFY(table->addRow());
        QVERIFY(table->setField("c_name", "kiwi"));
        QVERIFY(table->setField("n_qty", 1));
        QVERIFY(table->commit());
        QCOMPARE(announced.count(), 1);
        QCOMPARE(announced.at(0).at(0).toString(), QString());
        QCOMPARE(announced.at(0).at(3).toString(), QStringLiteral("tst.t_goods"));
        QCOMPARE(table->getField("id", table->lastRow()).toInt(), 5);
    } else if (scenario == "new then deleted") {
        // Logs every delete it is asked for, so that the temporary key shows.
        exec(QStringLiteral("create table if not exists tst.t_deleted (id bigint)"));
        exec(QStringLiteral("truncate tst.t_deleted"));
        table->setScripts(QString::fromLatin1(selectText), QString::fromLatin1(updateText),
                          QString::fromLatin1(insertReturningText),
                          QStringLiteral("with gone as (delete from tst.t_goods where id = :id returning id) "
                                         "insert into tst.t_deleted select :id"), true);
        QVERIFY(table->open());
        QSignalSpy announced(table.get(), &QDataTable::dataChanged);
        for (const char *name : {"ghost", "kiwi", "shade"}) {
            QVERIFY(table->addRow());
            QVERIFY(table->setField("c_name", name));
        }
        QVERIFY(table->deleteRow(rowOf(table.get(), "ghost")));
        QVERIFY(table->deleteRow(rowOf(table.get(), "shade")));
        QVERIFY(table->commit());
        QCOMPARE(dbGoods(), QStringList({"apple:5", "kiwi:1", "locked:7", "pear:2", "plum:9"}));
        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(rowOf(table.get(), "ghost"), -1);
        QCOMPARE(announced.count(), 1);
        QSqlQuery deletes(m_connection->database());
        QVERIFY(deletes.exec(QStringLiteral("select string_agg(id::text, ',' order by id) from tst.t_deleted")));
        QVERIFY(deletes.next());
        QCOMPARE(deletes.value(0).toString(), QStringLiteral("-3,-1"));
    } else if (scenario == "native texts") {
        // The names given to setScripts stay; the texts go back to them on load.
        const QString onlyPlum = QStringLiteral("select id, c_name from tst.t_goods where c_name = 'plum'");
        table->setNativeScripts(onlyPlum, QString(), QString(), QString());
        QCOMPARE(table->selectScript(), onlyPlum);
        QVERIFY(table->updateScript().isEmpty());
        QVERIFY(table->open());
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(table->selectScript(), QString::fromLatin1(selectText));
        QCOMPARE(table->updateScript(), QString::fromLatin1(updateText));
    } else if (scenario == "insert without result") {
        table->setScripts(QString::fromLatin1(selectText), QString::fromLatin1(updateText),
                          QString::fromLatin1(insertPlainText), QString::fromLatin1(deleteText), true);
        QVERIFY(table->open());
        for (const char *name : {"kiwi", "fig"}) {
            QVERIFY(table->addRow());
            QVERIFY(table->setField("c_name", name));
        }
        QVERIFY(table->commit());
        QCOMPARE(dbGoods(), QStringList({"apple:5", "fig:1", "kiwi:1", "locked:7", "pear:2", "plum:9"}));
        const int kiwi = rowOf(table.get(), "kiwi");
        QCOMPARE(table->getRowState(kiwi), int(rsNew));
        QCOMPARE(table->getField("id", kiwi).toInt(), -1);
        QVERIFY(!table->hasPendingRows());
        QVERIFY(table->commit());
        QCOMPARE(dbGoods().size(), 6);
    } else {
        connect(table.get(), &QDataTable::getDispInfo, this,
                [](int, QVariant *, QCellData *cell, QSqlRecord *, int) { cell->background = QBrush(Qt::yellow); });
        QVERIFY(table->open());
        const int pear = table->locate("c_name", "pear");
        QCOMPARE(table->getModel()->itemFromIndex(table->getModel()->index(pear, 1))->background().color(), QColor(Qt::yellow));
        QVERIFY(table->setField("n_qty", 30));
        QVERIFY(table->resetOriginalData(pear));
        QCOMPARE(table->getField("n_qty", pear).toInt(), 2);
        QCOMPARE(table->getRowState(pear), int(rsUnchanged));
        for (int column = 0; column < table->columns().size(); ++column)
            QCOMPARE(table->getModel()->itemFromIndex(table->getModel()->index(pear, column))->background().style(), Qt::NoBrush);
    }
}

void TestDataTable::failedCommit_data()
{
    QTest::addColumn<QString>("phase");
    QTest::addColumn<bool>("byRollback");
    QTest::addColumn<QStringList>("dbAfterFailure");
    QTest::addColumn<QStringList>("dbAfterRecovery");

    const QStringList untouched = {"apple:5", "locked:7", "pear:2", "plum:9"};
    QTest::newRow("delete, rollback") << "delete" << true << QStringList({"locked:7", "pear:2", "plum:9"})
                                      << QStringList({"locked:7", "pear:2", "plum:9"});
    QTest::newRow("delete, second commit") << "delete" << false << QStringList({"locked:7", "pear:2", "plum:9"})
                                           << QStringList({"locked:7", "pear:2"});
    QTest::newRow("insert, rollback") << "insert" << true << QStringList(untouched + QStringList{"n1:1"})
                                      << QStringList(untouched + QStringList{"n1:1"});
    QTest::newRow("insert, second commit") << "insert" << false << QStringList(untouched + QStringList{"n1:1"})
                                           << QStringList({"apple:5", "fixed:1", "locked:7", "n1:1", "n3:1",
                                                           "pear:2", "plum:9"});
    QTest::newRow("update, rollback") << "update" << true << QStringList({"apple:5", "locked:7", "pear:12", "plum:9"})
                                      << QStringList({"apple:5", "locked:7", "pear:12", "plum:9"});
    QTest::newRow("update, second commit") << "update" << false
                                           << QStringList({"apple:5", "locked:7", "pear:12", "plum:9"})
                                           << QStringList({"apple:5", "fixed:17", "pear:12", "plum:19"});
}

void TestDataTable::failedCommit()
{
    QFETCH(QString, phase);
    QFETCH(bool, byRollback);
    QFETCH(QStringList, dbAfterFailure);
    QFETCH(QStringList, dbAfterRecovery);
    dbAfterFailure.sort();
    dbAfterRecovery.sort();

    auto table = goodsTable();
    QVERIFY(table->open());
    QStringList failing;   // processed before the failure, the failing row, the row after it
    if (phase == "delete") {
        failing = QStringList{"apple", "locked", "plum"};
        for (const QString &name : failing)
            QVERIFY(table->deleteRow(rowOf(table.get(), name)));
    } else if (phase == "insert") {
        failing = QStringList{"n1", "bad", "n3"};
        for (const QString &name : failing) {
            QVERIFY(table->addRow());
            QVERIFY(table->setField("c_name", name));
        }
    } else {
        failing = QStringList{"pear", "locked", "plum"};
        const QStringList newNames = {"pear", "bad", "plum"};
        for (int i = 0; i < failing.size(); ++i) {
            QVERIFY(table->locate("c_name", failing.at(i)) >= 0);
            QVERIFY(table->setField("c_name", newNames.at(i)));
            QVERIFY(table->setField("n_qty", table->getField("n_qty").toInt() + 10));
        }
        failing[1] = "bad";
    }

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Error executing query: "));
    QVERIFY(!table->commit());
    QCOMPARE(dbGoods(), dbAfterFailure);

    // Rows before the failure are done; the failing row and the one after it wait.
    const int doneRow = rowOf(table.get(), failing.at(0));
    if (phase == "delete")
        QCOMPARE(doneRow, -1);
    else
        QCOMPARE(table->getRowState(doneRow), int(rsUnchanged));
    const int pendingState = phase == "delete" ? rsDeleted : phase == "insert" ? rsNew : rsChanged;
    QCOMPARE(table->getRowState(rowOf(table.get(), failing.at(1))), pendingState);
    QCOMPARE(table->getRowState(rowOf(table.get(), failing.at(2))), pendingState);

    if (byRollback) {
        QVERIFY(table->rollback());
    } else {
        const int failingRow = rowOf(table.get(), failing.at(1));
        if (phase == "delete") {
            QVERIFY(table->resetOriginalData(failingRow));
        } else {
            table->first();
            QVERIFY(table->locate("c_name", failing.at(1)) == failingRow);
            QVERIFY(table->setField("c_name", "fixed"));
        }
        QVERIFY(table->commit());
    }
    QCOMPARE(dbGoods(), dbAfterRecovery);
    QCOMPARE(table->rowCount(), dbAfterRecovery.size());
    for (int row = 0; row < table->rowCount(); ++row)
        QCOMPARE(table->getRowState(row), int(rsUnchanged));

    // The table is whole again: another edit commits normally.
    QVERIFY(table->locate("c_name", "locked") >= 0 || table->locate("c_name", "fixed") >= 0);
    QVERIFY(table->setField("n_qty", 42));
    QVERIFY(table->commit());
    table->close();
    QVERIFY(table->open());
    QVERIFY(table->locate("n_qty", 42) >= 0);
}

void TestDataTable::rollbackRestores()
{
    auto table = goodsTable();
    DisplayRecorder recorder;
    connect(table.get(), &QDataTable::getDispInfo, &recorder, &DisplayRecorder::onGetDispInfo);
    QVERIFY(table->open());
    QStandardItemModel *model = table->getModel();
    // Hidden columns get no callback while loading.
    QCOMPARE(recorder.calls.size(), 4 * 5);
    const int pear = rowOf(table.get(), "pear");
    QCOMPARE(model->itemFromIndex(model->index(pear, 2))->text(), QStringLiteral("мало"));

    table->locate("c_name", "pear");
    QVERIFY(table->setField("n_qty", 30));
    QCOMPARE(model->itemFromIndex(model->index(pear, 2))->text(), QStringLiteral("много"));
    const int plum = rowOf(table.get(), "plum");
    QVERIFY(table->deleteRow(plum));
    QVERIFY(model->itemFromIndex(model->index(plum, 1))->font().strikeOut());
    QCOMPARE(model->itemFromIndex(model->index(plum, 1))->foreground().color(), QColor(Qt::gray));
    QVERIFY(table->addRow());
    QCOMPARE(table->rowCount(), 5);

    recorder.calls.clear();
    QVERIFY(table->rollback());
    QVERIFY(!table->isModified());
    QCOMPARE(table->rowCount(), 4);
    QCOMPARE(table->getField("n_qty", pear).toInt(), 2);
    QCOMPARE(model->itemFromIndex(model->index(pear, 2))->text(), QStringLiteral("мало"));
    QCOMPARE(table->getRowState(pear), int(rsUnchanged));
    QCOMPARE(table->getRowState(plum), int(rsUnchanged));
    QVERIFY(!model->itemFromIndex(model->index(plum, 1))->font().strikeOut());
    QCOMPARE(model->itemFromIndex(model->index(plum, 1))->foreground().color(), QColor(Qt::black));
    // Both reset rows were shown again, every column, hidden ones too, as unchanged.
    QCOMPARE(recorder.calls.size(), 2 * 6);
    for (const auto &call : qAsConst(recorder.calls))
        QCOMPARE(call.second, int(rsUnchanged));

    // The rolled-back table commits nothing, and a user edit is noticed again.
    QVERIFY(table->commit());
    QCOMPARE(dbGoods(), QStringList({"apple:5", "locked:7", "pear:2", "plum:9"}));
    QSignalSpy announced(table.get(), &QDataTable::dataChanged);
    model->itemFromIndex(model->index(pear, 1))->setData(QStringLiteral("груша"), Qt::EditRole);
    QCOMPARE(announced.count(), 1);
}

void TestDataTable::autoIncrement_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("step 1") << 1;
    QTest::newRow("step -1") << -1;
    QTest::newRow("step 10") << 10;
}

void TestDataTable::autoIncrement()
{
    QFETCH(int, step);
    QDataTable table(QStringLiteral("counters"), m_connection);
    table.setScripts(QStringLiteral("select 1 as n_pos where false"), QString(), QString(), QString(), true);
    table.addColumn(QStringLiteral("n_pos"), QVariant::Int, true, QString(), step);
    QVERIFY(table.newRow().isEmpty()); // closed
    for (int round = 0; round < 2; ++round) {
        QVERIFY(table.open());
        QCOMPARE(table.newRow().value(0).toInt(), step);
        QCOMPARE(table.newFirstRow().value(0).toInt(), 2 * step);
        QCOMPARE(table.getField("n_pos", 0).toInt(), 2 * step);
        QVERIFY(table.addRow());
        QCOMPARE(table.getField("n_pos").toInt(), 3 * step);
        table.close();
    }
}

void TestDataTable::indexesAfterRemoval_data()
{
    QTest::addColumn<bool>("indexed");
    QTest::newRow("hash index") << true;
    QTest::newRow("plain field") << false;
}

void TestDataTable::indexesAfterRemoval()
{
    QFETCH(bool, indexed);
    auto table = goodsTable();
    if (indexed)
        table->addSearchIndex("c_name", idxHash);
    QVERIFY(table->open());
    QCOMPARE(table->locate("c_name", "plum"), 3);
    QCOMPARE(table->currentRow(), 3);
    QCOMPARE(table->locate({"c_name", "n_qty"}, {"plum", 9}), 3);
    QCOMPARE(table->locate({"c_name", "n_qty"}, {"plum", 8}), -1);
    QCOMPARE(table->locate("no_such_field", 1), -1);
    QCOMPARE(table->locate(QStringList{"c_name"}, QList<QVariant>()), -1);

    QVERIFY(table->killRow(0));              // apple
    QVERIFY(table->killRow(100));            // beyond the model: nothing to do
    QCOMPARE(table->locate("c_name", "apple"), -1);
    QCOMPARE(table->locate("c_name", "plum"), 2);
    QCOMPARE(table->locate("id", 4), 2);

    QVERIFY(table->deleteRow(0));            // pear
    QCOMPARE(table->locate("c_name", "pear"), -1);
    QVERIFY(table->addRow());
    QVERIFY(table->setField("c_name", "pear")); // a new row with the deleted row's name
    QCOMPARE(table->locate("c_name", "pear"), 3);
    QVERIFY(table->addRow());
    QVERIFY(table->setField("c_name", "ghost"));
    QVERIFY(table->killRow(4));              // a new row killed: no trace, no insert
    QCOMPARE(table->locate("c_name", "ghost"), -1);

    // Changed values move in the index.
    QCOMPARE(table->locate("c_name", "locked"), 1);
    QVERIFY(table->setField("c_name", "open"));
    QCOMPARE(table->locate("c_name", "locked"), -1);
    QCOMPARE(table->locate("c_name", "open"), 1);

    QVERIFY(table->commit());
    QCOMPARE(dbGoods(), QStringList({"apple:5", "open:7", "pear:1", "plum:9"}));
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->locate("c_name", "open"), 0);
    QCOMPARE(table->locate("c_name", "plum"), 1);
    QCOMPARE(table->locate("c_name", "pear"), 2);
    QCOMPARE(table->locate("id", 2), -1);
}

void TestDataTable::locateMovesTheCurrentRow_data()
{
    QTest::addColumn<QString>("deleted"); // a row deleted first, by name
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("found");
    QTest::addColumn<int>("current");

    // Rows: apple (id 1), pear (2), locked (3), plum (4); the current row starts at 2.
    QTest::newRow("index hit") << "" << "id" << QVariant(4) << 3 << 3;
    QTest::newRow("index miss") << "" << "id" << QVariant(99) << -1 << -1;
    QTest::newRow("index candidate deleted") << "pear" << "id" << QVariant(2) << -1 << 1;
    QTest::newRow("index candidate deleted, live twin found by scan") << "apple" << "c_name" << QVariant("apple")
                                                                      << 4 << 4;
    QTest::newRow("plain hit") << "" << "c_name" << QVariant("plum") << 3 << 3;
    QTest::newRow("plain miss") << "" << "c_name" << QVariant("fig") << -1 << 2;
    QTest::newRow("plain match deleted") << "pear" << "c_name" << QVariant("pear") << -1 << 2;
    QTest::newRow("plain null") << "" << "d_made" << QVariant(QVariant::Date) << 2 << 2;
}

void TestDataTable::locateMovesTheCurrentRow()
{
    QFETCH(QString, deleted);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(int, found);
    QFETCH(int, current);

    auto table = goodsTable();
    const bool twin = QByteArray(QTest::currentDataTag()).contains("twin");
    if (twin)
        table->addSearchIndex("c_name", idxHash);
    QVERIFY(table->open());
    if (!deleted.isEmpty())
        QVERIFY(table->deleteRow(rowOf(table.get(), deleted)));
    if (twin) {
        QVERIFY(table->addRow());
        QVERIFY(table->setField("c_name", deleted));
    }
    // The list form walks the same steps.
    for (const bool listForm : {false, true}) {
        QVERIFY(table->first() && table->next() && table->next());
        QCOMPARE(listForm ? table->locate(QStringList{field}, QList<QVariant>{value}) : table->locate(field, value), found);
        QCOMPARE(table->currentRow(), current);
    }
}

void TestDataTable::locateAfterRowsMoved_data()
{
    QTest::addColumn<QString>("move");
    QTest::newRow("sorted by name, descending") << "sort";
    QTest::newRow("a row inserted first") << "first row";
    QTest::newRow("the first row killed") << "kill";
    QTest::newRow("a deleted row committed") << "commit";
    QTest::newRow("a row moved by the model") << "take";
    QTest::newRow("many new rows, each quantity twice, some killed") << "many";
}

// Found rows are the rows that carry the key now, however the rows moved
// since the keys were last looked up.
void TestDataTable::locateAfterRowsMoved()
{
    QFETCH(QString, move);
    auto table = goodsTable();
    QVERIFY(table->open());
    QStandardItemModel *model = table->getModel();
    for (int id = 1; id <= 4; ++id)
        QCOMPARE(table->locate("id", id), id - 1);

    if (move == "sort") {
        model->sort(1, Qt::DescendingOrder);
    } else if (move == "first row") {
        QVERIFY(table->addFirstRow());
        QVERIFY(table->setField("c_name", "kiwi"));
    } else if (move == "kill") {
        QVERIFY(table->killRow(0));
    } else if (move == "commit") {
        QVERIFY(table->deleteRow(rowOf(table.get(), "pear")));
        QVERIFY(table->commit());
    } else if (move == "many") {
        table->addSearchIndex("n_qty", idxHash);
        for (int i = 0; i < 60; ++i) {
            QVERIFY(table->addRow());
            QVERIFY(table->setField("c_name", QStringLiteral("new %1").arg(i)));
            QVERIFY(table->setField("n_qty", 100 + i % 30));
        }
        for (int i = 0; i < 10; ++i)
            QVERIFY(table->killRow(table->locate("n_qty", 100 + i)));
        for (int qty = 100; qty < 130; ++qty) {
            int first = -1;
            for (int row = 0; row < table->rowCount() && first < 0; ++row)
                first = table->getField("n_qty", row).toInt() == qty ? row : -1;
            QCOMPARE(table->locate("n_qty", qty), first);
            QCOMPARE(table->getField("c_name", first).toString(),
                     QStringLiteral("new %1").arg(qty - 100 + (qty < 110 ? 30 : 0)));
        }
    } else {
        model->insertRow(0, model->takeRow(model->rowCount() - 1));
    }

    const QMap<QString, int> ids = {{"apple", 1}, {"pear", 2}, {"locked", 3}, {"plum", 4}};
    for (auto it = ids.cbegin(); it != ids.cend(); ++it) {
        const int row = rowOf(table.get(), it.key());
        QCOMPARE(table->locate("id", it.value()), row);
        QCOMPARE(table->locate(QStringList{"id"}, QList<QVariant>{it.value()}), row);
        if (row >= 0)
            QCOMPARE(table->currentRow(), row);
    }
}

void TestDataTable::getRowsCopiesMatches()
{
    auto table = goodsTable();
    table->addSearchIndex("n_qty", idxHash);
    QVERIFY(table->open());
    exec(QStringLiteral("insert into tst.t_goods (c_name, n_qty) values ('lemon', 9)"));
    table->close();
    QVERIFY(table->open());
    QVERIFY(table->deleteRow(rowOf(table.get(), "plum")));

    QDataTable copy(QStringLiteral("copy"), m_connection);
    table->getRows(&copy, "n_qty", 9);
    QCOMPARE(copy.columns().size(), table->columns().size());
    QCOMPARE(copy.rowCount(), 1);
    QCOMPARE(copy.getField("c_name", 0).toString(), QStringLiteral("lemon"));
    QCOMPARE(copy.getRowState(0), int(rsNew));
    QCOMPARE(copy.getModel()->itemFromIndex(copy.getModel()->index(0, 1))->data(OriginalValueRole).toString(), QStringLiteral("lemon"));

    table->getRows(&copy, {"c_name", "n_qty"}, {"apple", 5});
    QCOMPARE(copy.rowCount(), 1);
    QCOMPARE(copy.getField("c_name", 0).toString(), QStringLiteral("apple"));
    table->getRows(&copy, "no_such_field", 1);
    QCOMPARE(copy.rowCount(), 0);
    QCOMPARE(copy.getTableState(), -1);
}

void TestDataTable::append()
{
    QDataTable table(QStringLiteral("tst.t_goods"), m_connection);
    table.setScripts(QStringLiteral("select id, c_name, n_qty from tst.t_goods where n_qty = :n_qty order by id"),
                     QString(), QString(), QString(), true);
    table.addColumn(QStringLiteral("id"), QVariant::LongLong);
    table.addColumn(QStringLiteral("c_name"), QVariant::String);
    table.addColumn(QStringLiteral("n_qty"), QVariant::Int);
    QVERIFY(!table.append("n_qty", 5)); // no key field
    table.setKeyField("id");

    QVERIFY(table.append("n_qty", 5));
    QCOMPARE(table.getTableState(), 0);
    QCOMPARE(table.rowCount(), 1);
    QVERIFY(table.append("n_qty", 9));
    QCOMPARE(table.rowCount(), 2);
    QVERIFY(!table.append(QStringList{"n_qty"}, {}, false));

    exec(QStringLiteral("update tst.t_goods set c_name = 'green apple' where c_name = 'apple'"));
    exec(QStringLiteral("insert into tst.t_goods (c_name, n_qty) values ('quince', 5)"));
    QVERIFY(table.append("n_qty", 5));           // already loaded: not asked again
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(table.getField("c_name", 0).toString(), QStringLiteral("apple"));

    QVERIFY(table.append("n_qty", 5, true));     // reloaded: same key replaced, new key added
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(table.getField("c_name", 0).toString(), QStringLiteral("green apple"));
    QCOMPARE(table.getRowState(0), int(rsUnchanged));
    QCOMPARE(table.getField("c_name", 2).toString(), QStringLiteral("quince"));
    QCOMPARE(table.locate("c_name", "quince"), 2);
}

// ------------------------------------------------------------------ filters and views

void TestDataTable::filters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("visible");

    const QStringList all = {"apple", "pear", "locked", "plum"};
    QTest::newRow("keep one shown text") << "n_qty" << QStringList{"мало"} << 0 << QStringList{"pear"};
    QTest::newRow("hide one shown text") << "n_qty" << QStringList{"мало"} << 1
                                         << QStringList{"apple", "locked", "plum"};
    QTest::newRow("keep both texts") << "n_qty" << QStringList{"мало", "много"} << 0 << all;
    QTest::newRow("stored value is not shown") << "n_qty" << QStringList{"2"} << 0 << QStringList();
    QTest::newRow("case matters") << "n_qty" << QStringList{"Мало"} << 0 << QStringList();
    QTest::newRow("column without lookup") << "c_name" << QStringList{"pear"} << 0 << QStringList();
    QTest::newRow("hide on column without lookup") << "c_name" << QStringList{"pear"} << 1 << all;
    QTest::newRow("unknown field") << "no_such_field" << QStringList{"x"} << 0 << all;
}

void TestDataTable::filters()
{
    QFETCH(QString, field);
    QFETCH(QStringList, texts);
    QFETCH(int, kind);
    QFETCH(QStringList, visible);

    auto table = goodsTable();
    DisplayRecorder recorder;
    connect(table.get(), &QDataTable::getDispInfo, &recorder, &DisplayRecorder::onGetDispInfo);
    QVERIFY(table->open());

    // Without a view filters hide nothing.
    table->setFilter(field, texts, filterType(kind));
    QCOMPARE(table->visibleRowCount(), table->rowCount());

    QTableView view;
    table->setView(&view);
    table->applyFilters();
    QCOMPARE(table->visibleRowCount(), visible.size());
    QStringList shown;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (!view.isRowHidden(row))
            shown.append(table->getField("c_name", row).toString());
    }
    QCOMPARE(shown, visible);
    // The view lays the shown rows out one under another, whatever it was told while hiding them.
    const int rowHeight = view.verticalHeader()->defaultSectionSize();
    QCOMPARE(view.verticalHeader()->length(), visible.size() * rowHeight);
    int place = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (view.isRowHidden(row))
            continue;
        QCOMPARE(view.rowViewportPosition(row), place * rowHeight);
        QCOMPARE(view.rowAt(place * rowHeight + 1), row);
        ++place;
    }
    QVERIFY(view.verticalHeader()->updatesEnabled());

    QStringList values = table->getValuesList("n_qty");
    values.sort();
    QCOMPARE(values, QStringList({"мало", "много"}));
    QVERIFY(table->getValuesList("c_name").isEmpty());

    // Clearing returns every row.
    table->clearFilter(QStringList{field, "n_qty"});
    QCOMPARE(table->visibleRowCount(), table->rowCount());
    table->setFilter("n_qty", "мало", fltHide);
    QCOMPARE(table->visibleRowCount(), 3);
    table->clearAllFilters();
    QCOMPARE(table->visibleRowCount(), 4);
    for (int row = 0; row < table->rowCount(); ++row) {
        QVERIFY(!view.isRowHidden(row));
        QCOMPARE(view.rowViewportPosition(row), row * rowHeight);
    }
    QCOMPARE(view.verticalHeader()->length(), 4 * rowHeight);
}

void TestDataTable::viewBinding()
{
    auto table = goodsTable();
    table->addColumn(QStringLiteral("c_extra"), QVariant::String, true, QString(), 0, 60, QVariant(),
                     colFixedSize | colStretch);
    QTableView view;
    table->setView(&view);
    QVERIFY(!view.property("isPrepared").toBool()); // closed: nothing to prepare yet
    QVERIFY(table->open());
    QVERIFY(view.property("isPrepared").toBool());
    QVERIFY(view.isColumnHidden(0));
    QCOMPARE(view.columnWidth(1), 150);
    QCOMPARE(view.horizontalHeader()->sectionResizeMode(6), QHeaderView::Stretch);
    QVERIFY(view.verticalHeader()->isHidden());
    QCOMPARE(table->getField("c_name", 0).toString(), QStringLiteral("apple")); // loaded order kept

    // Prepared once: later calls leave a user's layout alone.
    view.setColumnWidth(1, 300);
    view.setColumnHidden(0, false);
    table->prepareView(&view);
    table->open();
    QCOMPARE(view.columnWidth(1), 300);
    QVERIFY(!view.isColumnHidden(0));

    // Values can be selected in an editor but not changed.
    auto *delegate = qobject_cast<ReadOnlyDelegate *>(view.itemDelegate());
    QVERIFY(delegate);
    QScopedPointer<QWidget> editor(delegate->createEditor(&view, QStyleOptionViewItem(), table->getModel()->index(0, 1)));
    auto *line = qobject_cast<QLineEdit *>(editor.data());
    QVERIFY(line);
    QVERIFY(line->isReadOnly());

    // The debug shortcut shows the current row's id, and nothing without a current row.
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.setFocus();
    view.selectionModel()->clearCurrentIndex();
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    QTest::keyClick(&view, Qt::Key_I, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    QVERIFY(answerer.texts.isEmpty());
    view.setCurrentIndex(table->getModel()->index(1, 1));
    QCOMPARE(table->getViewCurrentRow(), 1);
    QCOMPARE(table->getViewCurrentRecord().value("c_name").toString(), QStringLiteral("pear"));
    QTest::keyClick(&view, Qt::Key_I, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    QTRY_COMPARE(answerer.texts, QStringList{QStringLiteral("Таблица 'tst.t_goods'\nID = 2")});
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Отладка")});

    // Unbinding leaves the view alone afterwards; the table keeps working.
    table->setView(nullptr);
    QVERIFY(!table->getView());
    QCOMPARE(table->getViewCurrentRow(), -1);
    table->close();
}

void TestDataTable::directEdit_data()
{
    QTest::addColumn<bool>("direct");
    QTest::addColumn<QString>("typed"); // empty: a background set from outside instead
    QTest::addColumn<bool>("announced");
    QTest::addColumn<QVariant>("editRole");
    QTest::addColumn<int>("stored");
    QTest::newRow("typed, listeners decide") << false << "12" << true << QVariant("12") << 2;
    QTest::newRow("typed, direct edit") << true << "12" << true << QVariant(12) << 12;
    QTest::newRow("the value's own text typed") << false << "2" << false << QVariant("2") << 2;
    QTest::newRow("the value's own text, direct edit") << true << "2" << false << QVariant(2) << 2;
    QTest::newRow("a background set from outside") << false << "" << false << QVariant(2) << 2;
}

void TestDataTable::directEdit()
{
    QFETCH(bool, direct);
    QFETCH(QString, typed);
    QFETCH(bool, announced);
    QFETCH(QVariant, editRole);
    QFETCH(int, stored);
    auto table = goodsTable();
    table->setDirectEdit(direct);
    // Shows quantities as words, so that the shown text is never the value.
    DisplayRecorder recorder;
    connect(table.get(), &QDataTable::getDispInfo, &recorder, &DisplayRecorder::onGetDispInfo);
    QVERIFY(table->open());
    QSignalSpy changes(table.get(), &QDataTable::dataChanged);
    QStandardItemModel *model = table->getModel();
    const QModelIndex pearQty = model->index(rowOf(table.get(), "pear"), 2);
    QCOMPARE(pearQty.data(Qt::EditRole), QVariant(2));

    if (typed.isEmpty())
        model->itemFromIndex(pearQty)->setBackground(Qt::red);
    else
        model->setData(pearQty, typed, Qt::EditRole); // what a view's editor writes
    QCOMPARE(changes.count(), announced ? 1 : 0);
    if (announced) {
        QCOMPARE(changes.at(0).at(0).toString(), QStringLiteral("n_qty"));
        QCOMPARE(changes.at(0).at(1).toInt(), 2);
        QCOMPARE(changes.at(0).at(2).toString(), typed);
    }
    // Whatever was written, the row waits for its update.
    QCOMPARE(table->getRowState(pearQty.row()), int(rsChanged));
    QCOMPARE(table->getField("n_qty", pearQty.row()).toInt(), stored);
    QCOMPARE(pearQty.data(Qt::EditRole), editRole);
    const QString shown = stored < 5 ? QStringLiteral("мало") : QStringLiteral("много");
    QCOMPARE(pearQty.data(Qt::DisplayRole).toString(), direct || typed.isEmpty() ? shown : typed);

    QVERIFY(table->commit());
    QCOMPARE(dbGoods().at(2), QStringLiteral("pear:%1").arg(stored));
    // A stored value answers what the editor wrote.
    QCOMPARE(pearQty.data(Qt::EditRole), QVariant(stored));
}

// What a view writes must reach indexes, shown-text lookups and filters, and a
// read-only view must write nothing at all.
void TestDataTable::editsInViewKeepLookupsTrue()
{
    auto table = goodsTable();
    table->addSearchIndex(QStringLiteral("c_name"));
    table->setDirectEdit(true);
    DisplayRecorder recorder;
    connect(table.get(), &QDataTable::getDispInfo, &recorder, &DisplayRecorder::onGetDispInfo);
    QTableView view;
    table->setView(&view);
    QVERIFY(table->open());
    QStandardItemModel *model = table->getModel();
    const int apple = rowOf(table.get(), QStringLiteral("apple"));
    const int pear = rowOf(table.get(), QStringLiteral("pear"));

    // A read-only editor that loses focus writes nothing back.
    auto *delegate = view.itemDelegate();
    QWidget *editor = delegate->createEditor(view.viewport(), QStyleOptionViewItem(), model->index(pear, 2));
    delegate->setEditorData(editor, model->index(pear, 2));
    delegate->setModelData(editor, model, model->index(pear, 2));
    delete editor;
    QCOMPARE(table->getRowState(pear), int(rsUnchanged));
    QVERIFY(!table->isModified());

    // An indexed name typed over: found by the new text, no longer by the old.
    model->setData(model->index(apple, 1), QStringLiteral("kiwi"), Qt::EditRole);
    QCOMPARE(table->locate(QStringLiteral("c_name"), QStringLiteral("kiwi")), apple);
    QCOMPARE(table->locate(QStringLiteral("c_name"), QStringLiteral("apple")), -1);

    // A quantity typed over changes what the row shows, and so what filters
    // see: before they first looked, and after.
    const QString pearQuantity = table->getField("n_qty", pear).toString();
    model->setData(model->index(pear, 2), QStringLiteral("12"), Qt::EditRole);
    QCOMPARE(table->getValuesList("n_qty"), QStringList{"много"});
    table->setFilter("n_qty", "мало", fltKeep);
    QCOMPARE(table->visibleRowCount(), 0);
    model->setData(model->index(pear, 2), pearQuantity, Qt::EditRole);
    table->applyFilters();
    QCOMPARE(table->visibleRowCount(), 1);
    QVERIFY(!view.isRowHidden(pear));
    model->setData(model->index(pear, 2), QStringLiteral("12"), Qt::EditRole);
    table->setFilter("n_qty", "много", fltHide);
    QCOMPARE(table->visibleRowCount(), 0);

    // Removing hidden rows keeps the count of visible ones true.
    QVERIFY(table->killRow(apple));
    QCOMPARE(table->visibleRowCount(), 0);
    table->clearAllFilters();
    QCOMPARE(table->visibleRowCount(), table->rowCount());
    QCOMPARE(table->locate(QStringLiteral("c_name"), QStringLiteral("kiwi")), -1);
    QCOMPARE(table->locate(QStringLiteral("c_name"), QStringLiteral("apple")), -1);
}

void TestDataTable::structuralCopy()
{
    auto table = goodsTable();
    table->setSelectParam("min_qty", 6);
    QVERIFY(table->open());
    QVERIFY(table->addRow());

    QDataTable copy(table.get());
    QCOMPARE(copy.columns().size(), table->columns().size());
    QCOMPARE(copy.selectScript(), table->selectScript());
    QCOMPARE(copy.rowCount(), 0);
    QCOMPARE(copy.getTableState(), 0);
    QVERIFY(copy.commit()); // nothing of the original's queues came along

    copy.close();
    QVERIFY(copy.open());
    QCOMPARE(copy.rowCount(), 2);
    QCOMPARE(copy.locate("id", 4), 1);
}

// Scripts reach the table by these signatures only.
void TestDataTable::invokableByName()
{
    QDataTable table(QStringLiteral("t"));
    const char *const signatures[] = {
        "setScripts(QString,QString,QString,QString,bool)", "setNativeScripts(QString,QString,QString,QString)",
        "setSelectParam(QString,QVariant)",
        "addColumn(QString,int,bool,QString,int,int,QVariant,int,QString,QIcon*)", "rowCount()",
        "visibleRowCount()", "open(bool,bool)", "open()", "append(QString,QVariant,bool)",
        "append(QStringList,QList<QVariant>,bool)", "close()", "commit(bool)", "commit()", "rollback()", "first()",
        "last()", "next()", "prev()", "getField(QString,int)", "getField(QString)", "setField(QString,QVariant)",
        "setNull(QString)", "addRow()", "addFirstRow()", "dropColumns()", "setKeyField(QString)",
        "addSearchIndex(QString,idxType)", "lastRow()", "onItemChanged(QStandardItem*)", "onIDRequest()",
        "getDispInfo(int,QVariant*,QCellData*,QSqlRecord*,int)", "dataChanged(QString,QVariant,QVariant,QString)",
    };
    for (const char *signature : signatures) {
        const QByteArray normalized = QMetaObject::normalizedSignature(signature);
        QVERIFY2(table.metaObject()->indexOfMethod(normalized.constData()) >= 0, normalized.constData());
    }
}

QTEST_MAIN(TestDataTable)
#include "tst_datatable.moc"
