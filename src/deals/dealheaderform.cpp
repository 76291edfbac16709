#include "dealheaderform.h"

#include "qdataset.h"
#include "qdatatable.h"
#include "ui_qdealeditor.h"

#include <QSignalBlocker>

namespace {

QString field(const char *name)
{
    return QString::fromLatin1(name);
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QVariant::String) : QVariant(text);
}

void selectByData(QComboBox *combo, const QVariant &value)
{
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(value.isNull() ? -1 : combo->findData(value));
}

void writeChoice(QSqlRecord *record, const char *name, const QComboBox *combo)
{
    // A value the list does not hold (a division since closed, say) shows as
    // no choice; it stays as stored until the person chooses another.
    if (combo->currentIndex() >= 0)
        record->setValue(field(name), combo->currentData());
}

void showText(QLineEdit *edit, const QVariant &value)
{
    const QSignalBlocker blocker(edit);
    edit->setText(value.toString());
    // A long address shows from its beginning.
    edit->setCursorPosition(0);
}

} // namespace

DealHeaderForm::DealHeaderForm(Ui::QDealEditor *form, QDataSet *document)
    : m_form(form)
    , m_document(document)
{
}

void DealHeaderForm::show(const QSqlRecord &record) const
{
    const long long id = record.value(field("id")).toLongLong();
    const QVariant division = record.value(field("id_division"));
    if (id < 1 && division.isNull()) {
        // A new deal is sold by the default division.
        QDataTable *divisions = m_document ? m_document->getTable(QStringLiteral("t_division")) : nullptr;
        const int row = divisions ? divisions->locate(field("b_default"), true) : -1;
        selectByData(m_form->cbDivision, row < 0 ? QVariant() : divisions->getRecord(row).value(field("id")));
    } else {
        selectByData(m_form->cbDivision, division);
    }
    selectByData(m_form->cbRequestDoc, record.value(field("id_request_doc")));
    selectByData(m_form->cbState, record.value(field("id_state")));
    selectByData(m_form->cbPayerForDelivery, record.value(field("id_payer_for_delivery")));
    const QVariant currency = record.value(field("id_currency"));
    if (currency.isNull()) {
        const QSignalBlocker blocker(m_form->cbCurrency);
        m_form->cbCurrency->setCurrentIndex(m_form->cbCurrency->count() > 0 ? 0 : -1);
    } else {
        selectByData(m_form->cbCurrency, currency);
    }
    {
        // Plain text both ways: a basis that happens to look like markup stays as typed.
        const QSignalBlocker base(m_form->teBase);
        m_form->teBase->setPlainText(record.value(field("c_base")).toString());
        const QSignalBlocker comment(m_form->teComment);
        m_form->teComment->setPlainText(record.value(field("c_comment")).toString());
    }
    showText(m_form->lineEditAddress, record.value(field("c_address")));
    showText(m_form->lineEditINN, record.value(field("c_inn")));
    showText(m_form->lineEditContactPerson, record.value(field("c_contact_person")));
    showText(m_form->lineEditPhone, record.value(field("c_phone")));
    showText(m_form->leTransportCompany, record.value(field("c_transport_company")));
    showText(m_form->leSendingNumber, record.value(field("c_sending_number")));
}

void DealHeaderForm::write(QSqlRecord *record) const
{
    if (!record)
        return;
    writeChoice(record, "id_division", m_form->cbDivision);
    writeChoice(record, "id_request_doc", m_form->cbRequestDoc);
    writeChoice(record, "id_state", m_form->cbState);
    writeChoice(record, "id_payer_for_delivery", m_form->cbPayerForDelivery);
    writeChoice(record, "id_currency", m_form->cbCurrency);
    record->setValue(field("c_base"), m_form->teBase->toPlainText());
    record->setValue(field("c_comment"), m_form->teComment->toPlainText());
    record->setValue(field("c_address"), textOrNull(m_form->lineEditAddress->text()));
    record->setValue(field("c_inn"), textOrNull(m_form->lineEditINN->text()));
    record->setValue(field("c_contact_person"), textOrNull(m_form->lineEditContactPerson->text()));
    record->setValue(field("c_phone"), textOrNull(m_form->lineEditPhone->text()));
    record->setValue(field("c_transport_company"), textOrNull(m_form->leTransportCompany->text()));
    record->setValue(field("c_sending_number"), textOrNull(m_form->leSendingNumber->text()));
}
