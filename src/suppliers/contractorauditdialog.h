#ifndef CONTRACTORAUDITDIALOG_H
#define CONTRACTORAUDITDIALOG_H

#include "dealsglobal.h"
#include "ui_contractorauditdialog.h"

#include <QDialog>
#include <QSqlRecord>

// One audit of a contractor: its date (today for a new one), whether it was
// carried out or is planned, and a comment. "Отмена" drops the changes at
// once; Escape and the window's close button ask first when something was
// changed, so that a stray key does not cost a typed report.
class DEALS_EXPORT ContractorAuditDialog : public QDialog, public Ui::ContractorAuditDialog
{
    Q_OBJECT

public:
    explicit ContractorAuditDialog(QWidget *parent = nullptr);

    void setContractor(QString name);
    void setRecord(QSqlRecord record);
    // Writes d_date, b_complete and c_comment.
    void getRecord(QSqlRecord &record);

public Q_SLOTS:
    void reject() override;

private:
    QString shownState() const;

    QString m_initialState;
};

#endif // CONTRACTORAUDITDIALOG_H
