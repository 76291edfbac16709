// Measures the deals module over 20,000 deals in a database of its own: the
// time from the shell's first call into the module to a painted list, against
// QDataTable::open of the same select into a table that no view shows and no
// display callback decorates. Prints the figures and their ratio; the list is
// meant to stay within 1.5 times the bare load.

#include "benchsupport.h"
#include "appcontext.h"
#include "dealsdocument.h"
#include "dealsentrypoints.h"
#include "eventhandler.h"
#include "liblist.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdbsettings.h"
#include "qdeals.h"
#include "qdealsview.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLibrary>
#include <QMainWindow>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using Bench::fail;
using Bench::exec;
using Bench::scalar;

constexpr int dealCount = 20000;
constexpr int runs = 3;
constexpr double allowedRatio = 1.5;

// Tops the demo deals up to dealCount: every state, the demo buyers,
// suppliers and carriers, one to four catalogue positions each (ready to ship
// as far as the state has got), a development-work request for one deal in
// five, and the demo files on one deal in twenty.
void createDeals()
{
    const qlonglong existing = scalar(QStringLiteral("select count(*) from jur.t_deals"));
    const qlonglong lastDemo = scalar(QStringLiteral("select coalesce(max(id), 0) from jur.t_deals"));
    exec(QStringLiteral("select setseed(0.2026)"));
    exec(QStringLiteral(
        "with buyers as (select array_agg(c.id order by c.id) a from jur.t_contractor c"
        "                 where exists (select 1 from jur.t_cont_cont_type t"
        "                                where t.id_contractor = c.id and t.id_contractor_type = 2)),"
        "     suppliers as (select array_agg(c.id order by c.id) a from jur.t_contractor c"
        "                    where exists (select 1 from jur.t_cont_cont_type t"
        "                                   where t.id_contractor = c.id and t.id_contractor_type = 1)),"
        "     carriers as (select array_agg(c.id order by c.id) a from jur.t_contractor c"
        "                   where exists (select 1 from jur.t_cont_cont_type t"
        "                                  where t.id_contractor = c.id and t.id_contractor_type = 4)),"
        "     users as (select array_agg(id order by id) a from sys.t_user),"
        "     divisions as (select array_agg(id order by id) a from sys.t_division where not b_is_del),"
        "     docs as (select array_agg(id order by id) a from jur.t_deal_request_doc),"
        "     draws as (select g, random() r_state, random() r_age, random() r_buyer, random() r_supplier,"
        "                      random() r_carrier, random() r_user, random() r_div, random() r_doc,"
        "                      random() r_base, random() r_cur"
        "                 from generate_series(1, %1) g)"
        " insert into jur.t_deals (id_state, id_division, id_contractor, id_provider, id_transport_company,"
        "                          id_currency, id_creator, id_request_doc, id_payer_for_delivery, c_base,"
        "                          d_execution, d_create)"
        " select 1 + floor(r_state * 6)::integer,"
        "        divisions.a[1 + floor(r_div * array_length(divisions.a, 1))::integer],"
        "        buyers.a[1 + floor(r_buyer * array_length(buyers.a, 1))::integer],"
        "        case when r_supplier < 0.6 then suppliers.a[1 + floor(r_supplier / 0.6"
        "             * array_length(suppliers.a, 1))::integer] end,"
        "        case when r_carrier < 0.4 then carriers.a[1 + floor(r_carrier / 0.4"
        "             * array_length(carriers.a, 1))::integer] end,"
        "        case when r_cur < 0.92 then 1 when r_cur < 0.97 then 2 else 3 end,"
        "        users.a[1 + floor(r_user * array_length(users.a, 1))::integer],"
        "        docs.a[1 + floor(r_doc * array_length(docs.a, 1))::integer],"
        "        1 + (g % 3),"
        "        (array['Договор поставки, спецификация № ', 'Счёт на оплату № ', 'Тендер, лот ',"
        "               'Коммерческое предложение № ', 'Рамочный договор, заявка № '])"
        "            [1 + floor(r_base * 5)::integer] || (10 + g % 390),"
        "        (now() - make_interval(days => (r_age * 900)::integer) + interval '30 days')::date,"
        "        date_trunc('minute', now() - make_interval(days => (r_age * 900)::integer,"
        "                                                   mins => g % 600))"
        "   from draws, buyers, suppliers, carriers, users, divisions, docs")
             .arg(dealCount - existing));
    exec(QStringLiteral(
        "with items as (select array_agg(id order by id) a from dirs.t_item)"
        " insert into jur.t_deal_details (id_deal, b_okr, id_item, c_name, n_qty, id_meas_unit, n_cost,"
        "                                 n_cost_add, n_sale_price, b_add_nds, id_vat, d_execution,"
        "                                 b_ready_to_ship)"
        " select p.id_deal, false, it.id, it.c_name, p.qty, it.id_meas_unit, p.price * p.qty, 0,"
        "        round((p.price * p.qty * 1.5)::numeric, 2), true, 3, p.d_execution,"
        "        case when p.id_state in (4, 5) then true when p.id_state = 3 then p.r < 0.6"
        "             when p.id_state = 2 then p.r < 0.15 else false end"
        "   from (select d.id id_deal, d.id_state, d.d_execution, k, random() r, random() r_item,"
        "                (array[1, 2, 5, 10, 20, 50])[1 + (d.id + k) % 6] qty,"
        "                round((200 + random() * 25000)::numeric, 2) price"
        "           from jur.t_deals d, generate_series(1, 4) k"
        "          where d.id > %1 and k <= 1 + d.id % 4) p"
        "   cross join items"
        "   join dirs.t_item it on it.id = items.a[1 + floor(p.r_item * array_length(items.a, 1))::integer]")
             .arg(lastDemo));
    exec(QStringLiteral(
        "insert into jur.t_deal_details (id_deal, b_okr, c_name, n_qty, n_cost, n_cost_add, n_sale_price,"
        "                                b_add_nds, id_vat, d_execution)"
        " select id, true, 'Разработать шкаф управления по заданию покупателя', 1, 50000, 0, 120000, true, 3,"
        "        d_execution"
        "   from jur.t_deals where id > %1 and id % 5 = 0")
             .arg(lastDemo));
    exec(QStringLiteral(
        "insert into lrg.t_file_owner (id_file, c_table, n_key)"
        " select (select min(id) from lrg.t_file), 't_deal', id from jur.t_deals where id > %1 and id % 20 = 0"
        " on conflict do nothing")
             .arg(lastDemo));
    exec(QStringLiteral("analyze"));
}

