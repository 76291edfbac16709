#include "sheetnotlinkdialog.h"

#include "appcontext.h"
#include "packinglistpreview.h"
#include "qdatatable.h"
#include "workplacelogging.h"

#include <QDate>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMessageBox>
#include <QStandardItemModel>

namespace {

enum Column { ColumnDate = 3, ColumnRevert = 4, ColumnBlock = 5 };

const QString blockField = QStringLiteral("b_block_deal_link");

} // namespace

SheetNotLinkDialog::SheetNotLinkDialog(QString productIds, QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);

    // Its own table: the document's t_deal_link holds the deal's links, this one the candidates.
    m_table = new QDataTable(QStringLiteral("t_deal_link"), AppContext::connection(), this);
    m_table->setScripts(QStringLiteral("DEAL_NOT_LINK_SELECT"), QStringLiteral("DEAL_LINK_UPDATE"), QString(),
                        QString());
    m_table->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Накладная \n на отгрузку"),
                       0, 100);
    m_table->addColumn(QStringLiteral("c_receiver"), QVariant::String, true, QStringLiteral("Получатель"), 0, 200);
    m_table->addColumn(QStringLiteral("c_product"), QVariant::String, true, QStringLiteral("Изделия"), 0, 300,
                       QVariant(), 64);
    m_table->addColumn(QStringLiteral("d_date"), QVariant::Date, true, QStringLiteral("Дата \n отгрузки"), 0, 100);
    m_table->addColumn(QStringLiteral("b_is_revert"), QVariant::Bool, true, QStringLiteral("Отменен"), 0, 80);
    m_table->addColumn(blockField, QVariant::Bool, true, QStringLiteral("Привязка"), 0, 80);
    m_table->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), 0, 100);
    m_table->addColumn(QStringLiteral("c_form"), QVariant::String, false, QString(), 0, 100);
    m_table->addColumn(QStringLiteral("b_add"), QVariant::Bool, false, QString(), 0, 100, false);
    // The sheet as it was read: blocking a sheet that changed meanwhile writes nothing.
    m_table->addColumn(QStringLiteral("n_row_version"), QVariant::Int, false, QString(), 0, 100);
    m_table->setView(tvContent);
    connect(m_table, &QDataTable::getDispInfo, this, &SheetNotLinkDialog::onGetDispInfo);
    connect(tvContent->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &SheetNotLinkDialog::updateButtons);
    connect(tvContent, &QAbstractItemView::doubleClicked, this, [this] {
        if (buttonAccept->isEnabled())
            accept();
    });

    m_table->setSelectParam(QStringLiteral("str_id_product"), productIds);
    load();

    cbBlockLink->addItem(QStringLiteral("Привязка"));
    cbBlockLink->addItem(QStringLiteral("Все"));
    connect(cbBlockLink, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SheetNotLinkDialog::filter);
    filter();
}

void SheetNotLinkDialog::load()
{
    m_table->close();
    m_table->open(false, false);
    if (m_table->rowCount() > 0)
        tvContent->setCurrentIndex(m_table->getModel()->index(0, 0));
}

void SheetNotLinkDialog::setIdAdd(QVector<long long> ids)
{
    m_added = ids;
    for (long long id : qAsConst(ids)) {
        const int row = m_table->locate(QStringLiteral("id"), id);
        if (row < 0)
            continue;
        QSqlRecord sheet = m_table->getRecord(row);
        sheet.setValue(QStringLiteral("b_add"), true);
        // A mark for the eye: the row stays as it was read, nothing to save.
        m_table->setRow(row, sheet, true);
    }
}

QSqlRecord SheetNotLinkDialog::getShippingSheetRecord() const
{
    if (!m_table)
        return QSqlRecord();
    return m_table->getRecord(currentRow());
}

int SheetNotLinkDialog::currentRow() const
{
    return tvContent->currentIndex().row();
}

bool SheetNotLinkDialog::isHidden(int row) const
{
    return tvContent->isRowHidden(row);
}

void SheetNotLinkDialog::filter()
{
    const bool openOnly = cbBlockLink->currentIndex() == 0;
    for (int row = 0; row < m_table->rowCount(); ++row)
        tvContent->setRowHidden(row, openOnly && m_table->getRecord(row).value(blockField).toBool());
    updateButtons();
}

void SheetNotLinkDialog::updateButtons()
{
    const int row = currentRow();
    const bool shown = row >= 0 && row < m_table->rowCount() && !isHidden(row);
    buttonAccept->setEnabled(shown);
    buttonBlockLink->setEnabled(shown);
    buttonShippingReport->setEnabled(shown && !m_table->getRecord(row).value(QStringLiteral("c_form")).isNull());
}

void SheetNotLinkDialog::on_buttonBlockLink_clicked()
{
    const int row = currentRow();
    QSqlRecord sheet = m_table->getRecord(row);
    if (sheet.isEmpty())
        return;
    const bool blocked = !sheet.value(blockField).toBool();
    sheet.setValue(blockField, blocked);
    m_table->setRow(row, sheet);
    if (!m_table->commit(false)) {
        // Somebody changed or removed the sheet meanwhile: show the sheets as they are now.
        qCWarning(lcDeals) << "Linking of shipping sheet" << sheet.value(QStringLiteral("id")) << "not changed";
        m_table->rollback();
        QMessageBox::warning(this, QStringLiteral("Внимание"),
                             QStringLiteral("Привязку отгрузки «%1» изменить не удалось: накладную изменили или "
                                            "удалили. Список обновлён.")
                                 .arg(sheet.value(QStringLiteral("c_name")).toString()));
        load();
        setIdAdd(m_added);
        filter();
        return;
    }
    if (blocked && cbBlockLink->currentIndex() == 0)
        tvContent->setRowHidden(row, true);
    updateButtons();
}

void SheetNotLinkDialog::on_buttonShippingReport_clicked()
{
    PackingListPreview::exec(getShippingSheetRecord().value(QStringLiteral("c_form")).toString());
}

void SheetNotLinkDialog::onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *record)
{
    if (!cData || !record)
        return;
    if (record->value(QStringLiteral("b_add")).toBool())
        cData->background = QBrush(Qt::green);
    if (!data)
        return;
    switch (colNum) {
    case ColumnDate:
        cData->text = QLocale().toString(data->toDate(), QLocale::ShortFormat);
        break;
    case ColumnRevert:
        cData->text = data->toBool() ? QStringLiteral("Да") : QString();
        break;
    case ColumnBlock:
        // The column answers whether the sheet may be linked.
        cData->text = data->toBool() ? QStringLiteral("Нет") : QStringLiteral("Да");
        break;
    default:
        break;
    }
}
