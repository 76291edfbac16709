// The deal's spreadsheet exports against the real server and its demo data:
// the invoice and the recipient sheet are written, read back with openpyxl
// (tests/xlsxdump.py) and checked cell by cell; file names, the file dialog,
// opening the result, and files that cannot be written.
#include "dealexportfields.h"
#include "dealinvoicesheet.h"
#include "dealsdocument.h"
#include "dealworkbookexport.h"
#include "modalanswerer.h"
#include "qdataset.h"
#include "qdealeditor.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "testserver.h"
#include "xlsxdocument.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

// Stands for the desktop's program for .xlsx files.
class FileOpener : public QObject
{
    Q_OBJECT

public:
    QStringList opened;

public slots:
    void openUrl(const QUrl &url) { opened.append(url.toLocalFile()); }
};

class tst_DealExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void fileNames_data();
    void fileNames();
    void invoiceCells_data();
    void invoiceCells();
    void invoiceStructure();
    void invoiceEdgeCases_data();
    void invoiceEdgeCases();
    void recipientSheet_data();
    void recipientSheet();
    void exportThroughTheDialog_data();
    void exportThroughTheDialog();
    void unwritableTargets_data();
    void unwritableTargets();
    void fromTheEditor_data();
    void fromTheEditor();

private:
    QSqlRecord queryRecord(const QString &statement, const QVariant &id);
    DealExportFields fieldsFor(qlonglong dealId);
    void loadPositions(qlonglong dealId);
    QJsonObject readBack(const QString &fileName);
    // The workbook holds each "CELL=text" of the list; an empty text is a cell
    // that is there, empty.
    void compareCells(const QString &fileName, const QStringList &expected);

    QLibrary m_driver;
    QSqlConnection m_connection;
    QDataSet m_document;
    QTemporaryDir m_dir;
    FileOpener m_opener;
    qlonglong m_dealId = 0;     // a demo deal with several positions and full requisites
    QJsonObject m_invoice;      // that deal's invoice, read back
    QVector<QSqlRecord> m_lines; // its positions, with the second one stored without VAT
};

void tst_DealExport::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::openMainConnection(QStringLiteral("tst_dealexport"), &m_driver, &m_connection, true, &error),
             qPrintable(error));
    buildDealsDocument(&m_document, nullptr);
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opener, "openUrl");
    QVERIFY(m_dir.isValid());

    // A deal of the default division with at least three positions, for a buyer
    // that has INN, KPP, legal address and phone.
    const QSqlRecord deal = queryRecord(QStringLiteral(
        "select d.id from jur.t_deals d join sys.t_division v on v.id = d.id_division and v.b_default "
        " where (select count(*) from jur.t_deal_details x where x.id_deal = d.id and not x.b_okr) >= 3 "
        "   and (select count(*) from jur.t_contractor_requis r where r.id_contractor = d.id_contractor "
        "         and r.id_requisite in (1, 2, 4, 10)) = 4 "
        "   and d.id > :id order by d.id limit 1"), 0);
    QVERIFY2(!deal.isEmpty(), "no demo deal with several positions and a buyer with full requisites");
    m_dealId = deal.value(0).toLongLong();

    // The second position as a net price: 100 for 4 pieces is invoiced at 120, 30 each.
    loadPositions(m_dealId);
    QDataTable *positions = m_document.getTable(QStringLiteral("t_deal_details"));
    QSqlRecord net = positions->getRecord(1);
    net.setValue(QStringLiteral("b_add_nds"), false);
    net.setValue(QStringLiteral("n_sale_price"), 100.0);
    net.setValue(QStringLiteral("n_qty"), 4.0);
    QVERIFY(positions->setRow(1, net));
    for (int row = 0; row < positions->rowCount(); ++row)
        m_lines.append(positions->getRecord(row));

    const QString file = m_dir.filePath(QStringLiteral("invoice.xlsx"));
    DealWorkbookExport exporter(&m_document, nullptr);
    const DealExportFields fields = fieldsFor(m_dealId);
    DealRequisites::load(m_document.getTable(QStringLiteral("t_division_requisite")), QStringLiteral("id_division"),
                         fields.deal.value(QStringLiteral("id_division")));
    DealRequisites::load(m_document.getTable(QStringLiteral("t_contractor_requisite")),
                         QStringLiteral("id_contractor"), fields.deal.value(QStringLiteral("id_contractor")));
    QVERIFY(exporter.saveInvoice(fields, file));
    m_invoice = readBack(file);
    QVERIFY(!m_invoice.isEmpty());
    // For a look with a spreadsheet program (README, "Checks").
    const QString keep = qEnvironmentVariable("WORKPLACE_KEEP_EXPORTS");
    if (!keep.isEmpty()) {
        QFile::remove(keep + QStringLiteral("/invoice.xlsx"));
        QVERIFY(QFile::copy(file, keep + QStringLiteral("/invoice.xlsx")));
    }
    QVERIFY(m_opener.opened.isEmpty()); // saving alone opens nothing
}

