// The deals module's windows: the list in the main window, the editor of a
// deal on each of its tabs, the line dialog for a position and for a
// development-work request, the concurrent-edit dialog, the choice of
// shipping sheets to link and the packing list of a sheet.

#include "windowcatalog.h"

#include "appcontext.h"
#include "dealconflictdialog.h"
#include "dealsentrypoints.h"
#include "dealsheetlinking.h"
#include "packinglistpreview.h"
#include "qdataeditor.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdeals.h"
#include "qdealeditor.h"
#include "qdealposdialog.h"
#include "qdealsview.h"
#include "qpopupcontainer.h"
#include "qsqlconnection.h"
#include "quserinterface.h"
#include "reportwidget.h"
#include "rowconflict.h"
#include "sheetnotlinkdialog.h"
#include "suppliers/itemproducttree.h"

#include <QEventLoop>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

// "ID" or "ID/TAB" with TAB one of the editor's tab names.
QWidget *openDeals(QWidget *mainWindow, const QString &argument, QString *error)
{
    auto *deals = qobject_cast<QDeals *>(getInterface(mainWindow));
    if (!deals) {
        *error = QStringLiteral("Модуль сделок не загружен.");
        return nullptr;
    }
    if (auto *tabs = mainWindow->findChild<QTabWidget *>(QStringLiteral("twModules")))
        tabs->setCurrentWidget(deals);
    if (argument.isEmpty())
        return mainWindow;

    bool numeric = false;
    const long long id = argument.section(QLatin1Char('/'), 0, 0).toLongLong(&numeric);
    const QString tab = argument.section(QLatin1Char('/'), 1);
    if (!numeric || deals->view()->setCurrentRowByID(id) < 0) {
        *error = QStringLiteral("Нет сделки \"%1\".").arg(argument.section(QLatin1Char('/'), 0, 0));
        return nullptr;
    }
    deals->setCurrentRowByID(id);
    if (!tab.isEmpty()) {
        QWidget *page = deals->editor()->tabWidget->findChild<QWidget *>(tab);
        if (!page || deals->editor()->tabWidget->indexOf(page) < 0) {
            *error = QStringLiteral("Нет вкладки \"%1\": tabDeal, tabDetail, tabFile, tabDoc.").arg(tab);
            return nullptr;
        }
        deals->editor()->tabWidget->setCurrentWidget(page);
    }
    return mainWindow;
}

// The first value of a statement with one parameter, or null.
QVariant firstValue(const QString &statement, const QVariant &parameter)
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection)
        return QVariant();
    const QSqlQuery query = connection->execScript(statement, QList<QVariant>{parameter});
    return query.isValid() ? query.value(0) : QVariant();
}

// "ID", "ID/all" (the filter on "Все") and "ID/taken" (the first sheet marked
// as taken by the deal in this edit, green); without an id, the demo deal
// with the most sheets to choose from.
QWidget *openSheetChoice(QWidget *mainWindow, const QString &argument, QString *error)
{
    const QStringList parts = argument.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QVariant dealId = parts.value(0).toLongLong();
    if (dealId.toLongLong() <= 0 && !parts.value(0).isEmpty() && parts.value(0).at(0).isDigit())
        dealId = QVariant();
    else if (dealId.toLongLong() <= 0)
        dealId = firstValue(QStringLiteral(
            "select d.id from jur.t_deals d "
            "  join jur.t_deal_details x on x.id_deal = d.id and not x.b_okr "
            "  join inv.t_shipping_sheet_item si on si.id_item = x.id_item "
            " where not exists (select 1 from jur.t_deal_link l where l.id_sheet = si.id_sheet) "
            "   and d.id > :id "
            " group by d.id order by count(distinct si.id_sheet) desc, d.id limit 1"), 0);
    QDataSet *document = getDocument(mainWindow);
    if (dealId.toLongLong() <= 0 || !document) {
        *error = QStringLiteral("Нет сделки \"%1\" с отгрузками для привязки.").arg(argument);
        return nullptr;
    }
    for (const char *name : {"t_deal_details", "t_deal_link"}) {
        QDataTable *table = document->getTable(QLatin1String(name));
        table->close();
        table->setSelectParam(QStringLiteral("id_deal"), dealId);
        table->setSelectParam(QStringLiteral("b_okr"), false);
        table->open(false, false);
    }
    const DealSheetLinking linking(document, mainWindow);
    auto *dialog = new SheetNotLinkDialog(linking.itemList(), mainWindow);
    QVector<long long> taken = linking.linkedIds();
    if (parts.contains(QLatin1String("taken")) && dialog->table()->rowCount() > 0)
        taken.append(dialog->table()->getRecord(0).value(QStringLiteral("id")).toLongLong());
    dialog->setIdAdd(taken);
    if (parts.contains(QLatin1String("all")))
        dialog->cbBlockLink->setCurrentIndex(1);
    return dialog;
}

