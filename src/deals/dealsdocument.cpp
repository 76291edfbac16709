#include "dealsdocument.h"

#include "appcontext.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "siblingmodules.h"
#include "workplacelogging.h"

#include <QIcon>
#include <QVariant>

namespace {

enum Type { Bool = QVariant::Bool, Int = QVariant::Int, LongLong = QVariant::LongLong, Double = QVariant::Double,
            String = QVariant::String, ByteArray = QVariant::ByteArray, Date = QVariant::Date,
            DateTime = QVariant::DateTime };

// Header icons are not owned by the columns: they live as long as the library.
QIcon *attachIcon()
{
    static QIcon icon(QStringLiteral(":/Icons/ATTACH"));
    return &icon;
}

QIcon *toolsIcon()
{
    static QIcon icon(QStringLiteral(":/Icons/TOOLS"));
    return &icon;
}

QIcon *webIcon()
{
    static QIcon icon(QStringLiteral(":/Icons/WEB"));
    return &icon;
}

QDataTable *makeTable(QDataSet *document, const char *name, const QString &select, const QString &update,
                      const QString &insert, const QString &remove, bool sql)
{
    auto *table = new QDataTable(QString::fromLatin1(name), AppContext::connection(), document);
    table->setScripts(select, update, insert, remove, sql);
    return table;
}

QDataTable *makeScriptTable(QDataSet *document, const char *name, const char *select, const char *update = "",
                            const char *insert = "", const char *remove = "")
{
    return makeTable(document, name, QString::fromLatin1(select), QString::fromLatin1(update),
                     QString::fromLatin1(insert), QString::fromLatin1(remove), false);
}

QDataTable *makeSqlTable(QDataSet *document, const char *name, const QString &select)
{
    return makeTable(document, name, select, QString(), QString(), QString(), true);
}

// A hidden column with the Part-wide defaults of hidden columns.
void hidden(QDataTable *table, const char *field, int type, int width = 100, int flags = 0, int autoInc = 0)
{
    table->addColumn(QString::fromLatin1(field), type, false, QString(), autoInc, width, QVariant(), flags);
}

void addDeals(QDataSet *document)
{
    QDataTable *t = makeScriptTable(document, "t_deals", "MY_DEALS_SELECT", "DEAL_UPDATE", "DEAL_INSERT");
    t->addColumn(QStringLiteral("b_attach"), Bool, true, QString(), 0, 32, false, colFixedSize,
                 QStringLiteral("Прикрепленные документы"), attachIcon());
    t->addColumn(QStringLiteral("b_request"), Bool, true, QString(), 0, 32, false, colFixedSize,
                 QStringLiteral("Запрос на разработку"), toolsIcon());
    t->addColumn(QStringLiteral("c_doc"), String, true, QStringLiteral("Сделка"), 0, 150,
                 QStringLiteral("Новая сделка"));
    t->addColumn(QStringLiteral("c_state"), String, true, QStringLiteral("Состояние"), 0, 110);
    t->addColumn(QStringLiteral("d_execution"), Date, true, QStringLiteral("Срок поставки"), 0, 110);
    t->addColumn(QStringLiteral("c_base"), String, true, QStringLiteral("Основание"), 0, 250);
    t->addColumn(QStringLiteral("c_contractor"), String, true, QStringLiteral("Получатель"), 0, 100, QVariant(),
                 colDisplayLookup);
    t->addColumn(QStringLiteral("c_provider"), String, true, QStringLiteral("Поставщик"), 0, 100);
    t->addColumn(QStringLiteral("c_creator"), String, true, QStringLiteral("Заключил"), 0, 200);
    t->addColumn(QStringLiteral("d_create"), DateTime, true, QStringLiteral("Дата создания"), 0, 150);
    t->addColumn(QStringLiteral("n_price"), Double, true, QStringLiteral("Цена"), 0, 150);
    hidden(t, "id", LongLong, 100, 0, -1);
    hidden(t, "id_doc", LongLong);
    hidden(t, "id_state", LongLong, 0, colDisplayLookup);
    for (const char *field : {"id_division", "id_contractor", "id_provider", "id_transport_company", "id_currency",
                              "id_creator", "id_request_doc", "id_payer_for_delivery"})
        hidden(t, field, LongLong);
    for (const char *field : {"c_comment", "c_address", "c_inn", "c_contact_person", "c_phone",
                              "c_transport_company_name", "c_transport_company", "c_sending_number", "c_currency"})
        hidden(t, field, String);
    hidden(t, "n_qty", Int);
    hidden(t, "n_qty_ready", Int);
    hidden(t, "n_row_version", Int);
    t->setKeyField(QStringLiteral("id"));
    document->addTable(t);
}

// Positions and development-work requests share the server scripts; the
// requests lack the shipped quantity and the b_okr marker, and show their URL.
void addDetails(QDataSet *document, const char *name, bool developmentWork)
{
    QDataTable *t = makeScriptTable(document, name, "DEAL_DETAILS_SELECT", "DEAL_DETAILS_UPDATE",
                                    "DEAL_DETAILS_INSERT", "DEAL_DETAILS_DELETE");
    t->addColumn(QStringLiteral("c_url"), String, developmentWork, QString(), 0, 32, false, colFixedSize,
                 QStringLiteral("URL"), webIcon());
    t->addColumn(QStringLiteral("c_name"), String, true, QStringLiteral("Изделие"), 0, 150, QVariant(), colStretch);
    t->addColumn(QStringLiteral("n_qty"), Double, true, QStringLiteral("Кол-во"), 0, 80);
    t->addColumn(QStringLiteral("d_execution"), Date, true,
                 developmentWork ? QStringLiteral("Срок поставки") : QStringLiteral("Срок \nпоставки"), 0, 120);
    t->addColumn(QStringLiteral("n_cost"), Double, true, QStringLiteral("Себестоимость"), 0, 80);
    t->addColumn(QStringLiteral("n_sale_price"), Double, true,
                 developmentWork ? QStringLiteral("Продажная цена") : QStringLiteral("Продажная \nцена"), 0, 80);
    if (!developmentWork)
        t->addColumn(QStringLiteral("n_qty_shipped"), Double, true, QStringLiteral("Отгружено"), 0, 80);
    hidden(t, "id", LongLong, 100, 0, -1);
    hidden(t, "id_deal", LongLong, 0, colDisplayLookup);
    hidden(t, "id_item", LongLong);
    hidden(t, "c_description", String);
    hidden(t, "id_meas_unit", LongLong);
    hidden(t, "n_cost_add", Double);
    hidden(t, "b_add_nds", Bool);
    hidden(t, "id_vat", LongLong);
    // New positions are positions: the insert script takes a row without
    // the marker (the development-work table has none) for a request.
    if (!developmentWork)
        t->addColumn(QStringLiteral("b_okr"), Bool, false, QString(), 0, 100, false);
    hidden(t, "c_problems", String);
    hidden(t, "b_ready_to_ship", Bool);
    hidden(t, "n_row_version", Int);
    t->setKeyField(QStringLiteral("id"));
    document->addTable(t);
}

void addFileOwner(QDataSet *document)
{
    QDataTable *t = makeScriptTable(document, "t_file_owner", "FILE_OWNER_SELECT", "FILE_OWNER_UPDATE",
                                    "FILE_OWNER_INSERT", "FILE_OWNER_DELETE");
    t->addColumn(QStringLiteral("c_comment"), String, true, QStringLiteral("Описание"), 0, 100, QVariant(),
                 colStretch);
    t->addColumn(QStringLiteral("c_file"), String, true, QStringLiteral("Файл"), 0, 250);
    t->addColumn(QStringLiteral("n_size"), LongLong, true, QStringLiteral("Размер(кБ)"), 0, 120);
    t->addColumn(QStringLiteral("id_creator"), LongLong, true, QStringLiteral("Подпись"), 0, 150);
    hidden(t, "id", LongLong, 100, 0, -1);
    hidden(t, "n_crc", LongLong);
    hidden(t, "bl_file", ByteArray);
    hidden(t, "c_table", String);
    hidden(t, "n_key", LongLong);
    // What the attachment scripts compare and deduplicate by.
    hidden(t, "n_row_version", Int);
    hidden(t, "c_sha256", String);
    document->addTable(t);
}

void addDealLink(QDataSet *document)
{
    QDataTable *t = makeScriptTable(document, "t_deal_link", "DEAL_LINK_SELECT", "", "DEAL_LINK_INSERT",
                                    "DEAL_LINK_DELETE");
    t->addColumn(QStringLiteral("c_name"), String, true, QStringLiteral("Накладная \n на отгрузку"), 0, 100);
    t->addColumn(QStringLiteral("c_receiver"), String, true, QStringLiteral("Получатель"), 0, 200);
    t->addColumn(QStringLiteral("c_product"), String, true, QStringLiteral("Изделия"), 0, 300, QVariant(),
                 colStretch);
    t->addColumn(QStringLiteral("d_date"), Date, true, QStringLiteral("Дата \n отгрузки"), 0, 100);
    t->addColumn(QStringLiteral("b_is_revert"), Bool, true, QStringLiteral("Отменен"), 0, 80);
    // Link rows take the shipping sheet's own id, so no generated keys.
    hidden(t, "id", LongLong);
    hidden(t, "id_deal", LongLong);
    hidden(t, "c_form", String);
    document->addTable(t);
}

} // namespace

