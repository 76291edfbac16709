// The deals module against the real server with its demo data: the entry
// points and the controller, the document's structure, deals saved, copied
// and read back, the list's filters, and the unsaved-changes question.
#include "dealshost.h"
#include "modalanswerer.h"
#include "qdataeditor.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdealeditor.h"
#include "qdeals.h"
#include "qdealsview.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QAction>
#include <QHeaderView>
#include <QLibrary>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QtTest>

#include <memory>

class tst_Deals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    // Before any controller exists.
    void entryPointsBeforeTheController();
    void entryPoints();
    void documentTables_data();
    void documentTables();
    void documentLinks();
    void dealRoundTrip();
    void copyDeal();
    void listFilters_data();
    void listFilters();
    void readinessColours_data();
    void readinessColours();
    void unsavedChangesQuestion_data();
    void unsavedChangesQuestion();
    void quitWithUnsavedChanges_data();
    void quitWithUnsavedChanges();
    void reminders_data();
    void reminders();
    void userDataRestoredOnce();
    void emptyListHidesTheEditor();

private:
    qlonglong scalar(const QString &statement);
    QDeals *deals() const { return qobject_cast<QDeals *>(getInterface(nullptr)); }

    QLibrary m_driver;
    QSqlConnection m_connection;
    std::unique_ptr<DealsHost> m_host;
    QWidget m_shell;
};

void tst_Deals::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::openMainConnection(QStringLiteral("tst_deals"), &m_driver, &m_connection, true, &error),
             qPrintable(error));
    m_host = std::make_unique<DealsHost>();
    // The demo deals are made for the directory's demo buyers and suppliers.
    QVERIFY2(scalar(QStringLiteral("select count(*) from jur.t_cont_cont_type")) > 0, "the demo contractors are missing");
    QVERIFY2(scalar(QStringLiteral("select count(*) from jur.t_deals")) >= 150, "the demo deals are missing");
}

void tst_Deals::cleanupTestCase()
{
    m_host.reset();
}

qlonglong tst_Deals::scalar(const QString &statement)
{
    return m_connection.execScript(statement).toLongLong();
}

void tst_Deals::entryPointsBeforeTheController()
{
    QVERIFY(getToolBarActions());
    QVERIFY(getToolBarActions()->isEmpty());
    reminderEventHandler(QStringLiteral("t_deals"), 1); // nothing to do, nothing to crash
    QCOMPARE(getContent(), (QStringList{QStringLiteral("getInterface"), QStringLiteral("getToolBarActions")}));

    QVERIFY(!getIcon().isNull());
    QCOMPARE(getEventHandler(QStringLiteral(" T_Deals ")).module, QStringLiteral("deals"));
    QVERIFY(getEventHandler(QStringLiteral("t_deals")).handler == &reminderEventHandler);
    // A second registration changes nothing.
    QVERIFY(!registerEventHandler(QStringLiteral("T_DEALS"), nullptr, QStringLiteral("other")));
    QVERIFY(!getIcon().isNull());
    QCOMPARE(m_host->registry.size(), 1);
}

void tst_Deals::entryPoints()
{
    QUserInterface *first = getInterface(&m_shell);
    QVERIFY(qobject_cast<QDeals *>(first));
    QWidget other;
    QCOMPARE(getInterface(&other), first);
    QCOMPARE(first->parentWidget(), &m_shell);
    QCOMPARE(getDocument(&other), deals()->document());
    QCOMPARE(first->windowTitle(), QStringLiteral("Сделки"));

    const QList<QAction *> actions = *getToolBarActions();
    QCOMPARE(actions.size(), 4);
    QCOMPARE(actions.at(0), deals()->actionFind);
    QVERIFY(actions.at(1)->isSeparator());
    QCOMPARE(actions.at(2), deals()->view()->acNew);
    QCOMPARE(actions.at(3), deals()->view()->acCopy);

    // Views and editors made on request are new every time (without a
    // document here: a table shows in one view, the controller's).
    QWidget *view = getView(nullptr, &other);
    QVERIFY(qobject_cast<QDealsView *>(view) && view != deals()->view());
    QVERIFY(qobject_cast<QDealEditor *>(getEditor(nullptr, &other)));
    delete view; // its actions leave the shared list again
    QCOMPARE(QDealsView::toolBarActions()->size(), 2);

    QVERIFY(deals()->editFrame->isHidden());
    QVERIFY(deals()->Status->isHidden());
    QCOMPARE(deals()->helpContext(), QStringLiteral("deals"));
}

