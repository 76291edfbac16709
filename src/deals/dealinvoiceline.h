#ifndef DEALINVOICELINE_H
#define DEALINVOICELINE_H

#include "dealsglobal.h"

#include <QString>
#include <QVariant>
#include <QVector>

class QDataTable;
class QSqlRecord;

// One position of a deal as the invoice prints it. Sale prices are stored per
// line; a line stored without VAT (b_add_nds false) is invoiced with 20 % added.
struct DEALS_EXPORT DealInvoiceLine
{
    QString name;
    QVariant quantity; // n_qty as stored
    double sum = 0;

    // The price of one unit; null when the quantity is missing or zero.
    QVariant price() const;

    static DealInvoiceLine fromPosition(const QSqlRecord &position);
    // The positions in table order, without those deleted in the editor and not yet saved.
    static QVector<DealInvoiceLine> fromTable(const QDataTable *positions);
};

#endif // DEALINVOICELINE_H
