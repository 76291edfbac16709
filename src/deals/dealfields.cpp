#include "dealfields.h"

#include "qdataset.h"

#include <QDate>
#include <QLocale>
#include <QTextDocumentFragment>

namespace {

struct Field
{
    const char *name;
    const char *caption;
};

// In the order of the editor's form.
const Field dealFields[] = {
    {"id_division", "Продавец"},
    {"id_contractor", "Получатель"},
    {"id_provider", "Поставщик"},
    {"id_request_doc", "Запрос документов"},
    {"id_state", "Состояние"},
    {"id_currency", "Валюта"},
    {"id_payer_for_delivery", "Плательщик за доставку"},
    {"c_base", "Основание"},
    {"c_address", "Адрес доставки"},
    {"c_inn", "ИНН"},
    {"c_contact_person", "Контактное лицо"},
    {"c_phone", "Телефон"},
    {"id_transport_company", "Транспортная компания"},
    {"c_transport_company", "Перевозка"},
    {"c_sending_number", "Номер отправки"},
    {"c_comment", "Комментарий"},
    {"d_execution", "Срок поставки"},
};

// In the order of the position dialog.
const Field detailFields[] = {
    {"c_name", "Название"},
    {"c_url", "Сcылка на сайт"},
    {"n_qty", "Количество"},
    {"id_meas_unit", "Единица измерения"},
    {"n_cost", "Себестоимость"},
    {"n_cost_add", "Доп. расходы"},
    {"n_sale_price", "Продажная цена"},
    {"b_add_nds", "с НДС"},
    {"id_vat", "НДС, %"},
    {"d_execution", "Срок исполнения"},
    {"b_ready_to_ship", "Готов к отправке"},
    {"c_description", "Описание"},
    {"c_problems", "Проблемы"},
};

bool isDeals(const QString &table)
{
    return table == QLatin1String("t_deals");
}

bool isDetails(const QString &table)
{
    return table == QLatin1String("t_deal_details") || table == QLatin1String("t_deal_details_okr");
}

template<int N>
QStringList names(const Field (&fields)[N])
{
    QStringList list;
    for (const Field &field : fields)
        list << QString::fromLatin1(field.name);
    return list;
}

template<int N>
QString captionIn(const Field (&fields)[N], const QString &name)
{
    for (const Field &field : fields) {
        if (name == QLatin1String(field.name))
            return QString::fromUtf8(field.caption);
    }
    return name;
}

bool isNothing(const QVariant &value)
{
    if (value.isNull())
        return true;
    switch (value.type()) {
    case QVariant::String:
        return value.toString().isEmpty();
    case QVariant::Bool:
        return !value.toBool();
    case QVariant::Int:
    case QVariant::UInt:
    case QVariant::LongLong:
    case QVariant::ULongLong:
    case QVariant::Double:
        return value.toDouble() == 0;
    default:
        return false;
    }
}

bool isNumber(const QVariant &value)
{
    switch (value.type()) {
    case QVariant::Int:
    case QVariant::UInt:
    case QVariant::LongLong:
    case QVariant::ULongLong:
    case QVariant::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

DealFields::DealFields(QDataSet *document)
    : m_document(document)
{
}

QStringList DealFields::editable(const QString &table)
{
    if (isDeals(table))
        return names(dealFields);
    if (isDetails(table))
        return names(detailFields);
    return QStringList();
}

QString DealFields::caption(const QString &table, const QString &field)
{
    if (isDeals(table))
        return captionIn(dealFields, field);
    if (isDetails(table))
        return captionIn(detailFields, field);
    return field;
}

bool DealFields::same(const QVariant &a, const QVariant &b)
{
    if (isNothing(a) || isNothing(b))
        return isNothing(a) && isNothing(b);
    if (isNumber(a) && isNumber(b))
        return a.toDouble() == b.toDouble();
    if (a.type() == QVariant::Date || b.type() == QVariant::Date)
        return a.toDate() == b.toDate();
    return a == b;
}

QStringList DealFields::differences(const QString &table, const QSqlRecord &a, const QSqlRecord &b)
{
    QStringList fields;
    for (const QString &field : editable(table)) {
        if (a.contains(field) && b.contains(field) && !same(a.value(field), b.value(field)))
            fields << field;
    }
    return fields;
}

QString DealFields::lookup(const char *table, const QVariant &id, const char *nameField) const
{
    if (id.isNull())
        return QString();
    const QVariant name = getValueById(m_document, QString::fromLatin1(table), id.toLongLong(),
                                       QString::fromLatin1(nameField));
    return name.isValid() ? name.toString() : id.toString();
}

QString DealFields::text(const QString &table, const QString &field, const QSqlRecord &record) const
{
    const QVariant value = record.value(field);
    // Contractors are named in the record itself: the deal carries their names.
    if (field == QLatin1String("id_contractor"))
        return value.isNull() ? QString() : record.value(QStringLiteral("c_contractor")).toString();
    if (field == QLatin1String("id_provider"))
        return value.isNull() ? QString() : record.value(QStringLiteral("c_provider")).toString();
    if (field == QLatin1String("id_transport_company"))
        return value.isNull() ? QString() : record.value(QStringLiteral("c_transport_company_name")).toString();
    if (field == QLatin1String("id_state"))
        return lookup("t_deal_state", value);
    if (field == QLatin1String("id_division"))
        return lookup("t_division", value);
    if (field == QLatin1String("id_request_doc"))
        return lookup("t_deal_request_doc", value);
    if (field == QLatin1String("id_payer_for_delivery"))
        return lookup("t_payer_for_delivery", value);
    if (field == QLatin1String("id_currency"))
        return lookup("t_currency", value);
    if (field == QLatin1String("id_meas_unit"))
        return lookup("t_meas_unit", value);
    if (field == QLatin1String("id_vat"))
        return lookup("t_vat", value, "n_vat");
    if (field == QLatin1String("c_description") && isDetails(table))
        return QTextDocumentFragment::fromHtml(value.toString()).toPlainText().trimmed();

    if (value.isNull())
        return QString();
    switch (value.type()) {
    case QVariant::Bool:
        return value.toBool() ? QStringLiteral("да") : QStringLiteral("нет");
    case QVariant::Date:
        return QLocale().toString(value.toDate(), QLocale::ShortFormat);
    case QVariant::Double:
        return QLocale().toString(value.toDouble(), 'f', field == QLatin1String("n_qty") ? 3 : 2);
    default:
        return value.toString();
    }
}
