#include "persondialog.h"

#include "suppliersupport.h"

PersonDialog::PersonDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    connect(buttonAccept, &QPushButton::clicked, this, &PersonDialog::accept);
    buttonAccept->setEnabled(false);
}

void PersonDialog::on_edName_textChanged(const QString &text)
{
    buttonAccept->setEnabled(!text.isEmpty());
}

void PersonDialog::accept()
{
    if (edName->text().trimmed().isEmpty()) {
        SupplierSupport::warn(this, QStringLiteral("Не задано контактное лицо"));
        return;
    }
    QDialog::accept();
}
