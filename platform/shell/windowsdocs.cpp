// Documents built from templates: the documents of a deal, and the document
// window itself over the deal templates.

#include "windowcatalog.h"

#include "appcontext.h"
#include "documentlistdialog.h"
#include "qdatatable.h"
#include "qdeals.h"
#include "qdoccreator.h"
#include "qsqlconnection.h"

#include <QListView>
#include <QSqlQuery>
#include <QStandardItemModel>

namespace {

// The deal of an argument "ID" (or "ID/..."), else the newest deal with goods.
long long dealOf(const QString &argument, QString *error)
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection) {
        *error = QStringLiteral("Нет соединения с базой данных.");
        return 0;
    }
    const QString idText = argument.section(QLatin1Char('/'), 0, 0);
    QSqlQuery query;
    if (idText.isEmpty()) {
        query = connection->execScript(QStringLiteral(
                "select d.id from jur.t_deals d "
                "where exists (select 1 from jur.t_deal_details x where x.id_deal = d.id and not x.b_okr) "
                "order by d.d_create desc, d.id desc limit 1"), QList<QVariant>());
    } else {
        bool numeric = false;
        const long long id = idText.toLongLong(&numeric);
        if (numeric)
            query = connection->execScript(QStringLiteral("select d.id from jur.t_deals d where d.id = :id"), {id});
    }
    if (!query.isActive() || !query.isValid()) {
        *error = idText.isEmpty() ? QStringLiteral("В базе нет сделок.")
                                  : QStringLiteral("Нет сделки \"%1\".").arg(idText);
        return 0;
    }
    return query.value(0).toLongLong();
}

QString dealTitle(long long id)
{
    QSqlQuery query = AppContext::connection()->execScript(
            QStringLiteral("select r.c_doc, r.c_contractor from jur.v_deals r where r.id = :id"), {id});
    if (!query.isValid())
        return QStringLiteral("Сделка %1").arg(id);
    const QString recipient = query.value(1).toString();
    return QStringLiteral("Сделка %1").arg(query.value(0).toString())
            + (recipient.isEmpty() ? QString() : QStringLiteral(", ") + recipient);
}

// "ID": the documents kept for a deal, with the way to make new ones.
QWidget *makeDealDocuments(QWidget *mainWindow, const QString &argument, QString *error)
{
    const long long id = dealOf(argument, error);
    if (id < 1)
        return nullptr;
    auto *dialog = new DocumentListDialog(QDeals::documentKind(), id, mainWindow);
    dialog->setSourceDescription(dealTitle(id));
    return dialog;
}

// "ID" or "ID/N": the document window over the deal templates, on the N-th (from 1).
QWidget *makeDocCreator(QWidget *mainWindow, const QString &argument, QString *error)
{
    const long long id = dealOf(argument, error);
    if (id < 1)
        return nullptr;
    auto *creator = new QDocCreator(QDeals::documentKind(), mainWindow);
    creator->setWindowTitle(QStringLiteral("Новый документ: %1").arg(dealTitle(id)));
    creator->makeDocument(id, true);
    if (creator->templateTable()->rowCount() == 0) {
        delete creator;
        *error = QStringLiteral("В базе нет шаблонов документов для сделок.");
        return nullptr;
    }
    const int number = argument.section(QLatin1Char('/'), 1).toInt();
    if (number > 1) {
        if (number > creator->templateTable()->rowCount()) {
            *error = QStringLiteral("Шаблонов для сделок всего %1.").arg(creator->templateTable()->rowCount());
            delete creator;
            return nullptr;
        }
        creator->lvTemplates->setCurrentIndex(
                creator->templateTable()->getModel()->index(number - 1, creator->lvTemplates->modelColumn()));
    }
    return creator;
}

} // namespace

void addDocsWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("deal-documents"),
                     QStringLiteral("документы сделки (коммерческие предложения, накладные); deal-documents:ID"),
                     makeDealDocuments});
    entries->append({QStringLiteral("doc-creator"),
                     QStringLiteral("документ по шаблону для сделки; doc-creator:ID/N - N-й шаблон"),
                     makeDocCreator});
}