// "SHEETID"; without one, the latest sheet that no deal holds.
QWidget *openPackingList(QWidget *mainWindow, const QString &argument, QString *error)
{
    const QVariant form = firstValue(
        argument.isEmpty()
            ? QStringLiteral("select c_form from inv.t_shipping_sheet sh where c_form is not null and sh.id > :id "
                             "   and not exists (select 1 from jur.t_deal_link l where l.id_sheet = sh.id) "
                             " order by sh.d_date desc, sh.id desc limit 1")
            : QStringLiteral("select c_form from inv.t_shipping_sheet where id = :id"),
        argument.isEmpty() ? 0 : argument.toLongLong());
    if (form.toString().isEmpty()) {
        *error = QStringLiteral("Нет накладной \"%1\" с упаковочным листом.").arg(argument);
        return nullptr;
    }
    reportWidget *preview = PackingListPreview::create(form.toString());
    preview->setParent(mainWindow, Qt::Window);
    preview->resize(1000, 760);
    return preview;
}

QDeals *dealsModule(QWidget *mainWindow, QString *error)
{
    auto *deals = qobject_cast<QDeals *>(getInterface(mainWindow));
    if (!deals)
        *error = QStringLiteral("Модуль сделок не загружен.");
    return deals;
}

// A new deal from the list, as "Новая сделка" makes it.
QWidget *openNewDeal(QWidget *mainWindow, const QString &, QString *error)
{
    QDeals *deals = dealsModule(mainWindow, error);
    if (!deals)
        return nullptr;
    if (auto *tabs = mainWindow->findChild<QTabWidget *>(QStringLiteral("twModules")))
        tabs->setCurrentWidget(deals);
    deals->view()->acNew->trigger();
    return mainWindow;
}

// The demo deal that shows a tab of the editor at its fullest: a shipped
// deal with all its contractors, the most lines with a request among them,
// attached files, linked shipping sheets.
long long demoDealFor(const QString &tab)
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection)
        return -1;
    QString statement;
    QList<QVariant> params;
    if (tab == QLatin1String("tabDeal")) {
        statement = QStringLiteral(
            "SELECT d.id FROM jur.t_deals d JOIN jur.t_deal_state s ON s.id = d.id_state "
            "WHERE s.c_name = :state AND d.id_provider IS NOT NULL AND d.id_transport_company IS NOT NULL "
            "ORDER BY d.id DESC LIMIT 1 ;");
        params << QStringLiteral("Требует отгрузки");
    } else if (tab == QLatin1String("tabDetail")) {
        statement = QStringLiteral(
            "SELECT d.id FROM jur.t_deals d ORDER BY (SELECT count(*) FROM jur.t_deal_details x "
            "WHERE x.id_deal = d.id AND x.b_okr) DESC, (SELECT count(*) FROM jur.t_deal_details x "
            "WHERE x.id_deal = d.id) DESC, d.id LIMIT 1 ;");
    } else if (tab == QLatin1String("tabFile")) {
        statement = QStringLiteral(
            "SELECT d.id FROM jur.t_deals d ORDER BY (SELECT count(*) FROM lrg.t_file_owner f "
            "WHERE f.c_table = :owner AND f.n_key = d.id) DESC, d.id DESC LIMIT 1 ;");
        params << QStringLiteral("t_deal");
    } else {
        statement = QStringLiteral(
            "SELECT d.id FROM jur.t_deals d ORDER BY (SELECT count(*) FROM jur.t_deal_link l "
            "WHERE l.id_deal = d.id) DESC, d.id DESC LIMIT 1 ;");
    }
    QSqlQuery query = connection->execScript(statement, params);
    return query.isSelect() && query.isValid() ? query.value(0).toLongLong() : -1;
}

