#ifndef CRITERIONDIALOG_H
#define CRITERIONDIALOG_H

#include "dealsglobal.h"
#include "qdatatable.h"
#include "ui_criteriondialog.h"

#include <QDialog>
#include <QPointer>
#include <QSqlRecord>


// The criteria suppliers are rated by. Works on the contractor data set's
// criteria table and saves every change at once: criteria are shared by all
// contractors.
class DEALS_EXPORT CriterionDialog : public QDialog, public Ui::CriterionDialog
{
    Q_OBJECT

public:
    CriterionDialog(QDataTable *criteria, QWidget *parent = nullptr);
    ~CriterionDialog() override;

    QSqlRecord getCurrentRow() const;

public Q_SLOTS:
    void updateButtons();
    void on_buttonNew_clicked();
    void on_buttonEdit_clicked();
    void on_buttonDel_clicked();

private:
    void store(int row, QSqlRecord record, const class CriterionEditDialog &dialog);

    QPointer<QDataTable> m_criteria;
};

#endif // CRITERIONDIALOG_H