struct ListFigure
{
    double totalMs = 0;
    double constructMs = 0;
    double refreshMs = 0;
    double paintMs = 0;
    int rows = 0;
    int shown = 0;
};

// The bare select: the same script and columns into a table of a document of
// its own, with no view and no display callback.
double bareOpenMs(int *rows)
{
    QDataSet document;
    buildDealsDocument(&document, nullptr);
    QDataTable *deals = document.getTable(QStringLiteral("t_deals"));
    if (!deals)
        fail(QStringLiteral("the deals document has no t_deals"));
    QElapsedTimer clock;
    clock.start();
    if (!deals->open(false, false))
        fail(QStringLiteral("t_deals did not open: ") + deals->lastError().text());
    const double ms = clock.nsecsElapsed() / 1e6;
    *rows = deals->rowCount();
    return ms;
}

// The module as the shell hosts it: icon (with the reminder registration),
// content, the controller in a tab of the main window, its tool-bar actions,
// the first refresh, then the window shown and painted.
ListFigure openModule()
{
    ListFigure figure;
    auto window = std::make_unique<QMainWindow>();
    window->resize(1280, 800);
    auto *tabs = new QTabWidget(window.get());
    window->setCentralWidget(tabs);

    QElapsedTimer clock;
    clock.start();
    const QIcon icon = getIcon();
    if (getContent().value(0) != QLatin1String("getInterface"))
        fail(QStringLiteral("getContent does not name getInterface"));
    QUserInterface *module = getInterface(tabs);
    tabs->addTab(module, icon, module->windowTitle());
    const QList<QAction *> actions = *getToolBarActions();
    if (actions.isEmpty())
        fail(QStringLiteral("no tool-bar actions"));
    figure.constructMs = clock.nsecsElapsed() / 1e6;

    module->refresh();
    figure.refreshMs = clock.nsecsElapsed() / 1e6 - figure.constructMs;

    window->show();
    QApplication::processEvents();
    window->repaint();
    figure.totalMs = clock.nsecsElapsed() / 1e6;
    figure.paintMs = figure.totalMs - figure.constructMs - figure.refreshMs;

    auto *deals = qobject_cast<QDeals *>(module);
    QDataTable *table = deals && deals->view() ? deals->view()->table() : nullptr;
    if (!table)
        fail(QStringLiteral("the module shows no deals table"));
    figure.rows = table->rowCount();
    figure.shown = table->visibleRowCount();
    if (figure.shown == 0)
        fail(QStringLiteral("the list shows no deals"));

    // The controller is made once per process; deleting it lets the next run
    // build it again, as a restarted shell would.
    delete module;
    return figure;
}