void tst_Deals::documentTables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("keyField");

    for (const char *table : {"t_deal_state", "t_file_owner", "t_user", "t_item", "t_contractor", "t_product_version",
                              "t_deal_link", "t_vat", "t_currency", "t_division", "t_division_requisite",
                              "t_contractor_requisite", "t_deal_request_doc", "t_payer_for_delivery"})
        QTest::newRow(table) << table << QString();
    for (const char *table : {"t_deals", "t_deal_details", "t_deal_details_okr"})
        QTest::newRow(table) << table << "id";
}

// Each table opens on a demo deal with scripts the server knows; every column
// it declares comes from its select, and the tables an editor writes carry the
// row version their update and delete scripts compare.
void tst_Deals::documentTables()
{
    QFETCH(QString, table);
    QFETCH(QString, keyField);

    QDataTable *t = deals()->document()->getTable(table);
    QVERIFY(t);
    QCOMPARE(t->keyField(), keyField);
    for (const QString &script : {t->selectScript(), t->updateScript(), t->insertScript(), t->deleteScript()}) {
        const bool named = !script.contains(QLatin1Char(' '));
        QVERIFY2(!named || script.isEmpty() || !m_connection.getScript(script).isEmpty(), qPrintable(script));
    }

    t->close();
    t->setSelectParam(QStringLiteral("id_deal"), 1);
    t->setSelectParam(QStringLiteral("b_okr"), false);
    t->setSelectParam(QStringLiteral("c_table"), QStringLiteral("t_deal"));
    t->setSelectParam(QStringLiteral("n_key"), 1);
    t->setSelectParam(QStringLiteral("id_type"), 2);
    t->setSelectParam(QStringLiteral("id_division"), 1);
    t->setSelectParam(QStringLiteral("id_contractor"), 7);
    QVERIFY2(t->open(false, false), qPrintable(table));
    const QSqlRecord selected = m_connection.execScript(t->selectScript(), t->selectParams()).record();
    for (const colInfo &column : t->columns()) {
        // A new attachment's bytes wait in the row until the save, never selected.
        QVERIFY2(selected.contains(column.fieldName) || column.fieldName == QLatin1String("bl_file"),
                 qPrintable(column.fieldName));
    }
    if (!keyField.isEmpty()) {
        // New rows count down from -1 until the server gives them their keys.
        QCOMPARE(t->columns().at(t->columnIndex(keyField)).autoInc, -1);
        const int version = t->columnIndex(QStringLiteral("n_row_version"));
        QVERIFY(version >= 0 && !t->columns().at(version).visible);
    }
    t->close();
}

void tst_Deals::documentLinks()
{
    QDataSet *document = deals()->document();
    // The common dictionary's units, with their precision.
    QDataTable *units = document->getTable(QStringLiteral("t_meas_unit"));
    QVERIFY2(units, "comdict was not merged");
    QVERIFY(units->open(false, false));
    QVERIFY(units->rowCount() > 0);
    QVERIFY(units->getRecord(0).contains(QStringLiteral("n_precission")));

    QStringList links;
    for (const dataLink &link : document->links())
        links << link.masterTable->objectName() + QLatin1Char('.') + link.masterField + QStringLiteral("->")
                         + link.detailTable->objectName() + QLatin1Char('.') + link.detailField;
    QCOMPARE(links, (QStringList{"t_deals.id->t_deal_details.id_deal", "t_deals.id->t_deal_details_okr.id_deal",
                                 "t_deals.id->t_file_owner.n_key", "t_deals.id->t_deal_link.id_deal"}));
    QCOMPARE(document->changingOrder(), (QStringList{"t_deals", "t_deal_details", "t_deal_details_okr",
                                                     "t_file_owner", "t_deal_link"}));

    QDataTable *dealsTable = document->getTable(QStringLiteral("t_deals"));
    deals()->refresh();
    const QSqlRecord fresh = dealsTable->newRow(true);
    QCOMPARE(fresh.value(QStringLiteral("c_doc")).toString(), QStringLiteral("Новая сделка"));
    QCOMPARE(fresh.value(QStringLiteral("b_attach")).toBool(), false);
    QVERIFY(fresh.value(QStringLiteral("id")).toLongLong() < 0);
    document->rollback();
}