void tst_DealExport::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

QSqlRecord tst_DealExport::queryRecord(const QString &statement, const QVariant &id)
{
    // The connection leaves the query on its first row.
    const QSqlQuery query = m_connection.execScript(statement, QList<QVariant>{id});
    return query.isValid() ? query.record() : QSqlRecord();
}

DealExportFields tst_DealExport::fieldsFor(qlonglong dealId)
{
    DealExportFields fields;
    fields.deal = queryRecord(QStringLiteral("select * from jur.v_deals where id = :id"), dealId);
    const QSqlRecord names = queryRecord(
        QStringLiteral("select v.c_name as seller, c.c_name as buyer, cur.c_name as currency "
                       "  from jur.t_deals d left join sys.t_division v on v.id = d.id_division "
                       "  left join jur.t_contractor c on c.id = d.id_contractor "
                       "  join dirs.t_currency cur on cur.id = d.id_currency where d.id = :id"),
        dealId);
    fields.seller = names.value(QStringLiteral("seller")).toString();
    fields.buyer = names.value(QStringLiteral("buyer")).toString();
    fields.currency = names.value(QStringLiteral("currency")).toString();
    return fields;
}

void tst_DealExport::loadPositions(qlonglong dealId)
{
    QDataTable *positions = m_document.getTable(QStringLiteral("t_deal_details"));
    positions->close();
    positions->setSelectParam(QStringLiteral("id_deal"), dealId);
    positions->setSelectParam(QStringLiteral("b_okr"), false);
    QVERIFY(positions->open(false, false));
}

QJsonObject tst_DealExport::readBack(const QString &fileName)
{
    QProcess dump;
    dump.start(QStringLiteral(SYSTEM_PYTHON), {QStringLiteral(XLSX_DUMP), fileName});
    if (!dump.waitForFinished(60000) || dump.exitCode() != 0) {
        qWarning() << dump.readAllStandardError();
        return QJsonObject();
    }
    return QJsonDocument::fromJson(dump.readAllStandardOutput()).object();
}

void tst_DealExport::compareCells(const QString &fileName, const QStringList &expected)
{
    const QJsonObject cells = readBack(fileName).value(QStringLiteral("cells")).toObject();
    for (const QString &cell : expected) {
        const QString name = cell.section(QLatin1Char('='), 0, 0);
        QVERIFY2(cells.contains(name), qPrintable(name));
        QCOMPARE(cells.value(name).toObject().value(QStringLiteral("value")).toVariant().toString(),
                 cell.section(QLatin1Char('='), 1));
    }
}

void tst_DealExport::fileNames_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");

    QTest::newRow("upper-case suffix stays") << "/tmp/Счет.XLSX" << "/tmp/Счет.XLSX";
    QTest::newRow("no suffix") << "/tmp/счет" << "/tmp/счет.xlsx";
    QTest::newRow("old format") << "/tmp/счет.xls" << "/tmp/счет.xls.xlsx";
    QTest::newRow("dot in a folder name") << "/tmp/v1.xlsx/счет" << "/tmp/v1.xlsx/счет.xlsx";
    QTest::newRow("mixed case") << "счет.XlSx" << "счет.XlSx";
}

void tst_DealExport::fileNames()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(DealWorkbookExport::xlsxFileName(chosen), written);
}

