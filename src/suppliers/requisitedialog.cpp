#include "requisitedialog.h"

#include "appcontext.h"
#include "datatabletypes.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "requisiteeditdialog.h"
#include "suppliersupport.h"
#include "widgetutils.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>

RequisiteDialog::RequisiteDialog(QWidget *parent)
    : QDialog(parent)
    , m_batch(new QDataSet(this))
    , m_requisites(new QDataTable(QStringLiteral("t_requisites"), AppContext::connection(), m_batch))
{
    setupUi(this);
    tvContent->horizontalHeader()->setStretchLastSection(true);
    buttonNew->setIcon(QIcon(QStringLiteral(":/commonIcon/NEW")));
    buttonEdit->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT")));
    buttonDel->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));

    m_requisites->setScripts(QStringLiteral("REQUISITES_SELECT"), QStringLiteral("REQUISITE_UPDATE"),
                             QStringLiteral("REQUISITE_INSERT"), QStringLiteral("REQUISITE_DELETE"));
    m_requisites->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Реквизит"), 0, 200);
    m_requisites->addColumn(QStringLiteral("c_description"), QVariant::String, true, QStringLiteral("Описание"), 0, 400);
    m_requisites->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    m_requisites->addColumn(QStringLiteral("c_sys_name"), QVariant::String, false);
    m_requisites->addColumn(QStringLiteral("b_not_delete"), QVariant::Bool, false);
    m_requisites->addColumn(QStringLiteral("n_row_version"), QVariant::Int, false);
    // Saved in one transaction: a refused kind leaves the whole batch unsaved and pending.
    m_batch->addTable(m_requisites);
    m_requisites->setView(tvContent);
    connect(m_requisites, &QDataTable::getDispInfo, this, &RequisiteDialog::onGetDispInfo);
    m_requisites->open();
    // Kind names such as "Фактический адрес организации" are longer than the
    // column is wide, and descriptions are sentences: fit the one, wrap the other.
    tvContent->resizeColumnToContents(0);
    tvContent->setWordWrap(true);
    tvContent->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(tvContent->selectionModel(), &QItemSelectionModel::currentChanged, this, &RequisiteDialog::updateButtons);
    connect(buttonAccept, &QPushButton::clicked, this, &RequisiteDialog::accept);
    // The button says what it does; only Escape and closing the window ask first.
    connect(buttonReject, &QPushButton::clicked, this, [this] { QDialog::reject(); });
    updateButtons();
}

QSqlRecord RequisiteDialog::currentRecord() const
{
    return m_requisites->getViewCurrentRecord();
}

void RequisiteDialog::updateButtons()
{
    const int row = tvContent->currentIndex().row();
    const QSqlRecord record = currentRecord();
    const bool usable = !record.isEmpty() && m_requisites->getRowState(row) != rsDeleted;
    buttonEdit->setEnabled(usable);
    // Kinds the programs rely on are kept by the database anyway; say so up front.
    const bool kept = record.value(QStringLiteral("b_not_delete")).toBool();
    buttonDel->setEnabled(usable && !kept);
    buttonDel->setToolTip(kept ? QStringLiteral("Этот реквизит нужен программе и не удаляется") : QString());
}

void RequisiteDialog::onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state)
{
    Q_UNUSED(column)
    Q_UNUSED(value)
    Q_UNUSED(record)
    SupplierSupport::markDeleted(cell, tvContent, state);
}

void RequisiteDialog::offerTaken(RequisiteEditDialog *dialog, int exceptRow) const
{
    QStringList names;
    QStringList sysNames;
    for (int row = 0; row < m_requisites->rowCount(); ++row) {
        const QSqlRecord kind = m_requisites->getRecord(row, true);
        if (row == exceptRow || kind.isEmpty())
            continue;
        names.append(kind.value(QStringLiteral("c_name")).toString());
        sysNames.append(kind.value(QStringLiteral("c_sys_name")).toString());
    }
    dialog->setTaken(names, sysNames);
}

void RequisiteDialog::on_buttonNew_clicked()
{
    RequisiteEditDialog dialog(this);
    offerTaken(&dialog, -1);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QSqlRecord record = m_requisites->newRow(true);
    dialog.getData(record);
    record.setValue(QStringLiteral("b_not_delete"), false);
    m_requisites->setRow(m_requisites->lastRow(), record);
    SupplierSupport::makeCurrent(m_requisites, m_requisites->lastRow());
}

void RequisiteDialog::on_buttonEdit_clicked()
{
    const int row = tvContent->currentIndex().row();
    QSqlRecord record = currentRecord();
    if (record.isEmpty())
        return;
    RequisiteEditDialog dialog(this);
    dialog.setData(record);
    offerTaken(&dialog, row);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.getData(record);
    m_requisites->setRow(row, record);
}

void RequisiteDialog::on_buttonDel_clicked()
{
    const int row = tvContent->currentIndex().row();
    const QSqlRecord record = currentRecord();
    if (record.isEmpty())
        return;
    if (!SupplierSupport::confirmDeletion(this, QStringLiteral("Вы действительно хотите удалить реквизит"),
                                          record.value(QStringLiteral("c_name")).toString(), true))
        return;
    SupplierSupport::removeRow(m_requisites, row);
    updateButtons();
}

void RequisiteDialog::accept()
{
    if (m_requisites->hasPendingRows() && !m_batch->commit(AppContext::connection())) {
        QMessageBox::warning(this, QStringLiteral("Ошибка"),
                             QStringLiteral("База данных не приняла изменения справочника.\n%1\n"
                                            "Они не сохранены и остались в списке.")
                                     .arg(SupplierSupport::reason(m_batch->lastError())));
        return;
    }
    QDialog::accept();
}

void RequisiteDialog::reject()
{
    if (m_requisites->hasPendingRows()) {
        if (!confirmDiscard(this, QStringLiteral("Реквизиты"),
                            QStringLiteral("Отменить изменения справочника реквизитов?")))
            return;
    }
    QDialog::reject();
}