// A deal with a position and a development-work request, written in one
// commit, comes back with the server's fields; an edit and a stale edit.
void tst_Deals::dealRoundTrip()
{
    QDataSet *document = deals()->document();
    QDataTable *dealsTable = document->getTable(QStringLiteral("t_deals"));
    QDataTable *positions = document->getTable(QStringLiteral("t_deal_details"));
    QDataTable *requests = document->getTable(QStringLiteral("t_deal_details_okr"));
    deals()->refresh();
    const int before = dealsTable->rowCount();

    QSqlRecord deal = dealsTable->newRow(true);
    const qlonglong temporary = deal.value(QStringLiteral("id")).toLongLong();
    deal.setValue(QStringLiteral("id_contractor"), 7);
    deal.setValue(QStringLiteral("c_base"), QStringLiteral("Проверка: заявка № 1'; drop table jur.t_deals; --"));
    deal.setValue(QStringLiteral("d_execution"), QDate(2031, 3, 14));
    QVERIFY(dealsTable->setRow(dealsTable->lastRow(), deal));

    for (QDataTable *table : {positions, requests}) {
        table->close();
        table->setSelectParam(QStringLiteral("id_deal"), temporary);
        table->setSelectParam(QStringLiteral("b_okr"), table == requests);
        QVERIFY(table->open(false, false));
        QSqlRecord row = table->newRow(true);
        row.setValue(QStringLiteral("id_deal"), temporary);
        row.setValue(QStringLiteral("c_name"), table == requests ? QStringLiteral("Разработать щит") : QString());
        row.setValue(QStringLiteral("id_item"), table == requests ? QVariant() : QVariant(scalar("select min(id) from dirs.t_item")));
        row.setValue(QStringLiteral("n_qty"), 3.0);
        row.setValue(QStringLiteral("n_sale_price"), 1234.56);
        row.setValue(QStringLiteral("b_okr"), table == requests);
        row.setValue(QStringLiteral("b_ready_to_ship"), true);
        QVERIFY(table->setRow(table->lastRow(), row));
    }
    QVERIFY(document->commit(&m_connection));

    const QSqlRecord saved = dealsTable->getRecord(dealsTable->lastRow());
    const qlonglong id = saved.value(QStringLiteral("id")).toLongLong();
    QVERIFY(id > 0);
    // What the server computed comes back with the insert.
    QCOMPARE(saved.value(QStringLiteral("c_state")).toString(), QStringLiteral("Запланирован"));
    QCOMPARE(saved.value(QStringLiteral("c_currency")).toString(), QStringLiteral("руб."));
    QCOMPARE(saved.value(QStringLiteral("c_creator")).toString(), QStringLiteral("Администратор"));
    QCOMPARE(saved.value(QStringLiteral("c_doc")).toString(), saved.value(QStringLiteral("id_doc")).toString());
    QCOMPARE(scalar(QStringLiteral("select count(*) from jur.t_deal_details where id_deal = %1").arg(id)), 2LL);
    QCOMPARE(scalar(QStringLiteral("select count(*) from jur.t_deal_details where id_deal = %1 and b_okr").arg(id)), 1LL);

    deals()->refresh();
    QCOMPARE(dealsTable->rowCount(), before + 1);
    const int row = dealsTable->locate(QStringLiteral("id"), id);
    QVERIFY(row >= 0);
    QSqlRecord reread = dealsTable->getRecord(row);
    QCOMPARE(reread.value(QStringLiteral("c_base")).toString(), deal.value(QStringLiteral("c_base")).toString());
    QCOMPARE(reread.value(QStringLiteral("d_execution")).toDate(), QDate(2031, 3, 14));
    // The list shows dates in the locale's short formats.
    const QAbstractItemModel *shown = dealsTable->getModel();
    QCOMPARE(shown->index(row, dealsTable->columnIndex(QStringLiteral("d_execution"))).data().toString(),
             QLocale().toString(QDate(2031, 3, 14), QLocale::ShortFormat));
    QCOMPARE(shown->index(row, dealsTable->columnIndex(QStringLiteral("d_create"))).data().toString(),
             QLocale().toString(reread.value(QStringLiteral("d_create")).toDateTime(), QLocale::ShortFormat));
    QCOMPARE(reread.value(QStringLiteral("n_qty")).toInt(), 1);
    QCOMPARE(reread.value(QStringLiteral("n_qty_ready")).toInt(), 1);
    QCOMPARE(reread.value(QStringLiteral("n_price")).toDouble(), 1234.56);
    QCOMPARE(reread.value(QStringLiteral("b_request")).toBool(), true);

    // Someone else saves the deal meanwhile: this edit must not overwrite it.
    QSqlQuery other(m_connection.database());
    QVERIFY(other.exec(QStringLiteral("update jur.t_deals set c_comment = 'чужая правка' where id = %1").arg(id)));
    reread.setValue(QStringLiteral("c_comment"), QStringLiteral("моя правка"));
    QVERIFY(dealsTable->setRow(row, reread));
    // The update script compares the row version; whether the framework then
    // reports the conflict is its own business, the colleague's change stays.
    document->commit(&m_connection);
    QCOMPARE(m_connection.execScript(QStringLiteral("select c_comment from jur.t_deals where id = %1").arg(id)).toString(),
             QStringLiteral("чужая правка"));
    document->rollback();

    // A current edit goes through.
    deals()->refresh();
    const int fresh = dealsTable->locate(QStringLiteral("id"), id);
    QSqlRecord current = dealsTable->getRecord(fresh);
    current.setValue(QStringLiteral("c_comment"), QStringLiteral("моя правка"));
    QVERIFY(dealsTable->setRow(fresh, current));
    QVERIFY(document->commit(&m_connection));
    QCOMPARE(m_connection.execScript(QStringLiteral("select c_comment from jur.t_deals where id = %1").arg(id)).toString(),
             QStringLiteral("моя правка"));

    // The deal's total is money: 1234.56 + 0.10 shows as 1234.66, not as the
    // sum of two binary fractions.
    QVERIFY(other.exec(QStringLiteral(
        "insert into jur.t_deal_details (id_deal, b_okr, c_name, n_qty, n_cost, n_cost_add, n_sale_price, b_add_nds,"
        "                                id_vat, d_execution)"
        " values (%1, false, 'Доставка', 1, 0, 0, 0.1, true, 3, current_date)").arg(id)));
    deals()->refresh();
    const int total = dealsTable->locate(QStringLiteral("id"), id);
    QCOMPARE(dealsTable->getModel()->index(total, dealsTable->columnIndex(QStringLiteral("n_price"))).data().toString(),
             QStringLiteral("1234.66"));
}