void tst_DealExport::invoiceCells_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QVariant>("value");
    // Borders LRTB, alignment, wrap, font, number format; see tests/xlsxdump.py.
    QTest::addColumn<QString>("look");

    const DealExportFields fields = fieldsFor(m_dealId);
    const QSqlRecord seller = queryRecord(
        QStringLiteral("select max(c_value) filter (where id_requisite = 6) as bank, "
                       "       max(c_value) filter (where id_requisite = 1) as inn, "
                       "       max(c_value) filter (where id_requisite = 2) as kpp, "
                       "       max(c_value) filter (where id_requisite = 7) as bic, "
                       "       max(c_value) filter (where id_requisite = 8) as account, "
                       "       max(c_value) filter (where id_requisite = 9) as corr, "
                       "       max(c_value) filter (where id_requisite = 4) as addr, "
                       "       max(c_value) filter (where id_requisite = 10) as phone "
                       "  from jur.t_division_requisite where id_division = :id"),
        fields.deal.value(QStringLiteral("id_division")));
    const QSqlRecord buyer = queryRecord(
        QStringLiteral("select max(c_value) filter (where id_requisite = 1) as inn, "
                       "       max(c_value) filter (where id_requisite = 2) as kpp, "
                       "       max(c_value) filter (where id_requisite = 4) as addr, "
                       "       max(c_value) filter (where id_requisite = 10) as phone "
                       "  from jur.t_contractor_requis where id_contractor = :id"),
        fields.deal.value(QStringLiteral("id_contractor")));
    const auto text = [](const QSqlRecord &r, const char *name) { return r.value(QLatin1String(name)).toString(); };
    const QString grid = QStringLiteral("tttt g/t wrap 11 General");
    const QString plain = QStringLiteral("---- g/b 11 General");
    const QVariant empty;

    QTest::newRow("bank") << "B3" << QVariant(text(seller, "bank")) << grid;
    QTest::newRow("bank, lower half") << "B4" << empty << "ttt- g/t wrap 11 General";
    QTest::newRow("bank caption") << "B5" << QVariant("Банк получателя") << "tt-t g/t wrap 11 General";
    QTest::newRow("INN caption") << "B6" << QVariant("ИНН") << "t-tt g/t wrap 11 General";
    QTest::newRow("INN") << "C6" << QVariant(text(seller, "inn")) << "-ttt g/t wrap 11 General";
    QTest::newRow("INN, second half") << "D6" << empty << grid;
    QTest::newRow("KPP caption") << "E6" << QVariant("КПП") << "t-tt g/t wrap 11 General";
    QTest::newRow("KPP") << "F6" << QVariant(text(seller, "kpp")) << "-ttt g/t wrap 11 General";
    QTest::newRow("seller") << "B7" << QVariant(fields.seller) << grid;
    QTest::newRow("seller, lower half") << "B8" << empty << "ttt- g/t wrap 11 General";
    QTest::newRow("recipient caption") << "B9" << QVariant("Получатель") << "tt-t g/t wrap 11 General";
    QTest::newRow("under the recipient") << "E9" << empty << "---t g/b 11 General";
    QTest::newRow("BIC caption") << "G3" << QVariant("БИК") << grid;
    QTest::newRow("BIC") << "H3" << QVariant(text(seller, "bic")) << grid;
    QTest::newRow("account caption") << "G4" << QVariant("Сч. №") << grid;
    QTest::newRow("correspondent account") << "H4" << QVariant(text(seller, "corr")) << grid;
    QTest::newRow("grid line") << "J5" << empty << grid;
    QTest::newRow("second account caption") << "G6" << QVariant("Сч. №") << grid;
    QTest::newRow("payment account") << "H6" << QVariant(text(seller, "account")) << grid;
    QTest::newRow("grid corner") << "J9" << empty << grid;

    const QString date = QLocale().toString(QDate::currentDate(), QStringLiteral("dd MMMM yyyy"));
    QTest::newRow("title") << "B11"
                           << QVariant(QStringLiteral("Счет на оплату № %1 от %2 г.")
                                           .arg(fields.deal.value(QStringLiteral("c_doc")).toString(), date))
                           << "---- g/b wrap 22b General";
    QTest::newRow("rule under the title") << "F12" << empty << "---m g/b 22b General";

    const QString partyValue = QStringLiteral("---- g/t wrap 11b General");
    QTest::newRow("supplier label") << "B14" << QVariant("Поставщик") << plain;
    QTest::newRow("supplier label, 2") << "B15" << QVariant("(Исполнитель):") << plain;
    QTest::newRow("supplier") << "D14"
                              << QVariant(QStringLiteral("%1, ИНН %2, КПП %3, %4, тел.: %5")
                                              .arg(fields.seller, text(seller, "inn"), text(seller, "kpp"),
                                                   text(seller, "addr"), text(seller, "phone")))
                              << partyValue;
    QTest::newRow("buyer label") << "B17" << QVariant("Покупатель") << plain;
    QTest::newRow("buyer label, 2") << "B18" << QVariant("(Заказчик):") << plain;
    QTest::newRow("buyer") << "D17"
                           << QVariant(QStringLiteral("%1, ИНН %2, КПП %3, %4, тел.: %5")
                                           .arg(fields.buyer, text(buyer, "inn"), text(buyer, "kpp"),
                                                text(buyer, "addr"), text(buyer, "phone")))
                           << partyValue;
    QTest::newRow("basis label") << "B20" << QVariant("Основание:") << plain;
    QTest::newRow("basis") << "D20" << fields.deal.value(QStringLiteral("c_base")) << partyValue;

    QTest::newRow("head: number") << "B22" << QVariant("№") << "mtmt c/b 11b General";
    QTest::newRow("head: goods") << "C22" << QVariant("Товары (работы, услуги)") << "ttmt c/b 11b General";
    QTest::newRow("head: goods, end") << "F22" << empty << "ttmt c/b 11b General";
    QTest::newRow("head: quantity") << "G22" << QVariant("Кол-во") << "ttmt c/b 11b General";
    QTest::newRow("head: unit") << "H22" << QVariant("Ед.") << "ttmt c/b 11b General";
    QTest::newRow("head: price") << "I22" << QVariant("Цена") << "ttmt c/b 11b General";
    QTest::newRow("head: sum") << "J22" << QVariant("Сумма") << "tmmt c/b 11b General";

    double total = 0;
    for (int i = 0; i < m_lines.size(); ++i) {
        const QSqlRecord &line = m_lines.at(i);
        const QString row = QString::number(23 + i);
        const double salePrice = line.value(QStringLiteral("n_sale_price")).toDouble();
        const double sum = line.value(QStringLiteral("b_add_nds")).toBool() ? salePrice : salePrice * 1.2;
        const double quantity = line.value(QStringLiteral("n_qty")).toDouble();
        total += sum;
        const QString tag = QStringLiteral("position %1: ").arg(i + 1);
        QTest::newRow(qPrintable(tag + QLatin1String("number"))) << "B" + row << QVariant(i + 1) << "mttt c/b 11 General";
        QTest::newRow(qPrintable(tag + QLatin1String("name"))) << "C" + row << line.value(QStringLiteral("c_name")) << "tttt l/b 11 General";
        QTest::newRow(qPrintable(tag + QLatin1String("name, end"))) << "F" + row << empty << "tttt g/b 11 General";
        QTest::newRow(qPrintable(tag + QLatin1String("quantity"))) << "G" + row << QVariant(quantity) << "tttt r/b 11 General";
        QTest::newRow(qPrintable(tag + QLatin1String("unit"))) << "H" + row << QVariant("шт") << "tttt l/b 11 General";
        QTest::newRow(qPrintable(tag + QLatin1String("price"))) << "I" + row << QVariant(sum / quantity) << "tttt r/b 11 #,##0.00";
        QTest::newRow(qPrintable(tag + QLatin1String("sum"))) << "J" + row << QVariant(sum) << "tmtt r/b 11 #,##0.00";
    }
    // The net position of initTestCase.
    QTest::newRow("net price: sum with VAT") << "J24" << QVariant(120.0) << "tmtt r/b 11 #,##0.00";
    QTest::newRow("net price: price with VAT") << "I24" << QVariant(30.0) << "tttt r/b 11 #,##0.00";

    const int r = 23 + m_lines.size();
    const auto at = [r](const char *column, int offset) { return QLatin1String(column) + QString::number(r + offset); };
    const QString money = QStringLiteral("---- r/b 11b #,##0.00");
    const QString label = QStringLiteral("---- r/b 11b General");
    const QString note = QStringLiteral("---- l/b wrap 11 General");
    QTest::newRow("closing rule") << at("E", 0) << empty << "--m- g/b 11 General";
    QTest::newRow("total label") << at("I", 1) << QVariant("Итого:") << label;
    QTest::newRow("total") << at("J", 1) << QVariant(total) << money;
    QTest::newRow("VAT label") << at("G", 2) << QVariant("В том числе НДС 20%:") << label;
    QTest::newRow("VAT") << at("J", 2) << QVariant(total * 0.2) << money;
    QTest::newRow("to pay label") << at("H", 3) << QVariant("Всего к оплате:") << label;
    QTest::newRow("to pay") << at("J", 3) << QVariant(total) << money;
    QTest::newRow("summary") << at("B", 4)
                             << QVariant(QStringLiteral("Всего наименований %1, на сумму %2 %3")
                                             .arg(m_lines.size())
                                             .arg(QString::number(total, 'g', 6), fields.currency))
                             << note;
    QTest::newRow("consent") << at("B", 6)
                             << QVariant("Оплата данного счета означает согласие с условиями поставки товара/услуги.")
                             << note;
    QTest::newRow("terms") << at("B", 7)
                           << QVariant("Товар/услуга отпускается по факту прихода денег на р/с Поставщика, срок и "
                                       "условия поставки оговариваются дополнительно.")
                           << note;
    QTest::newRow("closing thick rule") << at("J", 9) << empty << "---m g/b 22b General";
    QTest::newRow("head signature") << at("B", 12) << QVariant("Руководитель") << "---- l/b 11b General";
    QTest::newRow("accountant signature") << at("G", 12) << QVariant("Бухгалтер") << "---- c/b 11b General";
    QTest::newRow("head's line") << at("E", 13) << empty << "--t- c/b 11 General";
    QTest::newRow("accountant's line") << at("J", 13) << empty << "--t- c/b 11 General";
    QTest::newRow("nothing between the signatures") << at("G", 13) << empty << QString();
}

