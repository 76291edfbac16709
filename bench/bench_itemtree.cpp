// Measures the item tree over a catalogue of 50,000 items in a database of
// its own: how long the event loop is blocked at most while the tree builds,
// rebuilds and opens a branch of 2,000 items, and how fast a search shows its
// first hits against a bare SELECT ... ILIKE of the same text. Prints figures
// and ratios; asserts nothing.

#include "benchsupport.h"
#include "appcontext.h"
#include "qsqlconnection.h"
#include "suppliers/itemtree.h"
#include "suppliers/itemtreenode.h"
#include "testserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLibrary>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

namespace {

using Bench::fail;
using Bench::exec;

constexpr int regularItems = 48000;
constexpr int bigFamilyItems = 2000;
constexpr int runs = 3;

// 10 root types, 5 types under each, 4 under each of those: 200 leaf types
// with 5 families each, 48 items in every family, and one family of 2,000.
void createCatalogue()
{
    exec(QStringLiteral("insert into dirs.t_meas_unit (c_name, c_short_name, n_precission) values ('Штука', 'шт', 0)"));
    exec(QStringLiteral("insert into dirs.t_item_type (c_name) select 'Раздел ' || g from generate_series(1, 10) g"));
    exec(QStringLiteral("insert into dirs.t_item_type (id_parent, c_name) select p.id, p.c_name || '.' || g"
                        " from dirs.t_item_type p, generate_series(1, 5) g"));
    exec(QStringLiteral("insert into dirs.t_item_type (id_parent, c_name) select p.id, p.c_name || '.' || g"
                        " from dirs.t_item_type p, generate_series(1, 4) g where p.id_parent is not null"));
    exec(QStringLiteral("insert into dirs.t_item_family (id_type, c_name, id_meas_unit)"
                        " select t.id, 'Семейство ' || t.c_name || '/' || g, 1"
                        " from dirs.t_item_type t, generate_series(1, 5) g"
                        " where not exists (select 1 from dirs.t_item_type c where c.id_parent = t.id)"));
    exec(QStringLiteral("insert into dirs.t_item (id_item_family, c_name, id_meas_unit, b_is_confirmed)"
                        " select f.id, 'Деталь ' || lpad(n::text, 5, '0') || ' '"
                        "   || (array['корпус','крышка','вал','втулка','шестерня','кронштейн','пластина','ось',"
                        "             'фланец','рычаг'])[n % 10 + 1] || ' ст.' || (n % 97), 1, n % 7 <> 0"
                        " from (select f.id, row_number() over (order by f.id) as r from dirs.t_item_family f) f,"
                        "      generate_series(1, %1) k, lateral (select (f.r - 1) * %1 + k as n) x")
                 .arg(regularItems / 1000));
    exec(QStringLiteral("insert into dirs.t_item_type (c_name) values ('Большой раздел')"));
    exec(QStringLiteral("insert into dirs.t_item_family (id_type, c_name, id_meas_unit)"
                        " select id, 'Большое семейство', 1 from dirs.t_item_type where c_name = 'Большой раздел'"));
    exec(QStringLiteral("insert into dirs.t_item (id_item_family, c_name, id_meas_unit)"
                        " select f.id, 'Крепёж ' || lpad(g::text, 4, '0') || ' М' || (g % 24 + 2), 1"
                        " from dirs.t_item_family f, generate_series(1, %1) g where f.c_name = 'Большое семейство'")
                 .arg(bigFamilyItems));
    exec(QStringLiteral("analyze"));
}

// Fires whenever the event loop gets to run; the longest gap between two
// beats is the longest time the window could not have reacted.
class Heartbeat : public QObject
{
public:
    Heartbeat()
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = qMax(m_longest, m_sinceBeat.nsecsElapsed());
            m_sinceBeat.restart();
        });
    }
    void start()
    {
        m_longest = 0;
        m_sinceBeat.start();
        m_timer.start();
    }
    double stopMs()
    {
        m_timer.stop();
        m_longest = qMax(m_longest, m_sinceBeat.nsecsElapsed());
        return m_longest / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceBeat;
    qint64 m_longest = 0;
};

void waitUntilBuilt(ItemTree *tree)
{
    QEventLoop loop;
    QObject::connect(tree, &ItemTreeBase::signalBuildTree, &loop, [&loop](bool running) {
        if (!running)
            loop.quit();
    });
    loop.exec();
}

struct Figure
{
    double totalMs = 1e18;
    double blockedMs = 1e18;
};

void keepBest(Figure *best, double totalMs, double blockedMs)
{
    best->totalMs = qMin(best->totalMs, totalMs);
    best->blockedMs = qMin(best->blockedMs, blockedMs);
}

void printFigure(const char *what, const Figure &figure)
{
    std::printf("  %-44s %8.1f ms   longest block %6.1f ms%s\n", what, figure.totalMs, figure.blockedMs,
                figure.blockedMs < 100.0 ? "" : "   (over 100 ms)");
}

double bareLoadMs()
{
    QElapsedTimer clock;
    clock.start();
    qint64 rows = 0;
    for (const char *sql : {"select * from dirs.t_item_type order by c_name, id",
                            "select * from dirs.t_item_family_select(null) order by c_name, id",
                            "select * from dirs.t_item_select(null) order by c_name, id"}) {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("MainConnection")));
        query.setForwardOnly(true);
        query.exec(QString::fromLatin1(sql));
        while (query.next())
            rows += query.value(0).toLongLong() != 0;
    }
    if (rows == 0)
        fail(QStringLiteral("the catalogue is empty"));
    return clock.nsecsElapsed() / 1e6;
}

