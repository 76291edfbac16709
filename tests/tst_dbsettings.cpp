// Settings kept in the database: typed values through the named scripts, one
// user's settings invisible to another, and table header layouts.

#include "objvar.h"
#include "qdatatable.h"
#include "qdbsettings.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QHeaderView>
#include <QLibrary>
#include <QLoggingCategory>
#include <QTableView>
#include <QtTest>

class tst_DbSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void splitPath_data();
    void splitPath();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void storedForm();
    void groupsLastUntilTheNextCall();
    void settingsBelongToOneUser();
    void withoutConnectionNothingHappens();
    void headerLayout();

private:
    QDataTable *tableWithView(const QStringList &columns, QTableView *view);

    QLibrary m_driver;
    QSqlConnection m_connection;
};

void tst_DbSettings::initTestCase()
{
    // The promised debug lines are checked by their text, so their categories are on.
    QLoggingCategory::setFilterRules(QStringLiteral("workplace.*.debug=true"));
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_dbsettings"), &error), qPrintable(error));
    m_driver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::connectAndLogin(&m_driver, &m_connection, true, &error), qPrintable(error));
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("insert into sys.t_user (c_name, c_login, c_pass_hash) "
                                      "values ('Другой', 'other', sys.hash_password('other'))")));
}

void tst_DbSettings::init()
{
    qApp->setProperty("Connection", objToVar(&m_connection));
    QVERIFY(m_connection.login(QStringLiteral("admin"), QStringLiteral("admin")));
}

void tst_DbSettings::splitPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");

    QTest::newRow("key only") << "x" << "GLOBAL" << "x";
    QTest::newRow("empty") << "" << "GLOBAL" << "";
    QTest::newRow("deep") << "a/b/c" << "a/b" << "c";
    QTest::newRow("leading slash") << "/k" << "" << "k";
    QTest::newRow("double slash") << "a//c" << "a/" << "c";
}

void tst_DbSettings::splitPath()
{
    QFETCH(QString, path);
    QFETCH(QString, group);
    QFETCH(QString, key);
    QTest::ignoreMessage(QtDebugMsg, "QDbSettings::QDbSettings(QObject*) \"GLOBAL\"");
    QDbSettings settings;
    QCOMPARE(settings.splitPath(path), (QStringList{group, key}));
}

void tst_DbSettings::valuesRoundTrip_data()
{
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("read");

    QTest::newRow("true") << QVariant(true) << QVariant(true);
    QTest::newRow("false") << QVariant(false) << QVariant(false);
    QTest::newRow("int comes back 64-bit") << QVariant(5) << QVariant(qlonglong(5));
    QTest::newRow("negative int64") << QVariant(qlonglong(-9000000000)) << QVariant(qlonglong(-9000000000));
    QTest::newRow("uint") << QVariant(7u) << QVariant(qulonglong(7));
    QTest::newRow("double") << QVariant(2.5) << QVariant(2.5);
    QTest::newRow("text") << QVariant(QStringLiteral("Привет, 'мир'")) << QVariant(QStringLiteral("Привет, 'мир'"));
    QTest::newRow("bytes") << QVariant(QByteArray("\x01\xab", 2)) << QVariant(QByteArray("\x01\xab", 2));
    QTest::newRow("date as text") << QVariant(QDate(2026, 12, 5)) << QVariant(QStringLiteral("2026-12-05"));
}

void tst_DbSettings::valuesRoundTrip()
{
    QFETCH(QVariant, written);
    QFETCH(QVariant, read);
    QDbSettings settings;
    QVERIFY(settings.setValue(QStringLiteral("tests/roundtrip/value"), written));
    const QVariant back = settings.value(QStringLiteral("tests/roundtrip/value"), QStringLiteral("default"));
    QCOMPARE(back.type(), read.type());
    QCOMPARE(back, read);
    QCOMPARE(settings.currentGroup(), QStringLiteral("tests/roundtrip"));
}

void tst_DbSettings::storedForm()
{
    QDbSettings settings;
    QVERIFY(settings.setValue(QStringLiteral("x"), true));
    QVERIFY(settings.setValue(QStringLiteral("a/b/c"), 5));
    QVERIFY(settings.setValue(QStringLiteral("bytes"), QByteArray("\x01\xab", 2)));
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("select c_group || '|' || c_key || '|' || c_value || '|' || n_type "
                                      "from sys.t_user_attr where c_key in ('x', 'c', 'bytes') order by c_key")));
    QStringList rows;
    while (query.next())
        rows << query.value(0).toString();
    QCOMPARE(rows, (QStringList{"GLOBAL|bytes|01ab|12", "a/b|c|5|2", "GLOBAL|x|1|1"}));

    // An empty stored text reads as missing, whatever its type.
    QVERIFY(settings.setValue(QStringLiteral("empty"), QStringLiteral("")));
    QVERIFY(query.exec(QStringLiteral("update sys.t_user_attr set n_type = 2 where c_key = 'empty'")));
    QCOMPARE(settings.value(QStringLiteral("empty"), 42), QVariant(42));
    QCOMPARE(settings.value(QStringLiteral("never/written"), QStringLiteral("d")), QVariant(QStringLiteral("d")));
}

