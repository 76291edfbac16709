#include "criterioneditdialog.h"

#include "suppliersupport.h"

CriterionEditDialog::CriterionEditDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
}

void CriterionEditDialog::accept()
{
    if (leName->text().trimmed().isEmpty()) {
        SupplierSupport::warn(this, QStringLiteral("Не задано название критерия"));
        return;
    }
    QDialog::accept();
}