void tst_Deals::copyDeal()
{
    QDealsView *view = deals()->view();
    deals()->refresh();
    const qlonglong source = scalar(QStringLiteral(
        "select d.id from jur.t_deals d where exists (select 1 from jur.t_deal_details x where x.id_deal = d.id and x.b_okr) "
        "and exists (select 1 from jur.t_deal_link l where l.id_deal = d.id) order by d.id limit 1"));
    QVERIFY(source > 0);
    QVERIFY(view->setCurrentRowByID(source) >= 0);
    QVERIFY(view->acCopy->isEnabled());
    QSignalSpy autoEdit(view, &QDealsView::autoEdit);
    const qlonglong last = scalar(QStringLiteral("select max(id) from jur.t_deals"));

    view->acCopy->trigger();

    const qlonglong copy = scalar(QStringLiteral("select max(id) from jur.t_deals"));
    QVERIFY(copy > last);
    QCOMPARE(autoEdit.count(), 1);
    QCOMPARE(view->currentRow().value(QStringLiteral("id")).toLongLong(), copy);
    QVERIFY(!deals()->editFrame->isHidden());
    QCOMPARE(deals()->editor()->record().value(QStringLiteral("id")).toLongLong(), copy);
    const QString compare = QStringLiteral(
        "select count(*) from jur.t_deal_details a join jur.t_deal_details b on b.id_deal = %2 "
        "and b.c_name is not distinct from a.c_name and b.n_qty = a.n_qty and b.b_okr = a.b_okr "
        "and b.n_sale_price is not distinct from a.n_sale_price where a.id_deal = %1");
    QCOMPARE(scalar(compare.arg(source).arg(copy)),
             scalar(QStringLiteral("select count(*) from jur.t_deal_details where id_deal = %1").arg(source)));
    QCOMPARE(scalar(QStringLiteral("select count(*) from jur.t_deal_link where id_deal = %1").arg(copy)), 0LL);
    QCOMPARE(view->currentRow().value(QStringLiteral("c_state")).toString(), QStringLiteral("Запланирован"));
}