void tst_DealExport::invoiceCells()
{
    QFETCH(QString, cell);
    QFETCH(QVariant, value);
    QFETCH(QString, look);

    const QJsonObject cells = m_invoice.value(QStringLiteral("cells")).toObject();
    const QJsonObject actual = cells.value(cell).toObject();
    QCOMPARE(actual.value(QStringLiteral("look")).toString(), look);
    const QVariant stored = actual.value(QStringLiteral("value")).toVariant();
    if (value.userType() == QMetaType::Double || value.userType() == QMetaType::Int) {
        QCOMPARE(actual.value(QStringLiteral("type")).toString(), QStringLiteral("n")); // a number, not a text
        QVERIFY2(qAbs(stored.toDouble() - value.toDouble()) < 1e-6,
                 qPrintable(QStringLiteral("%1 != %2").arg(stored.toDouble()).arg(value.toDouble())));
    } else {
        QCOMPARE(stored.toString(), value.toString());
    }
}

void tst_DealExport::invoiceStructure()
{
    const int r = 23 + m_lines.size();
    QStringList merges{"B3:F4", "B5:F5", "C6:D6", "B7:F8", "B9:F9", "H3:J3", "G4:G5", "H4:J5", "G6:G9", "H6:J9",
                       "B11:J11", "D14:J15", "D17:J18", "D20:J20", "C22:F22"};
    for (int row = 23; row < r; ++row)
        merges << QStringLiteral("C%1:F%1").arg(row);
    merges << QStringLiteral("G%1:I%1").arg(r + 2) << QStringLiteral("H%1:I%1").arg(r + 3)
           << QStringLiteral("B%1:J%1").arg(r + 4) << QStringLiteral("B%1:J%1").arg(r + 6)
           << QStringLiteral("B%1:J%2").arg(r + 7).arg(r + 8) << QStringLiteral("B%1:C%1").arg(r + 12)
           << QStringLiteral("G%1:H%1").arg(r + 12);
    merges.sort();
    QStringList actual;
    for (const QJsonValue &range : m_invoice.value(QStringLiteral("merges")).toArray())
        actual << range.toString();
    QCOMPARE(actual, merges);

    // Widths in characters; the file adds the cell padding (5 pixels of 7 per character).
    const QJsonObject widths = m_invoice.value(QStringLiteral("widths")).toObject();
    const double expected[] = {1, 6, 8, 12, 6, 18, 6, 6, 12, 12};
    for (int column = 0; column < 10; ++column) {
        const double width = widths.value(QString(QChar('A' + column))).toDouble();
        QVERIFY2(qAbs(width - expected[column] - 5.0 / 7) < 0.01, qPrintable(QString::number(width)));
    }
    const QJsonObject heights = m_invoice.value(QStringLiteral("heights")).toObject();
    QCOMPARE(heights.value(QStringLiteral("12")).toDouble(), 5.0);
    QCOMPARE(heights.value(QString::number(r + 9)).toDouble(), 5.0);
    // The demo deal's title fits the page in one line of the title font.
    QVERIFY(!heights.contains(QStringLiteral("11")));
    // Other rows keep the height the program gives them, unless a party
    // line needs more than its two rows.
    for (auto it = heights.begin(); it != heights.end(); ++it) {
        const int row = it.key().toInt();
        QVERIFY2(row == 11 || row == 12 || row == r + 9 || (row >= 14 && row <= 20 && it.value().toDouble() > 15),
                 qPrintable(it.key()));
    }
}

