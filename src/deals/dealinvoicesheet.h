#ifndef DEALINVOICESHEET_H
#define DEALINVOICESHEET_H

#include "dealexportfields.h"
#include "dealinvoiceline.h"
#include "dealrequisites.h"
#include "dealsglobal.h"

#include <QDate>
#include <QVector>

namespace QXlsx {
class Document;
}

// The payment invoice of a deal laid out as a bank invoice form: the seller's
// bank details in a grid, the title, the parties and the basis, the table of
// positions, the totals with VAT, the summary and the signature lines.
class DEALS_EXPORT DealInvoiceSheet
{
public:
    DealInvoiceSheet(const DealExportFields &fields, const DealRequisites &seller, const DealRequisites &buyer,
                     const QVector<DealInvoiceLine> &lines, const QDate &date = QDate::currentDate());

    void write(QXlsx::Document *document) const;

    // The sum of all lines, VAT included.
    double total() const;
    // The first sheet row after the positions.
    int rowAfterLines() const { return firstLineRow + m_lines.size(); }

    static constexpr int headerRow = 22;
    static constexpr int firstLineRow = headerRow + 1;

private:
    void writeBankBlock(QXlsx::Document *document) const;
    void writeTitle(QXlsx::Document *document) const;
    void writeParties(QXlsx::Document *document) const;
    void writeTable(QXlsx::Document *document) const;
    void writeTotals(QXlsx::Document *document) const;

    DealExportFields m_fields;
    DealRequisites m_seller;
    DealRequisites m_buyer;
    QVector<DealInvoiceLine> m_lines;
    QDate m_date;
};

#endif // DEALINVOICESHEET_H