void tst_Deals::listFilters_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("contractor");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("where");

    QTest::newRow("opens on planned") << "Запланирован" << "ВСЕ" << "" << "s.c_name = 'Запланирован'";
    QTest::newRow("all states") << "Все" << "ВСЕ" << "" << "true";
    QTest::newRow("shipped") << "Отгружен" << "ВСЕ" << "" << "s.c_name = 'Отгружен'";
    QTest::newRow("recipient") << "Все" << "ООО «Энергосервис»" << "" << "c.c_name = 'ООО «Энергосервис»'";
    QTest::newRow("state and recipient") << "Закрыт" << "ООО «Энергосервис»" << ""
                                         << "s.c_name = 'Закрыт' and c.c_name = 'ООО «Энергосервис»'";
    QTest::newRow("search in capitals") << "Все" << "ВСЕ" << "ТЕНДЕР" << "lower(d.c_base) like '%тендер%'";
    QTest::newRow("search finds the recipient") << "Все" << "ВСЕ" << "горсвет" << "lower(c.c_name) like '%горсвет%'";
}

void tst_Deals::listFilters()
{
    QFETCH(QString, state);
    QFETCH(QString, contractor);
    QFETCH(QString, search);
    QFETCH(QString, where);

    QDealsView *view = deals()->view();
    const int unfittedHeight = 77;
    view->tvDeals->verticalHeader()->setDefaultSectionSize(unfittedHeight);
    deals()->refresh();
    view->search(search);
    view->cbState->setCurrentIndex(view->cbState->findText(state));
    view->cbContractor->setCurrentIndex(view->cbContractor->findText(contractor));

    int visible = 0;
    for (int row = 0; row < view->table()->rowCount(); ++row)
        visible += view->tvDeals->isRowHidden(row) ? 0 : 1;
    const qlonglong expected = scalar(QStringLiteral(
        "select count(*) from jur.t_deals d join jur.t_deal_state s on s.id = d.id_state "
        "left join jur.t_contractor c on c.id = d.id_contractor where %1").arg(where));
    QVERIFY(expected > 0);
    QCOMPARE(qlonglong(visible), expected);

    // Rows past the first screenful are fitted while the event loop is idle,
    // in order: once the last shown row is, no shown row is left at the
    // (here unmistakable) height of a row never fitted.
    QTableView *list = view->tvDeals;
    int lastShown = view->table()->rowCount() - 1;
    while (list->isRowHidden(lastShown))
        --lastShown;
    QTRY_VERIFY(list->rowHeight(lastShown) != unfittedHeight);
    for (int row = 0; row <= lastShown; ++row)
        QVERIFY2(list->isRowHidden(row) || list->rowHeight(row) != unfittedHeight, qPrintable(QString::number(row)));
    view->search(QString());
}

void tst_Deals::readinessColours_data()
{
    QTest::addColumn<int>("qty");
    QTest::addColumn<int>("ready");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("all ready") << 3 << 3 << QColor(Qt::green);
    QTest::newRow("some ready") << 3 << 1 << QColor(Qt::yellow);
    QTest::newRow("nothing") << 0 << 0 << QColor();
    QTest::newRow("positions, none ready") << 2 << 0 << QColor();
}

void tst_Deals::readinessColours()
{
    QFETCH(int, qty);
    QFETCH(int, ready);
    QFETCH(QColor, colour);

    QSqlRecord record = deals()->view()->table()->getRecord(0);
    record.setValue(QStringLiteral("n_qty"), qty);
    record.setValue(QStringLiteral("n_qty_ready"), ready);
    QVariant value = true;
    cellData cell;
    deals()->view()->onGetDispInfo(0, &value, &cell, &record);
    QCOMPARE(cell.background.style() == Qt::NoBrush ? QColor() : cell.background.color(), colour);
    QVERIFY(cell.text.isEmpty());
    QVERIFY(!cell.icon.isNull());
}

void tst_Deals::unsavedChangesQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("moves");

    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
}

void tst_Deals::unsavedChangesQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, moves);

    QDeals *controller = deals();
    QDealsView *view = controller->view();
    controller->refresh();
    view->search(QString());
    view->cbState->setCurrentIndex(0);
    const qlonglong first = view->table()->getRecord(0).value(QStringLiteral("id")).toLongLong();
    const qlonglong second = view->table()->getRecord(1).value(QStringLiteral("id")).toLongLong();
    controller->setCurrentRowByID(first);
    QCOMPARE(controller->editor()->record().value(QStringLiteral("id")).toLongLong(), first);
    controller->editor()->dataChanged(); // an edit waiting to be saved
    QVERIFY(controller->dataEditor()->okButton()->isEnabled());

    ModalAnswerer answerer;
    answerer.pressButton(answer);
    view->setCurrentRowByID(second);

    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Внимание")});
    QCOMPARE(answerer.texts, QStringList{QStringLiteral(
        "Открытие новой сделки может привести к потере несохраненных данных. Продолжить?")});
    QCOMPARE(controller->editor()->record().value(QStringLiteral("id")).toLongLong(), moves ? second : first);
    QCOMPARE(controller->dataEditor()->okButton()->isEnabled(), !moves);
    controller->dataEditor()->onReset();
}

