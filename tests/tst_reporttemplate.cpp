// Report templates over tables read from the real server: value and area
// directives, nested detail tables, area titles, and malformed directives.

#include "objvar.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "reporttemplate.h"
#include "reportwidget.h"
#include "testserver.h"

#include <QLibrary>
#include <QSqlQuery>
#include <QtTest>

using Values = QMap<QString, QVariant>;
Q_DECLARE_METATYPE(Values)

class tst_ReportTemplate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void render_data();
    void render();
    void malformedAreas_data();
    void malformedAreas();
    void directiveRecords_data();
    void directiveRecords();

private:
    QDataTable *loadTable(const QString &name, const QString &select);
    void insert(const QString &statement, const QList<QVariant> &values);

    QLibrary m_driver;
    QSqlConnection m_connection;
    QDataSet *m_set = nullptr;
};

namespace {

const QByteArray tableStart = "<table align=\"center\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" border=\"";
const QByteArray detailStart = "<table align=\"right\" cellspacing=\"0\" cellpadding=\"2\" width=\"80%\" border=\"";

QByteArray firmsArea(const QByteArray &extra = QByteArray())
{
    return "##AREA{\"MASTER\": {\"NAME\": \"t_master\", \"COLUMNS\": [{\"field\": \"c_name\", \"label\": \"Фирма\"}]}"
            + extra + "}##";
}

// The table of firms that firmsArea() gives, without title.
QByteArray firmsTable(const QByteArrayList &names)
{
    QByteArray html = tableStart + "0\">\n<tr>\n<td valign=\"middle\" align=\"center\"><b>Фирма</b></td></tr>\n";
    for (const QByteArray &name : names)
        html += "<tr><td >" + name + "</td></tr>\n";
    return html + "</table>\n";
}

} // namespace

void tst_ReportTemplate::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_reporttemplate"), &error), qPrintable(error));
    m_driver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::connectAndLogin(&m_driver, &m_connection, true, &error), qPrintable(error));
    qApp->setProperty("Connection", objToVar(&m_connection));

    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral(
            "create table public.t_rep_group (id serial primary key, c_code text, c_title text);"
            "create table public.t_rep_master (id serial primary key, c_code text, c_name text, c_note text,"
            "  b_visible boolean);"
            "create table public.t_rep_detail (id serial primary key, id_master integer, c_item text, n_qty integer);")));
    insert(QStringLiteral("insert into public.t_rep_group (c_code, c_title) values (:code, :title)"),
           {QStringLiteral("msk"), QStringLiteral("Москва")});
    insert(QStringLiteral("insert into public.t_rep_group (c_code, c_title) values (:code, :title)"),
           {QStringLiteral("kzn"), QStringLiteral("Казань")});
    const QString master = QStringLiteral(
            "insert into public.t_rep_master (c_code, c_name, c_note, b_visible) values (:code, :name, :note, :visible)");
    insert(master, {QStringLiteral("msk"), QStringLiteral("ООО «Ромашка»"), QStringLiteral("a<b>c"), true});
    insert(master, {QStringLiteral("msk"), QStringLiteral("ЗАО «Вектор»"), QVariant(), QVariant()});
    insert(master, {QStringLiteral("kzn"), QStringLiteral("ИП Сидоров"), QStringLiteral("скрыт"), false});
    const QString detail = QStringLiteral(
            "insert into public.t_rep_detail (id_master, c_item, n_qty) values (:master, :item, :qty)");
    insert(detail, {1, QStringLiteral("Болт М8"), 100});
    insert(detail, {1, QStringLiteral("Гайка М8"), 250});
    insert(detail, {2, QStringLiteral("Шайба"), 40});

    m_set = new QDataSet(this);
    m_set->addTable(loadTable(QStringLiteral("t_group"), QStringLiteral("select * from public.t_rep_group order by id")));
    m_set->addTable(loadTable(QStringLiteral("t_no_groups"), QStringLiteral("select * from public.t_rep_group where false")));
    m_set->addTable(loadTable(QStringLiteral("t_master"), QStringLiteral("select * from public.t_rep_master order by id")));
    m_set->addTable(loadTable(QStringLiteral("t_detail"), QStringLiteral("select * from public.t_rep_detail order by id")));
    // A row whose text is the very directive that shows it: read again as a
    // directive, it would expand for ever.
    const QByteArray selfShowing = "##AREA{\"MASTER\": {\"NAME\": \"t_tricky\", \"COLUMNS\": [{\"field\": \"c_text\"}]}}##";
    QDataTable *tricky = loadTable(QStringLiteral("t_tricky"), QStringLiteral("select cast(:text as text) as c_text"));
    tricky->close();
    tricky->setSelectParam(QStringLiteral("text"), QString::fromUtf8(selfShowing));
    QVERIFY(tricky->open());
    m_set->addTable(tricky);
}

