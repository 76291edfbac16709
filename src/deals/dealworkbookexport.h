#ifndef DEALWORKBOOKEXPORT_H
#define DEALWORKBOOKEXPORT_H

#include "dealexportfields.h"
#include "dealsglobal.h"

#include <QString>

class QDataSet;
class QWidget;

namespace QXlsx {
class Document;
}

// The deal editor's two spreadsheet exports: the payment invoice and the
// recipient sheet. Each asks for a file, writes the workbook whole (a file
// that cannot be written is reported and nothing is left behind) and opens it
// with the desktop's program for .xlsx files (QDesktopServices, so a test can
// take the "file" scheme over with setUrlHandler).
//
// Both need the document's tables t_deal_details, t_deal_details_okr,
// t_division_requisite and t_contractor_requisite; without one of them, or
// when the file dialog is cancelled, nothing happens.
class DEALS_EXPORT DealWorkbookExport
{
public:
    // Dialogs and messages appear over `parent`.
    DealWorkbookExport(QDataSet *document, QWidget *parent);

    // Reloads the seller's and the buyer's requisites, asks for the file name,
    // writes the invoice and opens it. False when nothing was written.
    bool exportInvoice(const DealExportFields &fields);
    bool exportRecipientSheet(const DealExportFields &fields);

    // The same without the file dialog and without opening the result.
    bool saveInvoice(const DealExportFields &fields, const QString &fileName);
    bool saveRecipientSheet(const DealExportFields &fields, const QString &fileName);

    // The chosen name with ".xlsx" appended unless it already ends so (in any case).
    static QString xlsxFileName(const QString &chosen);

private:
    bool hasTables() const;
    QString askFileName() const;
    bool save(QXlsx::Document *workbook, const QString &fileName) const;
    void open(const QString &fileName) const;

    QDataSet *m_document;
    QWidget *m_parent;
};

#endif // DEALWORKBOOKEXPORT_H