// A layout the user arranged earlier, so that the first refresh has a saved
// header to restore: a wider basis, the recipient before the deal.
void saveUserLayout()
{
    QWidget host;
    QUserInterface *module = getInterface(&host);
    auto *deals = qobject_cast<QDeals *>(module);
    if (!deals || !deals->view())
        fail(QStringLiteral("no deals view"));
    module->refresh();
    QTableView *view = deals->view()->tvDeals;
    QDataTable *table = deals->view()->table();
    view->setColumnWidth(table->columnIndex(QStringLiteral("c_base")), 320);
    QHeaderView *header = view->horizontalHeader();
    header->moveSection(header->visualIndex(table->columnIndex(QStringLiteral("c_contractor"))),
                        header->visualIndex(table->columnIndex(QStringLiteral("c_doc"))));
    module->saveUserData();
    delete module;
}

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && !message.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietDebug);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QString error;
    if (!TestServer::prepareDatabase(QStringLiteral("bench_deals"), &error))
        fail(error);
    // The directory's contractors, the catalogue and the demo deals to build on.
    AppContext::setDemoData(true);
    QLibrary driver(TestServer::driverFile());
    QSqlConnection connection;
    if (!TestServer::connectAndLogin(&driver, &connection, true, &error))
        fail(error);
    AppContext::setConnection(&connection);
    eventHandlerRegistry registry;
    AppContext::setEventHandlers(&registry);
    libList libraries;
    AppContext::setLibraries(&libraries);
    qApp->setProperty("libDir", QStringLiteral(DEALS_LIB_DIR));
    QDbSettings settings;
    AppContext::setUserSettings(&settings);

    std::printf("bench_deals: generating %d deals in the private database...\n", dealCount);
    createDeals();
    std::printf("  %lld deals, %lld positions and requests\n",
                scalar(QStringLiteral("select count(*) from jur.t_deals")),
                scalar(QStringLiteral("select count(*) from jur.t_deal_details")));
    saveUserLayout();

    double bare = 1e18;
    ListFigure best;
    best.totalMs = 1e18;
    int bareRows = 0;
    for (int run = 0; run < runs; ++run) {
        bare = qMin(bare, bareOpenMs(&bareRows));
        const ListFigure figure = openModule();
        if (figure.totalMs < best.totalMs)
            best = figure;
    }
    if (best.rows != bareRows)
        fail(QStringLiteral("the list holds %1 rows, the bare load %2").arg(best.rows).arg(bareRows));

    const double ratio = best.totalMs / bare;
    std::printf("\nopening the deals module over %d deals (best of %d)\n", bareRows, runs);
    std::printf("  QDataTable::open of MY_DEALS_SELECT alone       %8.1f ms\n", bare);
    std::printf("  module to a painted list                        %8.1f ms   x%.2f%s\n", best.totalMs, ratio,
                ratio <= allowedRatio ? "" : "   (over x1.5)");
    std::printf("    entry points and controller                   %8.1f ms\n", best.constructMs);
    std::printf("    first refresh (load, filters, saved layout)   %8.1f ms\n", best.refreshMs);
    std::printf("    window shown and painted                      %8.1f ms\n", best.paintMs);
    std::printf("  deals shown after the default state filter      %8d\n", best.shown);
    for (const libInfo &info : qAsConst(libraries))
        delete info.library;
    AppContext::setLibraries(nullptr);
    return 0;
}
