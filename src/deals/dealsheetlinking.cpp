#include "dealsheetlinking.h"

#include "dialogbounds.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "sheetnotlinkdialog.h"

#include <QMessageBox>
#include <QStringList>

DealSheetLinking::DealSheetLinking(QDataSet *document, QWidget *parent)
    : m_document(document)
    , m_parent(parent)
{
}

QString DealSheetLinking::itemList() const
{
    const QDataTable *positions = m_document ? m_document->getTable(QStringLiteral("t_deal_details")) : nullptr;
    if (!positions)
        return QString();
    QStringList ids;
    for (int row = 0; row < positions->rowCount(); ++row) {
        if (positions->getRowState(row) == rsDeleted)
            continue;
        const QVariant item = positions->getRecord(row).value(QStringLiteral("id_item"));
        if (!item.isNull())
            ids.append(item.toString());
    }
    return ids.join(QStringLiteral(", "));
}

QVector<long long> DealSheetLinking::linkedIds() const
{
    QVector<long long> ids;
    const QDataTable *links = m_document ? m_document->getTable(QStringLiteral("t_deal_link")) : nullptr;
    if (!links)
        return ids;
    for (int row = 0; row < links->rowCount(); ++row) {
        if (links->getRowState(row) != rsDeleted)
            ids.append(links->getRecord(row).value(QStringLiteral("id")).toLongLong());
    }
    return ids;
}

bool DealSheetLinking::linkSheet(long long dealId)
{
    if (!m_document || !m_document->getTable(QStringLiteral("t_deal_link"))
        || !m_document->getTable(QStringLiteral("t_deal_details")))
        return false;
    const QString items = itemList();
    if (items.isEmpty()) {
        QMessageBox::warning(m_parent, QStringLiteral("Внимание!"), QStringLiteral("Сделка не содержит изделий"));
        return false;
    }

    SheetNotLinkDialog dialog(items, m_parent);
    const QRect geometry = bounds();
    if (!geometry.isNull())
        dialog.setGeometry(geometry);
    dialog.setIdAdd(linkedIds());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return addLink(dialog.getShippingSheetRecord(), dealId);
}

bool DealSheetLinking::addLink(const QSqlRecord &sheet, long long dealId)
{
    QDataTable *links = m_document ? m_document->getTable(QStringLiteral("t_deal_link")) : nullptr;
    if (!links || sheet.isEmpty())
        return false;
    // A sheet taken twice would fail the whole save of the deal.
    const long long sheetId = sheet.value(QStringLiteral("id")).toLongLong();
    if (linkedIds().contains(sheetId))
        return false;

    QSqlRecord link = links->newRow(true);
    link.setValue(QStringLiteral("id_deal"), dealId);
    // The packing list comes along, so that it can be opened before the deal is saved.
    for (const char *field : {"id", "c_name", "c_receiver", "d_date", "b_is_revert", "c_product", "c_form"})
        link.setValue(QLatin1String(field), sheet.value(QLatin1String(field)));
    links->setRow(links->lastRow(), link);
    return true;
}
