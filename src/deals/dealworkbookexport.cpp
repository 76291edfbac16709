#include "dealworkbookexport.h"

#include "dealinvoiceline.h"
#include "dealinvoicesheet.h"
#include "dealrecipientsheet.h"
#include "dealrequisites.h"
#include "fileexport.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "workplacelogging.h"
#include "xlsxdocument.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const char *const requiredTables[] = {"t_deal_details", "t_deal_details_okr", "t_division_requisite",
                                      "t_contractor_requisite"};

} // namespace

DealWorkbookExport::DealWorkbookExport(QDataSet *document, QWidget *parent)
    : m_document(document)
    , m_parent(parent)
{
}

QString DealWorkbookExport::xlsxFileName(const QString &chosen)
{
    if (QFileInfo(chosen).suffix().toLower() == QLatin1String("xlsx"))
        return chosen;
    return chosen + QStringLiteral(".xlsx");
}

bool DealWorkbookExport::hasTables() const
{
    if (!m_document)
        return false;
    for (const char *name : requiredTables) {
        if (!m_document->getTable(QLatin1String(name)))
            return false;
    }
    return true;
}

bool DealWorkbookExport::exportInvoice(const DealExportFields &fields)
{
    if (!hasTables())
        return false;
    // The requisites as they are now, before the person picks a file.
    DealRequisites::load(m_document->getTable(QStringLiteral("t_division_requisite")), QStringLiteral("id_division"),
                         fields.deal.value(QStringLiteral("id_division")));
    DealRequisites::load(m_document->getTable(QStringLiteral("t_contractor_requisite")),
                         QStringLiteral("id_contractor"), fields.deal.value(QStringLiteral("id_contractor")));
    const QString chosen = askFileName();
    if (chosen.isEmpty())
        return false;
    const QString fileName = xlsxFileName(chosen);
    if (!saveInvoice(fields, fileName))
        return false;
    open(fileName);
    return true;
}

bool DealWorkbookExport::saveInvoice(const DealExportFields &fields, const QString &fileName)
{
    if (!hasTables())
        return false;
    const DealRequisites seller(m_document->getTable(QStringLiteral("t_division_requisite")));
    const DealRequisites buyer(m_document->getTable(QStringLiteral("t_contractor_requisite")));
    const DealInvoiceSheet invoice(fields, seller, buyer,
                                   DealInvoiceLine::fromTable(m_document->getTable(QStringLiteral("t_deal_details"))));
    QXlsx::Document workbook;
    invoice.write(&workbook);
    return save(&workbook, xlsxFileName(fileName));
}

bool DealWorkbookExport::exportRecipientSheet(const DealExportFields &fields)
{
    if (!hasTables())
        return false;
    const QString chosen = askFileName();
    if (chosen.isEmpty())
        return false;
    const QString fileName = xlsxFileName(chosen);
    if (!saveRecipientSheet(fields, fileName))
        return false;
    open(fileName);
    return true;
}

bool DealWorkbookExport::saveRecipientSheet(const DealExportFields &fields, const QString &fileName)
{
    if (!hasTables())
        return false;
    QXlsx::Document workbook;
    DealRecipientSheet(fields).write(&workbook);
    return save(&workbook, xlsxFileName(fileName));
}

QString DealWorkbookExport::askFileName() const
{
    return QFileDialog::getSaveFileName(m_parent, QStringLiteral("Сохранить счет"), QString(),
                                        QStringLiteral("Файл EXCEL (*.xlsx)"));
}

bool DealWorkbookExport::save(QXlsx::Document *workbook, const QString &fileName) const
{
    if (workbook->saveAs(fileName))
        return true;
    qCWarning(lcDeals) << "Workbook not saved to" << fileName << workbook->errorString();
    QMessageBox::warning(m_parent, QStringLiteral("Ошибка"),
                         QStringLiteral("Не удалось сохранить файл\n%1\n\n%2")
                             .arg(QDir::toNativeSeparators(fileName), workbook->errorString()));
    return false;
}

void DealWorkbookExport::open(const QString &fileName) const
{
    FileExport::openWithProgram(QFileInfo(fileName).absoluteFilePath(), m_parent);
}
