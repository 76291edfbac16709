#include "requisiteadddialog.h"

#include "qdatatable.h"
#include "requisitecheck.h"
#include "suppliersupport.h"

namespace {

constexpr int SysNameRole = Qt::UserRole + 1;

} // namespace

RequisiteAddDialog::RequisiteAddDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
}

void RequisiteAddDialog::setKinds(QDataTable *kinds, qint64 only)
{
    cbRequisite->clear();
    if (!kinds)
        return;
    kinds->open();
    for (int row = 0; row < kinds->rowCount(); ++row) {
        const QSqlRecord kind = kinds->getRecord(row, true);
        if (kind.isEmpty())
            continue;
        const qint64 id = kind.value(QStringLiteral("id")).toLongLong();
        if (only >= 0 && id != only)
            continue;
        cbRequisite->addItem(kind.value(QStringLiteral("c_name")).toString(), id);
        cbRequisite->setItemData(cbRequisite->count() - 1, kind.value(QStringLiteral("c_sys_name")), SysNameRole);
    }
    cbRequisite->setCurrentIndex(only >= 0 ? 0 : -1);
}

void RequisiteAddDialog::accept()
{
    const QString text = value();
    // Without a kind there is nothing to add; a value typed all the same would
    // vanish with the dialog, so the person is asked for the kind instead.
    if (cbRequisite->currentIndex() < 0) {
        if (!text.isEmpty()) {
            SupplierSupport::warn(this, QStringLiteral("Не задан реквизит"));
            cbRequisite->setFocus();
            return;
        }
        QDialog::accept();
        return;
    }
    if (text.isEmpty()) {
        if (m_valueRequired) {
            SupplierSupport::warn(this, QStringLiteral("Не задано значение реквизита"));
            return;
        }
        QDialog::accept();
        return;
    }
    const QString problem = RequisiteCheck::error(cbRequisite->currentData(SysNameRole).toString(), text);
    if (!problem.isEmpty()) {
        SupplierSupport::warn(this, problem);
        leValue->setFocus();
        return;
    }
    if (m_taken.contains(cbRequisite->currentData().toLongLong())) {
        SupplierSupport::warn(this, QStringLiteral("Реквизит \"%1\" у контрагента уже задан")
                                            .arg(cbRequisite->currentText()));
        return;
    }
    QDialog::accept();
}
