#ifndef PERSONDIALOG_H
#define PERSONDIALOG_H

#include "dealsglobal.h"
#include "ui_persondialog.h"

#include <QDialog>

// One contact person: name and post. The name is required.
class DEALS_EXPORT PersonDialog : public QDialog, public Ui::PersonDialog
{
    Q_OBJECT

public:
    explicit PersonDialog(QWidget *parent = nullptr);

public Q_SLOTS:
    void on_edName_textChanged(const QString &text);
    void accept() override;
};

#endif // PERSONDIALOG_H