// The editor in a window of its own, as its pop-out button shows it, on a
// tab: "TAB" on the demo deal that fills it best, or "ID/TAB".
QWidget *openEditor(QWidget *mainWindow, const QString &argument, QString *error)
{
    QDeals *deals = dealsModule(mainWindow, error);
    if (!deals)
        return nullptr;
    const bool withId = argument.contains(QLatin1Char('/'));
    QString tab = withId ? argument.section(QLatin1Char('/'), 1) : argument;
    if (tab.isEmpty())
        tab = QStringLiteral("tabDeal");
    const QString id = withId ? argument.section(QLatin1Char('/'), 0, 0) : QString::number(demoDealFor(tab));
    if (!openDeals(mainWindow, id + QLatin1Char('/') + tab, error))
        return nullptr;
    if (!QUserInterface::popupWindow() || QUserInterface::popupWindow()->isHidden())
        deals->toggleEditorPopup(deals->dataEditor());
    QWidget *window = QUserInterface::popupWindow();
    if (!window) {
        *error = QStringLiteral("Редактор не открылся в отдельном окне.");
        return nullptr;
    }
    window->resize(1200, 760);
    return window;
}

// A line of a deal: the one with the id given, or the first demo line of its
// kind that `fits` (a position whose item the product tree holds, say).
QSqlRecord findLine(QDataSet *document, bool positions, const QString &argument, QString *error,
                    const std::function<bool(const QSqlRecord &)> &fits)
{
    QDataTable *lines = document->getTable(positions ? QStringLiteral("t_deal_details")
                                                     : QStringLiteral("t_deal_details_okr"));
    QDataTable *deals = document->getTable(QStringLiteral("t_deals"));
    bool numeric = false;
    const qlonglong wanted = argument.toLongLong(&numeric);
    QSqlRecord first;
    for (int row = 0; lines && deals && row < deals->rowCount(); ++row) {
        const QSqlRecord deal = deals->getRecord(row);
        lines->close();
        lines->setSelectParam(QStringLiteral("id_deal"), deal.value(QStringLiteral("id")));
        lines->setSelectParam(QStringLiteral("b_okr"), !positions);
        lines->open(false, false);
        for (int line = 0; line < lines->rowCount(); ++line) {
            const QSqlRecord record = lines->getRecord(line);
            if (numeric) {
                if (record.value(QStringLiteral("id")).toLongLong() == wanted)
                    return record;
                continue;
            }
            if (first.isEmpty())
                first = record;
            if (fits(record))
                return record;
        }
    }
    if (!first.isEmpty())
        return first;
    *error = argument.isEmpty() ? QStringLiteral("В сделках нет таких строк.")
                                : QStringLiteral("Нет строки сделки \"%1\".").arg(argument);
    return QSqlRecord();
}