void buildDealsDocument(QDataSet *document, QWidget *parent)
{
    if (!document)
        return;
    if (!AppContext::connection())
        qCWarning(lcDeals) << "deals document built without a connection";

    addDeals(document);
    document->addTable(makeSqlTable(document, "t_deal_state",
                                    QStringLiteral("SELECT * FROM jur.t_deal_state ORDER BY n_order;")));
    addDetails(document, "t_deal_details", false);
    addDetails(document, "t_deal_details_okr", true);
    addFileOwner(document);
    document->addTable(makeSqlTable(document, "t_user", QStringLiteral("SELECT id, c_name FROM sys.t_user;")));
    document->addTable(makeScriptTable(document, "t_item", "ITEM_SELECT"));
    document->addTable(makeScriptTable(document, "t_contractor", "CONTRACTOR_SELECT"));
    document->addTable(makeScriptTable(document, "t_product_version", "PRODUCT_VERSION_SELECT"));
    addDealLink(document);
    document->addTable(makeScriptTable(document, "t_vat", "VAT_SELECT"));
    document->addTable(makeScriptTable(document, "t_currency", "CURRENCY_SELECT"));
    document->addTable(makeSqlTable(
        document, "t_division",
        QStringLiteral("SELECT id, c_name, b_default FROM sys.t_division WHERE NOT b_is_del ORDER BY b_default, c_name;")));
    document->addTable(makeSqlTable(
        document, "t_division_requisite",
        QStringLiteral("SELECT dr.id_requisite, dr.c_value, r.c_sys_name FROM jur.t_division_requisite dr "
                       "JOIN jur.t_requisites r ON r.id = dr.id_requisite WHERE dr.id_division = :id_division ;")));
    document->addTable(makeSqlTable(
        document, "t_contractor_requisite",
        QStringLiteral("SELECT cr.id_requisite, cr.c_value, r.c_sys_name FROM jur.t_contractor_requis cr "
                       "JOIN jur.t_requisites r ON r.id = cr.id_requisite WHERE cr.id_contractor = :id_contractor ;")));
    document->addTable(makeSqlTable(document, "t_deal_request_doc",
                                    QStringLiteral("SELECT * FROM jur.t_deal_request_doc;")));
    document->addTable(makeSqlTable(document, "t_payer_for_delivery",
                                    QStringLiteral("SELECT * FROM jur.t_deal_payer_for_delivery;")));

    // The common dictionary (units of measure with their precision) comes
    // from its own library; without it the document simply lacks those tables.
    if (!mergeDocument(QStringLiteral("comdict"), document, parent))
        qCDebug(lcDeals) << "common dictionary \"comdict\" not merged";

    const QString deals = QStringLiteral("t_deals");
    const QString id = QStringLiteral("id");
    document->createDataLink(deals, id, QStringLiteral("t_deal_details"), QStringLiteral("id_deal"));
    document->createDataLink(deals, id, QStringLiteral("t_deal_details_okr"), QStringLiteral("id_deal"));
    document->createDataLink(deals, id, QStringLiteral("t_file_owner"), QStringLiteral("n_key"));
    document->createDataLink(deals, id, QStringLiteral("t_deal_link"), QStringLiteral("id_deal"));
    document->setChangingOrder({deals, QStringLiteral("t_deal_details"), QStringLiteral("t_deal_details_okr"),
                                QStringLiteral("t_file_owner"), QStringLiteral("t_deal_link")});
}