void tst_DealExport::invoiceEdgeCases_data()
{
    QTest::addColumn<qlonglong>("dealId");
    QTest::addColumn<QVariant>("division");  // the deal's id_division, as exported
    QTest::addColumn<QStringList>("expected"); // "CELL=text"

    const QSqlRecord partial = queryRecord(QStringLiteral(
        "select d.id, c.c_name from jur.t_deals d join jur.t_contractor c on c.id = d.id_contractor "
        " where exists (select 1 from jur.t_contractor_requis r where r.id_contractor = c.id and r.id_requisite = 4) "
        "   and not exists (select 1 from jur.t_contractor_requis r where r.id_contractor = c.id "
        "                    and r.id_requisite in (2, 10)) and d.id > :id order by d.id limit 1"), 0);
    QVERIFY2(!partial.isEmpty(), "no demo deal with a buyer without KPP and phone");
    const qlonglong partialId = partial.value(0).toLongLong();
    const QSqlRecord buyer = queryRecord(
        QStringLiteral("select max(c_value) filter (where id_requisite = 1) as inn, "
                       "       max(c_value) filter (where id_requisite = 4) as addr "
                       "  from jur.t_contractor_requis cr join jur.t_deals d on d.id_contractor = cr.id_contractor "
                       " where d.id = :id"),
        partialId);
    QTest::newRow("buyer without KPP and phone") << partialId << QVariant()
        << QStringList{QStringLiteral("D17=%1, ИНН %2, %3").arg(partial.value(1).toString(), buyer.value(0).toString(),
                                                                 buyer.value(1).toString())};
    // A deal id that has no positions: the full form with an empty table.
    QTest::newRow("no positions") << -1LL << QVariant()
        << QStringList{"C22=Товары (работы, услуги)", "B23=", "J24=0", "J25=0",
                       "B27=Всего наименований 0, на сумму 0 Российский рубль", "B35=Руководитель"};
    // The demo deal with its first position deleted in this edit, not yet saved:
    // not invoiced, the numbering and the totals one row up.
    QTest::newRow("deleted position") << -2LL << QVariant()
        << QStringList{QStringLiteral("C23=") + m_lines.value(1).value(QStringLiteral("c_name")).toString(), "B23=1",
                       QStringLiteral("I%1=Итого:").arg(23 + m_lines.size())};
    // A seller without requisites: the form stands, the cells are empty.
    QTest::newRow("division without requisites") << m_dealId << QVariant(-5)
                                                 << QStringList{"B3=", "H3=", "D14=ООО «Вектор-Электро»"};
}