void tst_ReportTemplate::init()
{
    m_set->getTable(QStringLiteral("t_group"))->first();
}

void tst_ReportTemplate::insert(const QString &statement, const QList<QVariant> &values)
{
    QSqlQuery query = m_connection.execScript(statement, values);
    QVERIFY2(query.isActive(), qPrintable(statement));
}

QDataTable *tst_ReportTemplate::loadTable(const QString &name, const QString &select)
{
    auto *table = new QDataTable(name, &m_connection, this);
    table->setScripts(select, QString(), QString(), QString(), true);
    table->open();
    return table;
}

void tst_ReportTemplate::render_data()
{
    QTest::addColumn<QByteArray>("htmlTemplate");
    QTest::addColumn<Values>("values");
    QTest::addColumn<QByteArray>("expected");

    const Values none;
    const Values x{{QStringLiteral("x"), QStringLiteral("<b>жирный</b>")}};

    QTest::newRow("no directives") << QByteArray("<p>Просто текст ## } ## VALUE</p>") << none
                                   << QByteArray("<p>Просто текст ## } ## VALUE</p>");
    QTest::newRow("identical values, HTML kept") << QByteArray("a ##VALUE{\"name\":\"x\"}## b ##VALUE{\"name\":\"x\"}## c")
                                                 << x << QByteArray("a <b>жирный</b> b <b>жирный</b> c");
    QTest::newRow("value without a value") << QByteArray("a ##VALUE{\"name\":\"y\"}##b") << x << QByteArray("a b");
    QTest::newRow("an array never closes the block") << QByteArray("a ##VALUE[\"x\"]##b") << x << QByteArray("a ");
    QTest::newRow("value never closed") << QByteArray("a ##VALUE{\"name\":\"x\"} и дальше текст") << x
                                        << QByteArray("a ");
    QTest::newRow("number value") << QByteArray("Итого: ##VALUE{\"name\":\"n\"}## шт.")
                                  << Values{{QStringLiteral("n"), 42}} << QByteArray("Итого: 42 шт.");
    QTest::newRow("value inside a value")
            << QByteArray("##VALUE{\"name\":\"x\"}##")
            << Values{{QStringLiteral("x"), QStringLiteral("[##VALUE{\"name\":\"y\"}##]")}, {QStringLiteral("y"), QStringLiteral("Я")}}
            << QByteArray("[Я]");
    QTest::newRow("value bringing an area")
            << QByteArray("<h1>##VALUE{\"name\":\"t\"}##</h1>\n##VALUE{\"name\":\"body\"}##")
            << Values{{QStringLiteral("t"), QStringLiteral("Фирмы")}, {QStringLiteral("body"), QString::fromUtf8(firmsArea())}}
            << "<h1>Фирмы</h1>\n" + firmsTable({"ООО «Ромашка»", "ЗАО «Вектор»"});

    QTest::newRow("master table: hidden rows, escaping, widths, aligns, labels")
            << QByteArray("<h1>Отчёт</h1>\n##AREA{\"MASTER\": {\"NAME\": \"t_master\", \"HEADCSS\": \"h\", \"BODYCSS\": \"b\","
                          " \"BORDER\": 1, \"COLUMNS\": ["
                          "{\"field\": \"c_name\", \"label\": \"Название\\nфирмы\", \"width\": \"Default\"},"
                          "{\"field\": \"c_note\", \"label\": \"Примечание\", \"align\": \"Right\", \"width\": \"30\"},"
                          "{\"field\": \"c_missing\", \"label\": \"Нет поля\", \"width\": 0}]}}##\n<p>конец</p>")
            << none
            << "<h1>Отчёт</h1>\n" + tableStart + "1\">\n<tr class=\"h\">\n"
               "<td valign=\"middle\" align=\"center\"><b>Название<br>фирмы</b></td>"
               "<td valign=\"middle\" width=\"30%\" align=\"center\"><b>Примечание</b></td>"
               "<td valign=\"middle\" align=\"center\"><b>Нет поля</b></td></tr>\n"
               "<tr class=\"b\"><td >ООО «Ромашка»</td><td align=\"right\" >a&lt;b&gt;c</td><td ></td></tr>\n"
               "<tr class=\"b\"><td >ЗАО «Вектор»</td><td align=\"right\" ></td><td ></td></tr>\n"
               "</table>\n\n<p>конец</p>";

    const QByteArray nested = tableStart + "0\">\n<tr>\n<td valign=\"middle\" align=\"center\"><b>Фирма</b></td></tr>\n"
            "<tr><td >ООО «Ромашка»</td></tr>\n"
            "<tr><td colspan=\"1\">" + detailStart + "2\">\n<tr class=\"dh\">"
            "<td align=\"center\" valign=\"middle\" ><b>Изделие</b></td>"
            "<td width=\"20%\" align=\"center\" valign=\"middle\"><b>Кол-во</b></td></tr>\n"
            "<tr class=\"db\">\n<td >Болт М8</td><td align=\"right\" >100</td></tr>\n"
            "<tr class=\"db\">\n<td >Гайка М8</td><td align=\"right\" >250</td></tr>\n</table></td></tr>"
            "<tr><td >ЗАО «Вектор»</td></tr>\n"
            "<tr><td colspan=\"1\">" + detailStart + "2\">\n<tr class=\"dh\">"
            "<td align=\"center\" valign=\"middle\" ><b>Изделие</b></td>"
            "<td width=\"20%\" align=\"center\" valign=\"middle\"><b>Кол-во</b></td></tr>\n"
            "<tr class=\"db\">\n<td >Шайба</td><td align=\"right\" >40</td></tr>\n</table></td></tr>"
            "</table>\n";
    const QByteArray detailJson = ", \"MASTERLINK\": [\"id\", \"id_master\"], \"DETAIL\": {\"NAME\": \"t_detail\","
                                  " \"HEADCSS\": \"dh\", \"BODYCSS\": \"db\", \"BORDER\": 2, \"COLUMNS\": ["
                                  "{\"field\": \"c_item\", \"label\": \"Изделие\"},"
                                  "{\"field\": \"n_qty\", \"label\": \"Кол-во\", \"width\": 20, \"align\": \"right\"}]}";
    QTest::newRow("nested detail tables") << firmsArea(detailJson) << none << nested;
    QTest::newRow("master link of three names is ignored")
            << firmsArea(", \"MASTERLINK\": [\"id\", \"id_master\", \"x\"], \"DETAIL\": {\"NAME\": \"t_detail\","
                         " \"COLUMNS\": [{\"field\": \"c_item\"}]}")
            << none << firmsTable({"ООО «Ромашка»", "ЗАО «Вектор»"});
    QTest::newRow("missing detail table") << firmsArea(", \"MASTERLINK\": [\"id\", \"id_master\"], \"DETAIL\": {\"NAME\": \"\"}")
                                          << none << firmsTable({"ООО «Ромашка»", "ЗАО «Вектор»"});
    QTest::newRow("missing master table")
            << QByteArray("[##AREA{\"MASTER\": {\"NAME\": \"\", \"COLUMNS\": [{\"field\": \"c_name\"}]}}##]") << none
            << QByteArray("[]");

    const QByteArray areaJson = ", \"TABLE\": \"t_group\", \"TITLEFIELD\": \"c_title\", \"AREALINK\": [\"c_code\", \"c_code\"],"
                                " \"AREACSS\": \"area\", \"PREFIX\": \"<i>\", \"SUFFIX\": \"</i>\"";
    QTest::newRow("areas by group") << firmsArea(areaJson) << none
                                    << "<p class=\"area\"><i>Москва</i></p>\n" + firmsTable({"ООО «Ромашка»", "ЗАО «Вектор»"})
                                               + "<br><br><p class=\"area\"><i>Казань</i></p>\n" + firmsTable({});
    QTest::newRow("area table without rows still has one title")
            << firmsArea(", \"TABLE\": \"t_no_groups\", \"TITLEFIELD\": \"c_title\", \"AREALINK\": [\"c_code\", \"c_code\"]")
            << none << "<p></p>\n" + firmsTable({});
    QTest::newRow("incomplete area link renders the whole master")
            << firmsArea(", \"TABLE\": \"t_group\", \"TITLEFIELD\": \"c_title\", \"AREALINK\": [\"c_code\"]") << none
            << firmsTable({"ООО «Ромашка»", "ЗАО «Вектор»"});
    QTest::newRow("data that reads like a directive stays data")
            << QByteArray("##AREA{\"MASTER\": {\"NAME\": \"t_tricky\", \"COLUMNS\": [{\"field\": \"c_text\"}]}}##") << none
            << tableStart + "0\">\n<tr>\n<td valign=\"middle\" align=\"center\"><b></b></td></tr>\n<tr><td >"
                       "##AREA{\"MASTER\": {\"NAME\": \"t_tricky\", \"COLUMNS\": [{\"field\": \"c_text\"}]}}##</td></tr>\n</table>\n";
}

