// A report over 10,000 detail rows: its HTML rendered from a data set against
// the same HTML built with a bare string builder, and the document laid out
// in the preview against the toolkit's stock printing of the same HTML.
// Prints times and ratios; asserts nothing.

#include "benchsupport.h"
#include "objvar.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "reportpagelayout.h"
#include "reportwidget.h"
#include "testserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Bench::fail;
using Bench::exec;

constexpr int runs = 3;

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Best of `runs` runs, in milliseconds.
double best(const std::function<void()> &body)
{
    double result = 1e18;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        body();
        result = std::min(result, clock.nsecsElapsed() / 1e6);
    }
    return result;
}

void createData(int firms, int itemsPerFirm)
{
    exec(QStringLiteral("drop schema if exists bench cascade"));
    exec(QStringLiteral("create schema bench"));
    exec(QStringLiteral("create table bench.t_firm (id integer primary key, c_name text, c_city text, c_inn text)"));
    exec(QStringLiteral("create table bench.t_item (id integer primary key, id_firm integer, c_item text, "
                        "n_qty integer, n_price numeric(12, 2))"));
    exec(QStringLiteral("insert into bench.t_firm select g, 'ООО «Поставщик № ' || g || '»', "
                        "(array['Москва', 'Казань', 'Самара', 'Тверь'])[1 + g % 4], lpad((7700000000 + g)::text, 10, '0') "
                        "from generate_series(1, %1) g").arg(firms));
    exec(QStringLiteral("insert into bench.t_item select g, 1 + (g - 1) / %1, 'Подшипник шариковый 6' || (200 + g % 90) "
                        "|| ' ГОСТ 8338-75', 1 + g % 40, 100 + (g % 977) / 4.0 from generate_series(1, %2) g")
                 .arg(itemsPerFirm).arg(firms * itemsPerFirm));
}

const QByteArray reportTemplate = R"(<html><body><h1 align="center">Поставки по поставщикам</h1>
##AREA{"MASTER": {"NAME": "t_firm", "BORDER": 1, "COLUMNS": [
  {"field": "c_name", "label": "Поставщик", "width": 50}, {"field": "c_city", "label": "Город", "width": 25},
  {"field": "c_inn", "label": "ИНН", "width": 25}]},
 "MASTERLINK": ["id", "id_firm"],
 "DETAIL": {"NAME": "t_item", "BORDER": 1, "COLUMNS": [
  {"field": "c_item", "label": "Изделие", "width": 60}, {"field": "n_qty", "label": "Кол-во", "align": "right", "width": 20},
  {"field": "n_price", "label": "Цена", "align": "right", "width": 20}]}}##
</body></html>)";

struct Firm
{
    int id;
    QString name, city, inn;
};
struct Item
{
    int firm;
    QString item, qty, price;
};

QByteArray escaped(const QString &text)
{
    QString copy = text;
    copy.replace(QLatin1Char('<'), QLatin1String("&lt;")).replace(QLatin1Char('>'), QLatin1String("&gt;"));
    return copy.toUtf8();
}

// The same tables as the template gives, from plain vectors: what any report
// must at least spend on its text.
QByteArray bareHtml(const std::vector<Firm> &firms, const std::vector<std::vector<Item>> &items)
{
    QByteArray html = "<html><body><h1 align=\"center\">Поставки по поставщикам</h1>\n";
    html += "<table align=\"center\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" border=\"1\">\n<tr>\n"
            "<td valign=\"middle\" width=\"50%\" align=\"center\"><b>Поставщик</b></td>"
            "<td valign=\"middle\" width=\"25%\" align=\"center\"><b>Город</b></td>"
            "<td valign=\"middle\" width=\"25%\" align=\"center\"><b>ИНН</b></td></tr>\n";
    for (size_t f = 0; f < firms.size(); ++f) {
        const Firm &firm = firms[f];
        html += "<tr><td >" + escaped(firm.name) + "</td><td >" + escaped(firm.city) + "</td><td >" + escaped(firm.inn)
                + "</td></tr>\n";
        if (items[f].empty())
            continue;
        html += "<tr><td colspan=\"3\"><table align=\"right\" cellspacing=\"0\" cellpadding=\"2\" width=\"80%\" border=\"1\">\n<tr>"
                "<td width=\"60%\" align=\"center\" valign=\"middle\"><b>Изделие</b></td>"
                "<td width=\"20%\" align=\"center\" valign=\"middle\"><b>Кол-во</b></td>"
                "<td width=\"20%\" align=\"center\" valign=\"middle\"><b>Цена</b></td></tr>\n";
        for (const Item &item : items[f])
            html += "<tr>\n<td >" + escaped(item.item) + "</td><td align=\"right\" >" + escaped(item.qty)
                    + "</td><td align=\"right\" >" + escaped(item.price) + "</td></tr>\n";
        html += "</table></td></tr>";
    }
    html += "</table>\n\n</body></html>";
    return html;
}