QWidget *openLine(QWidget *mainWindow, const QString &argument, QString *error, bool positions)
{
    QDeals *deals = dealsModule(mainWindow, error);
    if (!deals)
        return nullptr;
    deals->refresh();
    // The shared product tree, read once: a demo position is shown at its item.
    ItemProductTree *tree = ItemProductTree::getItemTree(nullptr);
    if (positions)
        waitForItemTree(tree);
    const QSqlRecord line = findLine(deals->document(), positions, argument, error, [&](const QSqlRecord &record) {
        return !positions || tree->revealItem(record.value(QStringLiteral("id_item")).toLongLong()) != nullptr;
    });
    if (line.isEmpty())
        return nullptr;
    auto *dialog = new QDealPosDialog(deals->document());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setType(positions ? QDealPosDialog::Position : QDealPosDialog::DevelopmentWork);
    dialog->setCurrency(QStringLiteral("руб."));
    dialog->setData(line);
    // A request has no product tree beside it.
    dialog->resize(positions ? 1000 : 640, 720);
    dialog->show();
    if (positions) {
        waitForItemTree(dialog->itemTree());
        dialog->itemTree()->revealItem(line.value(QStringLiteral("id_item")).toLongLong());
    }
    return dialog;
}

// What the dialog shows when a colleague saved the deal meanwhile: the
// deal's own row, with a colleague's changes made up in memory.
QWidget *openConflict(QWidget *mainWindow, const QString &argument, QString *error)
{
    QDeals *deals = dealsModule(mainWindow, error);
    if (!deals)
        return nullptr;
    deals->refresh();
    QDataTable *table = deals->view()->table();
    const int row = argument.isEmpty() ? 0 : table->locate(QStringLiteral("id"), argument.toLongLong());
    if (row < 0 || row >= table->rowCount()) {
        *error = QStringLiteral("Нет сделки \"%1\".").arg(argument);
        return nullptr;
    }
    const QSqlRecord original = table->getRecord(row);
    QSqlRecord mine = original;
    mine.setValue(QStringLiteral("c_comment"), QStringLiteral("Покупатель просит отгрузить до 25-го числа"));
    mine.setValue(QStringLiteral("c_phone"), QStringLiteral("+7 (831) 412-55-10"));
    QSqlRecord stored = original;
    stored.setValue(QStringLiteral("c_comment"), QStringLiteral("Отгрузка двумя партиями, вторая после оплаты"));
    stored.setValue(QStringLiteral("c_base"), QStringLiteral("Договор поставки, спецификация № 2 (новая редакция)"));
    stored.setValue(QStringLiteral("c_sending_number"), QStringLiteral("0004512873"));

    auto *dialog = new DealConflictDialog(deals->document());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setConflict(RowConflict(QStringLiteral("t_deals"), RowConflict::Update, QStringLiteral("id"), mine,
                                    original),
                        stored);
    dialog->show();
    return dialog;
}

} // namespace

void addDealsWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("deals"),
                     QStringLiteral("сделки; deals:ID открывает сделку, deals:ID/tabDetail - вкладку редактора"),
                     openDeals});
    entries->append({QStringLiteral("deal-editor"),
                     QStringLiteral("редактор сделки в отдельном окне: deal-editor:tabDeal|tabDetail|tabFile|tabDoc "
                                    "(демонстрационная сделка) или deal-editor:ID/ВКЛАДКА"),
                     openEditor});
    entries->append({QStringLiteral("deal-new"), QStringLiteral("новая сделка в редакторе"), openNewDeal});
    entries->append({QStringLiteral("deal-position"),
                     QStringLiteral("позиция сделки в диалоге (аргумент: id позиции)"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) {
                         return openLine(mainWindow, argument, error, true);
                     }});
    entries->append({QStringLiteral("deal-request"),
                     QStringLiteral("заявка на разработку в диалоге (аргумент: id заявки)"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) {
                         return openLine(mainWindow, argument, error, false);
                     }});
    entries->append({QStringLiteral("deal-conflict"),
                     QStringLiteral("сделку сохранил другой пользователь (аргумент: id сделки)"), openConflict});
    entries->append({QStringLiteral("deal-sheets"),
                     QStringLiteral("несвязанные отгрузки для сделки; deal-sheets:ID, ID/all - все, ID/taken - первая "
                                    "уже взята"),
                     openSheetChoice});
    entries->append({QStringLiteral("packing-list"),
                     QStringLiteral("упаковочный лист накладной; packing-list:ID"), openPackingList});
}
