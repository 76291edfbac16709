#include "requisiteeditdialog.h"

#include <QMessageBox>

RequisiteEditDialog::RequisiteEditDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
}

void RequisiteEditDialog::setData(QSqlRecord record)
{
    setWindowTitle(record.value(QStringLiteral("c_name")).toString());
    leName->setText(record.value(QStringLiteral("c_name")).toString());
    teDescription->setPlainText(record.value(QStringLiteral("c_description")).toString());
    leSysName->setText(record.value(QStringLiteral("c_sys_name")).toString());
    leSysName->setEnabled(false);
}

void RequisiteEditDialog::getData(QSqlRecord &record)
{
    record.setValue(QStringLiteral("c_name"), leName->text().trimmed());
    record.setValue(QStringLiteral("c_description"), teDescription->toPlainText());
    record.setValue(QStringLiteral("c_sys_name"), leSysName->text().trimmed().toUpper());
}

void RequisiteEditDialog::setTaken(const QStringList &names, const QStringList &sysNames)
{
    m_takenNames = names;
    m_takenSysNames = sysNames;
}

void RequisiteEditDialog::accept()
{
    const QString title = QStringLiteral("Внимание");
    const QString name = leName->text().trimmed();
    const QString sysName = leSysName->text().trimmed().toUpper();
    if (name.isEmpty()) {
        QMessageBox::warning(this, title, QStringLiteral("Не задано имя реквизита"));
        return;
    }
    if (sysName.isEmpty()) {
        QMessageBox::warning(this, title, QStringLiteral("Не задано системное имя реквизита"));
        return;
    }
    if (m_takenNames.contains(name, Qt::CaseInsensitive)) {
        QMessageBox::warning(this, title, QStringLiteral("Реквизит \"%1\" уже есть").arg(name));
        return;
    }
    if (leSysName->isEnabled() && m_takenSysNames.contains(sysName, Qt::CaseInsensitive)) {
        QMessageBox::warning(this, title, QStringLiteral("Системное имя %1 уже занято").arg(sysName));
        return;
    }
    QDialog::accept();
}