void tst_DbSettings::groupsLastUntilTheNextCall()
{
    QDbSettings settings;
    QVERIFY(settings.setValue(QStringLiteral("k"), QStringLiteral("global")));
    QVERIFY(settings.setValue(QStringLiteral("g/k"), QStringLiteral("in g")));
    settings.beginGroup(QStringLiteral("g"));
    QCOMPARE(settings.currentGroup(), QStringLiteral("g"));
    QCOMPARE(settings.value(QStringLiteral("k")).toString(), QStringLiteral("global"));
    QCOMPARE(settings.currentGroup(), QStringLiteral("GLOBAL"));
    settings.beginGroup(QStringLiteral("g"));
    settings.endGroup();
    QCOMPARE(settings.currentGroup(), QStringLiteral("GLOBAL"));
}

void tst_DbSettings::settingsBelongToOneUser()
{
    QDbSettings settings;
    QVERIFY(settings.setValue(QStringLiteral("layout/mine"), QStringLiteral("admin's")));

    QVERIFY(m_connection.login(QStringLiteral("other"), QStringLiteral("other")));
    QCOMPARE(settings.value(QStringLiteral("layout/mine"), QStringLiteral("none")).toString(), QStringLiteral("none"));
    QVERIFY(settings.setValue(QStringLiteral("layout/mine"), QStringLiteral("other's")));

    QVERIFY(m_connection.login(QStringLiteral("admin"), QStringLiteral("admin")));
    QCOMPARE(settings.value(QStringLiteral("layout/mine")).toString(), QStringLiteral("admin's"));
}

void tst_DbSettings::withoutConnectionNothingHappens()
{
    qApp->setProperty("Connection", QVariant());
    QDbSettings settings;
    QVERIFY(!settings.setValue(QStringLiteral("k"), 1));
    QCOMPARE(settings.value(QStringLiteral("k"), QStringLiteral("d")), QVariant(QStringLiteral("d")));
}

QDataTable *tst_DbSettings::tableWithView(const QStringList &columns, QTableView *view)
{
    auto *table = new QDataTable(QStringLiteral("t_layout"), &m_connection, view);
    table->setScripts(QStringLiteral("select 1 as a, 2 as b, 3 as c, 4 as x"), QString(), QString(), QString(), true);
    for (const QString &column : columns)
        table->addColumn(column, QVariant::Int);
    table->setView(view);
    table->open();
    return table;
}

void tst_DbSettings::headerLayout()
{
    QDbSettings settings;
    QTableView saved;
    QDataTable *table = tableWithView({"a", "b", "c"}, &saved);
    saved.setColumnWidth(0, 140);
    saved.setColumnWidth(2, 60);
    saved.horizontalHeader()->moveSection(2, 0); // c, a, b
    settings.saveTableHeader(QStringLiteral("tests/header"), table);

    QTableView restored;
    QDataTable *same = tableWithView({"a", "b", "c"}, &restored);
    settings.restoreTableHeader(QStringLiteral("tests/header"), same);
    QCOMPARE(restored.columnWidth(0), 140);
    QCOMPARE(restored.columnWidth(2), 60);
    QCOMPARE(restored.horizontalHeader()->visualIndex(2), 0);
    QCOMPARE(restored.horizontalHeader()->visualIndex(0), 1);

    // A renamed second column: the stored layout no longer fits and is ignored whole.
    QTableView renamed;
    QDataTable *other = tableWithView({"a", "x", "c"}, &renamed);
    const int width0 = renamed.columnWidth(0);
    settings.restoreTableHeader(QStringLiteral("tests/header"), other);
    QCOMPARE(renamed.columnWidth(0), width0);
    QCOMPARE(renamed.horizontalHeader()->visualIndex(2), 2);

    // Not binary JSON at all.
    QVERIFY(settings.setValue(QStringLiteral("tests/garbage"), QByteArray("garbage")));
    settings.restoreTableHeader(QStringLiteral("tests/garbage"), same);
    QCOMPARE(restored.columnWidth(0), 140);
}

QTEST_MAIN(tst_DbSettings)
#include "tst_dbsettings.moc"
