#include "contactdialog.h"

#include "appcontext.h"
#include "contacttypedialog.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "suppliersupport.h"

ContactDialog::ContactDialog(QWidget *parent)
    : QDialog(parent)
    , m_types(new QDataTable(QStringLiteral("t_contact_type"), AppContext::connection(), this))
{
    setupUi(this);
    m_types->setScripts(QStringLiteral("CONTACT_TYPE_SELECT"), QString(), QString(), QString());
    m_types->open();
    fillComboBox(cbType, m_types, QStringLiteral("c_name"), QStringLiteral("id"));
    cbType->setCurrentIndex(-1);
    connect(leData, &QLineEdit::textChanged, this, &ContactDialog::onCheckControls);
    connect(cbType, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &ContactDialog::onCheckControls);
    connect(buttonAccept, &QPushButton::clicked, this, &ContactDialog::accept);
    onCheckControls();
}

void ContactDialog::setData(const QVariant &typeId, const QString &contact)
{
    cbType->setCurrentIndex(typeId.isNull() ? -1 : cbType->findData(typeId));
    leData->setText(contact);
}

void ContactDialog::onCheckControls()
{
    buttonAccept->setEnabled(!leData->text().isEmpty() && !cbType->currentData().isNull());
}

void ContactDialog::accept()
{
    if (cbType->currentData().isNull()) {
        SupplierSupport::warn(this, QStringLiteral("Не задан тип контакта"));
        return;
    }
    if (leData->text().trimmed().isEmpty()) {
        SupplierSupport::warn(this, QStringLiteral("Не задана контактная информация"));
        return;
    }
    QDialog::accept();
}

void ContactDialog::on_buttonType_clicked()
{
    const QVariant selected = cbType->currentData();
    ContactTypeDialog dictionary(this);
    dictionary.exec();
    m_typesEdited = true;
    fillComboBox(cbType, m_types, QStringLiteral("c_name"), QStringLiteral("id"));
    cbType->setCurrentIndex(selected.isNull() ? -1 : cbType->findData(selected));
}