void tst_DealExport::invoiceEdgeCases()
{
    QFETCH(qlonglong, dealId);
    QFETCH(QVariant, division);
    QFETCH(QStringList, expected);

    DealExportFields fields = fieldsFor(dealId < 0 ? m_dealId : dealId);
    if (division.isValid()) {
        fields.deal.setValue(QStringLiteral("id_division"), division);
        fields.seller = QStringLiteral("ООО «Вектор-Электро»");
    }
    loadPositions(dealId == -2 ? m_dealId : dealId);
    if (dealId == -2)
        QVERIFY(m_document.getTable(QStringLiteral("t_deal_details"))->deleteRow(0));
    DealRequisites::load(m_document.getTable(QStringLiteral("t_division_requisite")), QStringLiteral("id_division"),
                         fields.deal.value(QStringLiteral("id_division")));
    DealRequisites::load(m_document.getTable(QStringLiteral("t_contractor_requisite")),
                         QStringLiteral("id_contractor"), fields.deal.value(QStringLiteral("id_contractor")));
    const QString file = m_dir.filePath(QStringLiteral("edge.xlsx"));
    QVERIFY(DealWorkbookExport(&m_document, nullptr).saveInvoice(fields, file));
    compareCells(file, expected);
}

void tst_DealExport::recipientSheet_data()
{
    QTest::addColumn<QString>("innText");
    QTest::addColumn<QString>("innHint");
    QTest::addColumn<QString>("innCell");

    QTest::newRow("typed INN") << "7701234567" << "5203909961" << "ИНН: 7701234567";
    QTest::newRow("empty INN shows the recipient's hint") << "" << "5203909961" << "ИНН: 5203909961";
    QTest::newRow("neither") << "" << "" << "ИНН: ";
}

