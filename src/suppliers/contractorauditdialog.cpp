#include "contractorauditdialog.h"

#include "widgetutils.h"

#include <QDateTime>

ContractorAuditDialog::ContractorAuditDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    dateEdit->setDate(QDate::currentDate());
    m_initialState = shownState();
    connect(pushButtonReject, &QPushButton::clicked, this, [this] { QDialog::reject(); });
}

void ContractorAuditDialog::setContractor(QString name)
{
    labelContractor->setText(name);
}

void ContractorAuditDialog::setRecord(QSqlRecord record)
{
    const QDate date = record.value(QStringLiteral("d_date")).toDate();
    dateEdit->setDate(date.isValid() ? date : QDate::currentDate());
    checkBoxComplete->setChecked(record.value(QStringLiteral("b_complete")).toBool());
    plainTextEditComment->setPlainText(record.value(QStringLiteral("c_comment")).toString());
    m_initialState = shownState();
}

void ContractorAuditDialog::getRecord(QSqlRecord &record)
{
    record.setValue(QStringLiteral("d_date"), QDateTime(dateEdit->date(), QTime(0, 0)));
    record.setValue(QStringLiteral("b_complete"), checkBoxComplete->isChecked());
    record.setValue(QStringLiteral("c_comment"), plainTextEditComment->toPlainText());
}

QString ContractorAuditDialog::shownState() const
{
    return dateEdit->date().toString(Qt::ISODate) + QLatin1Char(checkBoxComplete->isChecked() ? '1' : '0')
            + plainTextEditComment->toPlainText();
}

void ContractorAuditDialog::reject()
{
    if (shownState() != m_initialState) {
        if (!confirmDiscard(this, QStringLiteral("Внимание!"),
                            QStringLiteral("Изменения аудита не сохранены. Отменить их?")))
            return;
    }
    QDialog::reject();
}