void tst_ReportTemplate::render()
{
    QFETCH(QByteArray, htmlTemplate);
    QFETCH(Values, values);
    QFETCH(QByteArray, expected);
    const QByteArray html = reportWidget::makeHTMLDocument(htmlTemplate, m_set, values);
    QCOMPARE(QString::fromUtf8(html), QString::fromUtf8(expected));
}

void tst_ReportTemplate::malformedAreas_data()
{
    QTest::addColumn<QByteArray>("htmlTemplate");
    QTest::addColumn<Values>("values");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("warnings");

    const QStringList invalid{QStringLiteral("Invalid template")};
    QTest::newRow("broken JSON") << QByteArray("a##AREA{\"MASTER\": {\"NAME\": }##b") << Values() << QByteArray("ab") << invalid;
    QTest::newRow("an array never closes the block") << QByteArray("a##AREA[1, 2]##b") << Values() << QByteArray("a")
                                                     << invalid;
    QTest::newRow("master without columns")
            << QByteArray("a##AREA{\"MASTER\": {\"NAME\": \"t_master\", \"COLUMNS\": []}}##b") << Values() << QByteArray("ab")
            << invalid;
    QTest::newRow("never closed, the rest goes") << "a" + firmsArea().chopped(3) + " хвост" << Values() << QByteArray("a")
                                                 << invalid;
    QTest::newRow("the rest is still built") << "##AREA{}##|" + firmsArea() << Values()
                                             << "|" + firmsTable({"ООО «Ромашка»", "ЗАО «Вектор»"}) << invalid;
    QTest::newRow("a value containing itself")
            << QByteArray("<##VALUE{\"name\":\"x\"}##>")
            << Values{{QStringLiteral("x"), QStringLiteral("(##VALUE{\"name\":\"y\"}##)")},
                      {QStringLiteral("y"), QStringLiteral("##VALUE{\"name\":\"x\"}##")}}
            << QByteArray("<()>") << QStringList{QStringLiteral("Report value \"x\" contains itself")};
}