void tst_Deals::quitWithUnsavedChanges_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");

    QTest::newRow("nothing to lose") << false << -1 << true;
    QTest::newRow("edited, leave anyway") << true << int(QMessageBox::Yes) << true;
    QTest::newRow("edited, stay") << true << int(QMessageBox::No) << false;
}

void tst_Deals::quitWithUnsavedChanges()
{
    QFETCH(bool, edited);
    QFETCH(int, answer);
    QFETCH(bool, closes);

    QDeals *controller = deals();
    controller->refresh();
    QDealsView *view = controller->view();
    view->search(QString());
    view->cbState->setCurrentIndex(0);
    const qlonglong id = view->table()->getRecord(0).value(QStringLiteral("id")).toLongLong();
    controller->setCurrentRowByID(id);
    const QString version = QStringLiteral("select n_row_version from jur.t_deals where id = %1").arg(id);
    const qlonglong stored = scalar(version);
    const QString shown = controller->editor()->teComment->toPlainText();
    if (edited)
        controller->editor()->teComment->setPlainText(shown + QStringLiteral(" (черновик)"));
    QCOMPARE(controller->dataEditor()->okButton()->isEnabled(), edited);

    ModalAnswerer answerer;
    if (answer >= 0)
        answerer.pressButton(answer);
    QCOMPARE(controller->canClose(), closes);
    QCOMPARE(answerer.texts.size(), edited ? 1 : 0);
    // Staying keeps the edit where it was, still to be saved; nothing is written either way.
    QCOMPARE(controller->editor()->teComment->toPlainText() != shown, edited);
    QCOMPARE(controller->dataEditor()->okButton()->isEnabled(), edited);
    QCOMPARE(scalar(version), stored);
    controller->dataEditor()->cancelButton()->click();
}

void tst_Deals::reminders_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("opens");

    QTest::newRow("capitals") << "T_DEALS" << true;
    QTest::newRow("exact") << "t_deals" << true;
    QTest::newRow("another table") << "t_deal_details" << false;
}

void tst_Deals::reminders()
{
    QFETCH(QString, table);
    QFETCH(bool, opens);

    QDeals *controller = deals();
    controller->refresh();
    controller->closeEditor();
    // A closed deal: hidden by the list's opening filter, shown for the reminder.
    const qlonglong id = scalar(QStringLiteral("select max(id) from jur.t_deals where id_state = 5"));
    reminderEventHandler(table, id);

    QCOMPARE(!controller->editFrame->isHidden(), opens);
    if (opens) {
        QCOMPARE(controller->view()->currentRow().value(QStringLiteral("id")).toLongLong(), id);
        QVERIFY(!controller->view()->tvDeals->isRowHidden(controller->view()->tvDeals->currentIndex().row()));
        QCOMPARE(controller->editor()->record().value(QStringLiteral("id")).toLongLong(), id);
        QVERIFY(controller->helpContext().startsWith(QLatin1String("deals#dealsEditor#tabDeal")));
    }
}

void tst_Deals::userDataRestoredOnce()
{
    QDeals *controller = deals();
    QHeaderView *header = controller->view()->tvDeals->horizontalHeader();
    header->resizeSection(5, 333);
    controller->saveUserData();
    header->resizeSection(5, 111);
    // The controller restored the layout on its first refresh already.
    controller->refresh();
    QCOMPARE(header->sectionSize(5), 111);

    // A new controller restores it on its first refresh, and only then.
    delete getInterface(nullptr);
    QDeals *fresh = deals();
    QVERIFY(fresh);
    QHeaderView *freshHeader = fresh->view()->tvDeals->horizontalHeader();
    fresh->refresh();
    QCOMPARE(freshHeader->sectionSize(5), 333);
    freshHeader->resizeSection(5, 120);
    fresh->refresh();
    QCOMPARE(freshHeader->sectionSize(5), 120);
}

void tst_Deals::emptyListHidesTheEditor()
{
    QDeals *controller = deals();
    controller->refresh();
    controller->showEditor();
    controller->view()->table()->close();
    controller->tableScroll();
    QVERIFY(controller->editFrame->isHidden());
}

QTEST_MAIN(tst_Deals)
#include "tst_deals.moc"