double bareSearchMs(const QString &text, int *hits)
{
    QElapsedTimer clock;
    clock.start();
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("MainConnection")));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select id, id_item_family, c_name from dirs.t_item where c_name ilike ?"));
    query.addBindValue(QLatin1Char('%') + text + QLatin1Char('%'));
    query.exec();
    *hits = 0;
    while (query.next())
        ++*hits;
    return clock.nsecsElapsed() / 1e6;
}

void benchLoading()
{
    std::printf("\nloading (best of %d)\n", runs);
    Figure build, rebuild, branch;
    double bare = 1e18;
    for (int run = 0; run < runs; ++run) {
        bare = qMin(bare, bareLoadMs());
        Heartbeat heartbeat;
        QElapsedTimer clock;

        heartbeat.start();
        clock.start();
        auto tree = std::make_unique<ItemTree>();
        tree->resize(480, 640);
        tree->show();
        waitUntilBuilt(tree.get());
        keepBest(&build, clock.nsecsElapsed() / 1e6, heartbeat.stopMs());

        heartbeat.start();
        clock.start();
        QTimer::singleShot(0, tree.get(), &ItemTree::on_btRefresh_clicked);
        waitUntilBuilt(tree.get());
        keepBest(&rebuild, clock.nsecsElapsed() / 1e6, heartbeat.stopMs());

        QTreeWidget *view = tree->treeWidget();
        QTreeWidgetItem *section = nullptr;
        for (int i = 0; i < view->topLevelItemCount(); ++i) {
            if (view->topLevelItem(i)->text(0) == QStringLiteral("Большой раздел"))
                section = view->topLevelItem(i);
        }
        if (!section)
            fail(QStringLiteral("no big section among %1 top-level nodes").arg(view->topLevelItemCount()));
        section->setExpanded(true);
        QTreeWidgetItem *family = section->child(0);
        heartbeat.start();
        clock.start();
        // Opened from the event loop, as a click would.
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            family->setExpanded(true);
            loop.quit();
        });
        loop.exec();
        keepBest(&branch, clock.nsecsElapsed() / 1e6, heartbeat.stopMs());
        if (family->childCount() != bigFamilyItems)
            fail(QStringLiteral("the big family shows %1 items").arg(family->childCount()));
    }
    std::printf("  bare SELECT of types, families, items         %8.1f ms\n", bare);
    printFigure("first build, 50,000 items", build);
    std::printf("  %-44s x%.2f of the bare SELECT\n", "", build.totalMs / bare);
    printFigure("refresh", rebuild);
    printFigure("opening a family of 2,000 items", branch);
}

void benchSearch()
{
    std::printf("\nsearch over %d items (best of %d)\n", regularItems + bigFamilyItems, runs);
    auto tree = std::make_unique<ItemTree>();
    tree->resize(480, 640);
    tree->show();
    waitUntilBuilt(tree.get());
    auto *find = tree->findChild<QLineEdit *>(QStringLiteral("edFind"));

    struct Case
    {
        const char *label;
        QString text;
    };
    const Case cases[] = {{"one item by its code", QStringLiteral("деталь 31337")},
                          {"a word in 10% of the names", QStringLiteral("ВТУЛКА")},
                          {"a family of 2,000 by its name", QStringLiteral("большое семейство")}};
    for (const Case &c : cases) {
        double treeMs = 1e18;
        double bareMs = 1e18;
        double blockedMs = 1e18;
        int hits = 0;
        QString first;
        for (int run = 0; run < runs; ++run) {
            bareMs = qMin(bareMs, bareSearchMs(c.text, &hits));
            find->clear();
            tree->search();
            Heartbeat heartbeat;
            QElapsedTimer clock;
            heartbeat.start();
            clock.start();
            find->setText(c.text);
            tree->search();
            treeMs = qMin(treeMs, clock.nsecsElapsed() / 1e6);
            blockedMs = qMin(blockedMs, heartbeat.stopMs());
            first = tree->currentNode() ? tree->currentNode()->text(0) : QString();
        }
        std::printf("  %-30s %5d hits: tree %7.1f ms, bare ILIKE %6.1f ms, x%.2f; longest block %6.1f ms%s\n",
                    c.label, hits, treeMs, bareMs, treeMs / bareMs, blockedMs, treeMs < 200.0 ? "" : "  (over 200 ms)");
        std::printf("  %-30s first hit shown: %s\n", "", qPrintable(first));
    }
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
    if (!TestServer::prepareDatabase(QStringLiteral("bench_itemtree"), &error))
        fail(error);
    QLibrary driver(TestServer::driverFile());
    QSqlConnection connection;
    if (!TestServer::connectAndLogin(&driver, &connection, true, &error))
        fail(error);
    AppContext::setConnection(&connection);
    std::printf("bench_itemtree: creating a catalogue of %d items in the private database...\n",
                regularItems + bigFamilyItems);
    createCatalogue();
    bareLoadMs(); // warms the server's cache

    const QString only = app.arguments().value(1);
    if (only.isEmpty() || only == QLatin1String("load"))
        benchLoading();
    if (only.isEmpty() || only == QLatin1String("search"))
        benchSearch();
    return 0;
}
