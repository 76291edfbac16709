// The deals module's windows: the list in the main window, the editor of a
// deal on each of its tabs, the choice of shipping sheets to link and the
// packing list of a sheet.

#include "windowcatalog.h"

#include "appcontext.h"
#include "dealsentrypoints.h"
#include "dealsheetlinking.h"
#include "packinglistpreview.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdataeditor.h"
#include "qdeals.h"
#include "qdealeditor.h"
#include "qdealsview.h"
#include "qsqlconnection.h"
#include "reportwidget.h"
#include "sheetnotlinkdialog.h"

#include <QSqlQuery>
#include <QTabWidget>

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

} // namespace

void addDealsWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("deals"),
                     QStringLiteral("сделки; deals:ID открывает сделку, deals:ID/tabDetail - вкладку редактора"),
                     openDeals});
    entries->append({QStringLiteral("deal-sheets"),
                     QStringLiteral("несвязанные отгрузки для сделки; deal-sheets:ID, ID/all - все, ID/taken - первая "
                                    "уже взята"),
                     openSheetChoice});
    entries->append({QStringLiteral("packing-list"),
                     QStringLiteral("упаковочный лист накладной; packing-list:ID"), openPackingList});
}
