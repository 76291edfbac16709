#include "dealrecipientsheet.h"

#include "xlsxdocument.h"

DealRecipientSheet::DealRecipientSheet(const DealExportFields &fields)
    : m_fields(fields)
{
}

void DealRecipientSheet::write(QXlsx::Document *document) const
{
    const struct
    {
        int row;
        QString label;
        QString value;
    } lines[] = {
        {2, QStringLiteral("Сделка: "), m_fields.deal.value(QStringLiteral("c_doc")).toString()},
        {4, QStringLiteral("Получатель: "), m_fields.buyer},
        {5, QStringLiteral("ИНН: "), m_fields.inn},
        {6, QStringLiteral("Адрес доставки: "), m_fields.address},
        {7, QStringLiteral("Контактное лицо: "), m_fields.contactPerson},
        {8, QStringLiteral("Телефон: "), m_fields.phone},
        {9, QStringLiteral("Транспортная компания: "), m_fields.transportCompany},
        {10, QStringLiteral("Плательщик за доставку: "), m_fields.payerForDelivery},
    };
    for (const auto &line : lines)
        document->write(line.row, 1, line.label + line.value);
}