QDataTable *loadTable(QSqlConnection *connection, QObject *owner, const QString &name, const QString &select,
                      bool indexedLink)
{
    auto *table = new QDataTable(name, connection, owner);
    table->setScripts(select, QString(), QString(), QString(), true);
    if (name == QLatin1String("t_item")) {
        table->addColumn(QStringLiteral("id"), QVariant::Int);
        table->addColumn(QStringLiteral("id_firm"), QVariant::Int, true, QString(), 0, 100, QVariant(), indexedLink ? 1 : 0);
        table->addColumn(QStringLiteral("c_item"), QVariant::String);
        table->addColumn(QStringLiteral("n_qty"), QVariant::Int);
        table->addColumn(QStringLiteral("n_price"), QVariant::Double);
    }
    if (!table->open())
        fail(QStringLiteral("cannot open %1").arg(name));
    return table;
}

void benchShape(QSqlConnection *connection, int firms, int itemsPerFirm)
{
    createData(firms, itemsPerFirm);
    const int detailRows = firms * itemsPerFirm;
    std::printf("\n%d master rows, %d detail rows\n", firms, detailRows);

    QObject owner;
    QDataSet set(&owner);
    set.addTable(loadTable(connection, &owner, QStringLiteral("t_firm"),
                           QStringLiteral("select id, c_name, c_city, c_inn from bench.t_firm order by id"), false));
    QDataTable *items = loadTable(connection, &owner, QStringLiteral("t_item"),
                                  QStringLiteral("select id, id_firm, c_item, n_qty, n_price from bench.t_item order by id"),
                                  true);
    set.addTable(items);

    std::vector<Firm> plainFirms;
    std::vector<std::vector<Item>> plainItems(firms);
    QDataTable *firmTable = set.getTable(QStringLiteral("t_firm"));
    for (int row = 0; row < firmTable->rowCount(); ++row) {
        const QSqlRecord record = firmTable->getRecord(row);
        plainFirms.push_back({record.value(0).toInt(), record.value(1).toString(), record.value(2).toString(),
                              record.value(3).toString()});
    }
    for (int row = 0; row < items->rowCount(); ++row) {
        const QSqlRecord record = items->getRecord(row);
        plainItems[record.value(1).toInt() - 1].push_back(
                {record.value(1).toInt(), record.value(2).toString(), record.value(3).toString(), record.value(4).toString()});
    }

    QByteArray bare;
    const double bareMs = best([&] { bare = bareHtml(plainFirms, plainItems); });
    QByteArray rendered;
    const double renderMs = best([&] { rendered = reportWidget::makeHTMLDocument(reportTemplate, &set, {}); });
    if (rendered != bare)
        fail(QStringLiteral("the report and the bare builder give different HTML (%1 and %2 bytes)")
                     .arg(rendered.size()).arg(bare.size()));

    // Without the detail table's index, each master row scans every detail row.
    QDataSet unindexed(&owner);
    unindexed.addTable(firmTable);
    unindexed.addTable(loadTable(connection, &owner, QStringLiteral("t_item"),
                                 QStringLiteral("select id, id_firm, c_item, n_qty, n_price from bench.t_item order by id"),
                                 false));
    const double unindexedMs = best([&] { reportWidget::makeHTMLDocument(reportTemplate, &unindexed, {}); });

    reportWidget preview;
    preview.resize(1000, 800);
    preview.show();
    auto *pagesView = preview.findChild<QPrintPreviewWidget *>();
    int firstPages = 0;
    // Until the first page is on the screen: a long report shows its first
    // pages while the rest is laid out, and the preview's pages are drawn
    // when they come into view, so the grab draws the one in view.
    const double previewMs = best([&] {
        preview.setHTMLContent(rendered);
        firstPages = pagesView->pageCount();
        pagesView->grab();
    });
    // The whole report is laid out in a worker; the preview counts every page
    // once it is done.
    int pages = 0;
    const double wholeMs = best([&] {
        const QList<QTextDocument *> before = preview.findChildren<QTextDocument *>(QStringLiteral("report"));
        preview.setHTMLContent(rendered);
        pagesView->grab();
        while (preview.findChildren<QTextDocument *>(QStringLiteral("report")) == before
               || pagesView->pageCount() <= firstPages)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        pages = pagesView->pageCount();
        pagesView->grab();
    });
    const auto printerFor = [](QPrinter *printer) {
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageMargins(QMarginsF(15, 15, 15, 10), QPageLayout::Millimeter);
    };
    // The preview as it was: the layout made once, but every page drawn and
    // recorded before the first is shown.
    const double recordedMs = best([&] {
        QPrinter printer(QPrinter::HighResolution);
        printerFor(&printer);
        ReportPageLayout layout(&printer);
        layout.setContent(QString::fromUtf8(rendered));
        layout.waitForComplete();
        QPrintPreviewWidget recorded(&printer);
        QObject::connect(&recorded, &QPrintPreviewWidget::paintRequested, [&](QPrinter *target) { layout.print(target); });
        recorded.updatePreview();
    });
    // Printing draws every page; the preview no longer does.
    const double allPagesMs = best([&] {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(QStringLiteral("/dev/null"));
        printerFor(&pdf);
        ReportPageLayout layout(&pdf);
        layout.setContent(QString::fromUtf8(rendered));
        layout.print(&pdf);
    });

    // The stock way: a document printed into a print preview widget, which
    // lays a copy of the document out on every paint.
    const double stockMs = best([&] {
        QTextDocument document;
        document.setHtml(QString::fromUtf8(rendered));
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        QPrintPreviewWidget stock(&printer);
        QObject::connect(&stock, &QPrintPreviewWidget::paintRequested, &document, &QTextDocument::print);
        stock.updatePreview();
    });
    const double parseMs = best([&] {
        QTextDocument document;
        document.setHtml(QString::fromUtf8(rendered));
    });
    // The first pages alone, and the whole report laid out in the worker
    // (parsing included) after them, without drawing.
    double firstLayoutMs = 0;
    const double layoutMs = best([&] {
        QPrinter printer(QPrinter::HighResolution);
        printerFor(&printer);
        ReportPageLayout layout(&printer);
        QElapsedTimer clock;
        clock.start();
        layout.setContent(QString::fromUtf8(rendered));
        firstLayoutMs = clock.nsecsElapsed() / 1e6;
        layout.waitForComplete();
    });

    std::printf("  HTML (%d KB): template over the data set %8.1f ms   bare string builder %6.1f ms   x%.1f\n",
                int(rendered.size() / 1024), renderMs, bareMs, renderMs / bareMs);
    std::printf("  the same without an index on the detail link   %8.1f ms   x%.1f\n", unindexedMs, unindexedMs / bareMs);
    std::printf("  preview, first page on the screen (%d of %d pages): %8.1f ms   stock QTextDocument::print %8.1f ms   x%.2f\n",
                firstPages, pages, previewMs, stockMs, previewMs / stockMs);
    std::printf("    of which laying out the first pages %.0f ms (the last run)\n", firstLayoutMs);
    std::printf("  preview, every page laid out and counted: %8.1f ms   every page recorded up front, as before: %8.1f ms   x%.2f\n",
                wholeMs, recordedMs, wholeMs / recordedMs);
    std::printf("    parsing the HTML alone %.0f ms; first pages, then the whole report in the worker %.0f ms\n", parseMs,
                layoutMs);
    std::printf("  printing all %d pages to PDF, layout included: %.0f ms\n", pages, allPagesMs);
    std::printf("  report to preview: %.0f ms (target 1000 ms), x%.1f the bare string builder; every page counted after %.0f ms\n",
                renderMs + previewMs, (renderMs + previewMs) / bareMs, renderMs + wholeMs);
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietDebug);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QString error;
    if (!TestServer::prepareDatabase(QStringLiteral("bench_report"), &error))
        fail(error);
    QLibrary driver(TestServer::driverFile());
    QSqlConnection connection;
    if (!TestServer::connectAndLogin(&driver, &connection, true, &error))
        fail(error);
    qApp->setProperty("Connection", objToVar(&connection));

    std::printf("bench_report: best of %d runs\n", runs);
    benchShape(&connection, 200, 50);
    benchShape(&connection, 10000, 0);
    return 0;
}