void tst_DealExport::recipientSheet()
{
    QFETCH(QString, innText);
    QFETCH(QString, innHint);
    QFETCH(QString, innCell);

    QLineEdit inn;
    inn.setText(innText);
    inn.setPlaceholderText(innHint);
    DealExportFields fields = fieldsFor(m_dealId);
    fields.inn = DealExportFields::shownText(&inn);
    fields.address = QStringLiteral("г. Тверь, ул. Склизкова, д. 48");
    fields.contactPerson = QStringLiteral("Смирнова Ольга Николаевна");
    fields.phone = QStringLiteral("8(495)235-14-80");
    fields.transportCompany = QStringLiteral("ООО «Деловые линии»");
    fields.payerForDelivery = QStringLiteral("Покупатель");

    const QString file = m_dir.filePath(QStringLiteral("recipient.xlsx"));
    QVERIFY(DealWorkbookExport(&m_document, nullptr).saveRecipientSheet(fields, file));
    const QJsonObject cells = readBack(file).value(QStringLiteral("cells")).toObject();
    const QStringList expected{
        QStringLiteral("A2=Сделка: ") + fields.deal.value(QStringLiteral("c_doc")).toString(),
        QStringLiteral("A4=Получатель: ") + fields.buyer,
        QStringLiteral("A5=") + innCell,
        QStringLiteral("A6=Адрес доставки: г. Тверь, ул. Склизкова, д. 48"),
        QStringLiteral("A7=Контактное лицо: Смирнова Ольга Николаевна"),
        QStringLiteral("A8=Телефон: 8(495)235-14-80"),
        QStringLiteral("A9=Транспортная компания: ООО «Деловые линии»"),
        QStringLiteral("A10=Плательщик за доставку: Покупатель")};
    QStringList actual;
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        actual << it.key() + QLatin1Char('=') + it.value().toObject().value(QStringLiteral("value")).toString();
        QCOMPARE(it.value().toObject().value(QStringLiteral("look")).toString(), QStringLiteral("---- g/b 11 General"));
    }
    QCOMPARE(actual.size(), expected.size());
    for (const QString &line : expected)
        QVERIFY2(actual.contains(line), qPrintable(line));
}

void tst_DealExport::exportThroughTheDialog_data()
{
    QTest::addColumn<bool>("invoice");
    QTest::addColumn<QString>("typed");   // empty: the dialog is cancelled
    QTest::addColumn<QString>("written"); // empty: nothing is written or opened
    QTest::addColumn<bool>("launcher");   // the desktop has a program for .xlsx

    QTest::newRow("invoice, name without suffix") << true << "счет 15" << "счет 15.xlsx" << true;
    QTest::newRow("invoice, cancelled") << true << "" << "" << true;
    QTest::newRow("recipient sheet, .XLSX kept") << false << "Получатель.XLSX" << "Получатель.XLSX" << true;
    QTest::newRow("recipient sheet, cancelled") << false << "" << "" << true;
    QTest::newRow("invoice, no program for it") << true << "счет 16" << "счет 16.xlsx" << false;
}

void tst_DealExport::exportThroughTheDialog()
{
    QFETCH(bool, invoice);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(bool, launcher);

    QTemporaryDir dir;
    ModalAnswerer answerer;
    QString title;
    answerer.enqueue([&](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        title = files->windowTitle();
        QCOMPARE(files->nameFilters(), QStringList{QStringLiteral("Файл EXCEL (*.xlsx)")});
        if (typed.isEmpty()) {
            files->reject();
            return;
        }
        files->selectFile(dir.filePath(typed));
        static_cast<QDialog *>(files)->accept();
    });
    if (!launcher) {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        answerer.pressButton(QMessageBox::Ok);
    }
    m_opener.opened.clear();
    loadPositions(m_dealId);
    DealWorkbookExport exporter(&m_document, nullptr);
    const DealExportFields fields = fieldsFor(m_dealId);
    const bool done = invoice ? exporter.exportInvoice(fields) : exporter.exportRecipientSheet(fields);
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opener, "openUrl");

    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(title, QStringLiteral("Сохранить счет"));
    QCOMPARE(done, !written.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), written.isEmpty() ? QStringList() : QStringList{written});
    QCOMPARE(m_opener.opened, written.isEmpty() || !launcher ? QStringList() : QStringList{dir.filePath(written)});
    // Without a program the person learns where the file is.
    QCOMPARE(answerer.titles, launcher ? QStringList() : QStringList{QStringLiteral("Открытие файла")});
    if (!launcher)
        QVERIFY2(answerer.texts.value(0).contains(QDir::toNativeSeparators(dir.filePath(written))),
                 qPrintable(answerer.texts.value(0)));
    if (!written.isEmpty())
        QVERIFY(!readBack(dir.filePath(written)).value(QStringLiteral("cells")).toObject().isEmpty());
}

