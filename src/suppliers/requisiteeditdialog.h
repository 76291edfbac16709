#ifndef REQUISITEEDITDIALOG_H
#define REQUISITEEDITDIALOG_H

#include "dealsglobal.h"
#include "ui_requisiteeditdialog.h"

#include <QDialog>
#include <QSqlRecord>
#include <QStringList>

// One requisite kind: name, description and the system name the programs
// look it up by, which cannot change once the kind exists.
class DEALS_EXPORT RequisiteEditDialog : public QDialog, public Ui::RequisiteEditDialog
{
    Q_OBJECT

public:
    explicit RequisiteEditDialog(QWidget *parent = nullptr);

    void setData(QSqlRecord record);
    void getData(QSqlRecord &record);
    // Names and system names other kinds already have.
    void setTaken(const QStringList &names, const QStringList &sysNames);

public Q_SLOTS:
    void accept() override;

private:
    QStringList m_takenNames;
    QStringList m_takenSysNames;
};

#endif // REQUISITEEDITDIALOG_H
