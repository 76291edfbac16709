#ifndef CRITERIONEDITDIALOG_H
#define CRITERIONEDITDIALOG_H

#include "dealsglobal.h"
#include "ui_criterioneditdialog.h"

#include <QDialog>

// One rating criterion: name, weight (above 0, at most 1) and description.
// "Отмена" drops the input at once; Escape and the window's close button ask
// first when something was changed since the dialog was shown.
class DEALS_EXPORT CriterionEditDialog : public QDialog, public Ui::CriterionEditDialog
{
    Q_OBJECT

public:
    explicit CriterionEditDialog(QWidget *parent = nullptr);

public Q_SLOTS:
    // The weight is bounded by its spin box; only a name is required.
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString shownState() const;

    QString m_initialState;
};

#endif // CRITERIONEDITDIALOG_H