void tst_DealExport::unwritableTargets_data()
{
    QTest::addColumn<QString>("target");   // relative to a scratch folder
    QTest::addColumn<bool>("overlong");    // a cell text longer than a spreadsheet takes

    QTest::newRow("folder is a file") << "plain.txt/счет.xlsx" << false;
    QTest::newRow("missing folder") << "нет/счет.xlsx" << false;
    QTest::newRow("the target is a folder") << "folder.xlsx" << false;
    QTest::newRow("workbook fails, old file kept") << "old.xlsx" << true;
}

// Nothing half-written is left behind, an existing file stays as it was,
// and the person is told why.
void tst_DealExport::unwritableTargets()
{
    QFETCH(QString, target);
    QFETCH(bool, overlong);

    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain.txt")));
    QVERIFY(plain.open(QIODevice::WriteOnly) && plain.write("not a folder") > 0);
    plain.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.xlsx")));
    QFile old(dir.filePath(QStringLiteral("old.xlsx")));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the earlier invoice") > 0);
    old.close();
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    if (overlong) {
        QXlsx::Document workbook;
        QVERIFY(workbook.write(1, 1, QString(40000, QLatin1Char('x'))));
        QVERIFY(!workbook.saveAs(dir.filePath(target)));
        QVERIFY(!workbook.errorString().isEmpty());
    } else {
        ModalAnswerer answerer;
        answerer.pressButton(QMessageBox::Ok);
        loadPositions(m_dealId);
        QVERIFY(!DealWorkbookExport(&m_document, nullptr).saveInvoice(fieldsFor(m_dealId), dir.filePath(target)));
        QCOMPARE(answerer.titles, QStringList{QStringLiteral("Ошибка")});
        QVERIFY2(answerer.texts.value(0).contains(target.section(QLatin1Char('/'), -1)),
                 qPrintable(answerer.texts.value(0)));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the earlier invoice"));
}

void tst_DealExport::fromTheEditor_data()
{
    QTest::addColumn<bool>("invoice");
    // Cells that must hold what the editor shows for the demo deal: "CELL=text".
    QTest::addColumn<QStringList>("expected");

    const QSqlRecord deal = queryRecord(
        QStringLiteral("select d.c_doc, d.id_doc, v.c_name as seller, c.c_name as buyer, "
                       "       coalesce(d.c_inn, (select r.c_value from jur.t_contractor_requis r "
                       "                           where r.id_contractor = d.id_contractor and r.id_requisite = 1 "
                       "                           order by r.id limit 1), '') as inn "
                       "  from jur.v_deals d join sys.t_division v on v.id = d.id_division "
                       "  join jur.t_contractor c on c.id = d.id_contractor where d.id = :id"),
        m_dealId);
    const auto text = [&deal](const char *name) { return deal.value(QLatin1String(name)).toString(); };
    QTest::newRow("invoice") << true
                             << QStringList{QStringLiteral("B7=") + text("seller"),
                                            // The deal's number, once, and the day of the export.
                                            QStringLiteral("B11=Счет на оплату № %1 от %2 г.")
                                                .arg(text("id_doc"), QLocale().toString(QDate::currentDate(),
                                                                                       QStringLiteral("dd MMMM yyyy")))};
    QTest::newRow("recipient sheet") << false
                                     << QStringList{QStringLiteral("A2=Сделка: ") + text("c_doc"),
                                                    QStringLiteral("A4=Получатель: ") + text("buyer"),
                                                    QStringLiteral("A5=ИНН: ") + text("inn")};
}

// The editor's buttons hand the deal as the editor shows it to the export:
// its kept record, its combo boxes and its contact fields with their hints.
void tst_DealExport::fromTheEditor()
{
    QFETCH(bool, invoice);
    QFETCH(QStringList, expected);

    m_document.rollback();
    QDealEditor editor(&m_document);
    editor.refresh();
    editor.setData(fieldsFor(m_dealId).deal);
    QVERIFY(editor.btSave->isEnabled());

    QTemporaryDir dir;
    ModalAnswerer answerer;
    answerer.enqueue([&dir](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        files->selectFile(dir.filePath(QStringLiteral("из редактора")));
        static_cast<QDialog *>(files)->accept();
    });
    m_opener.opened.clear();
    (invoice ? editor.btSave : editor.btSaveDelivery)->click();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);

    const QString written = dir.filePath(QStringLiteral("из редактора.xlsx"));
    QCOMPARE(m_opener.opened, QStringList{written});
    compareCells(written, expected);
}

QTEST_MAIN(tst_DealExport)
#include "tst_dealexport.moc"
