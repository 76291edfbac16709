#include "dealinvoiceline.h"

#include "qdatatable.h"

#include <QSqlRecord>

QVariant DealInvoiceLine::price() const
{
    const double count = quantity.toDouble();
    if (quantity.isNull() || qFuzzyIsNull(count))
        return QVariant();
    return sum / count;
}

DealInvoiceLine DealInvoiceLine::fromPosition(const QSqlRecord &position)
{
    DealInvoiceLine line;
    line.name = position.value(QStringLiteral("c_name")).toString();
    line.quantity = position.value(QStringLiteral("n_qty"));
    const double salePrice = position.value(QStringLiteral("n_sale_price")).toDouble();
    line.sum = position.value(QStringLiteral("b_add_nds")).toBool() ? salePrice : salePrice * 1.2;
    return line;
}

QVector<DealInvoiceLine> DealInvoiceLine::fromTable(const QDataTable *positions)
{
    QVector<DealInvoiceLine> lines;
    if (!positions)
        return lines;
    for (int row = 0; row < positions->rowCount(); ++row) {
        if (positions->getRowState(row) == rsDeleted)
            continue;
        lines.append(fromPosition(positions->getRecord(row)));
    }
    return lines;
}