void tst_ReportTemplate::malformedAreas()
{
    QFETCH(QByteArray, htmlTemplate);
    QFETCH(Values, values);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, warnings);
    for (const QString &warning : warnings)
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    const QByteArray html = ReportTemplate::render(htmlTemplate, m_set, values);
    QCOMPARE(QString::fromUtf8(html), QString::fromUtf8(expected));
}

void tst_ReportTemplate::directiveRecords_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("align");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("width");

    QTest::newRow("defaults") << QByteArray("{}") << QString() << QString() << 10 << -1;
    QTest::newRow("named type, numeric width") << QByteArray("{\"type\": \"int\", \"width\": 25}") << QString() << QString()
                                               << 2 << 25;
    QTest::newRow("date type, width as text") << QByteArray("{\"type\": \"QDate\", \"width\": \"40\"}") << QString()
                                              << QString() << 14 << 40;
    QTest::newRow("unknown type, Default width") << QByteArray("{\"type\": \"деньги\", \"width\": \"DEFAULT\"}") << QString()
                                                 << QString() << 10 << -1;
    QTest::newRow("width not a number") << QByteArray("{\"width\": \"широко\"}") << QString() << QString() << 10 << 0;
    QTest::newRow("label lines, upper-case align") << QByteArray("{\"label\": \"Цена,\\nруб.\\nс НДС\", \"align\": \"CENTER\"}")
                                                   << QStringLiteral("Цена,<br>руб.<br>с НДС") << QStringLiteral("center")
                                                   << 10 << -1;
    QTest::newRow("not an object") << QByteArray("[\"c_name\"]") << QString() << QString() << 10 << -1;
}

void tst_ReportTemplate::directiveRecords()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, label);
    QFETCH(QString, align);
    QFETCH(int, type);
    QFETCH(int, width);
    const reportField field = getFieldFromVariant(QJsonDocument::fromJson(json).toVariant());
    QCOMPARE(field.label, label);
    QCOMPARE(field.align, align);
    QCOMPARE(field.type, type);
    QCOMPARE(field.width, width);

    // A table reads its columns through the same rules, in order.
    const QByteArray tableJson = "{\"NAME\": \"t\", \"BORDER\": \"3\", \"HEADCSS\": \"h\", \"COLUMNS\": [{\"field\": \"a\"}, "
            + json + "]}";
    const reportTable table = getTableFromVariant(QJsonDocument::fromJson(tableJson).toVariant());
    QCOMPARE(table.name, QStringLiteral("t"));
    QCOMPARE(table.border, 3);
    QCOMPARE(table.headCss, QStringLiteral("h"));
    QCOMPARE(table.columns.size(), 2);
    QCOMPARE(table.columns.at(0).field, QStringLiteral("a"));
    QCOMPARE(table.columns.at(1).width, width);
}

QTEST_MAIN(tst_ReportTemplate)
#include "tst_reporttemplate.moc"
