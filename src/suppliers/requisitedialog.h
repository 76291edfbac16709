#ifndef REQUISITEDIALOG_H
#define REQUISITEDIALOG_H

#include "celldata.h"
#include "dealsglobal.h"
#include "ui_requisitedialog.h"

#include <QDialog>
#include <QSqlRecord>

class QDataSet;
class QDataTable;

// The dictionary of requisite kinds, edited on a table of its own and saved
// as one batch on "Сохранить изменения"; "Отменить изменения" drops the batch.
class DEALS_EXPORT RequisiteDialog : public QDialog, public Ui::RequisiteDialog
{
    Q_OBJECT

public:
    explicit RequisiteDialog(QWidget *parent = nullptr);

    QDataTable *table() const { return m_requisites; }

public Q_SLOTS:
    void updateButtons();
    void onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state);
    void on_buttonNew_clicked();
    void on_buttonEdit_clicked();
    void on_buttonDel_clicked();
    void accept() override;
    // Escape or the window's close button: asks before dropping unsaved kinds.
    void reject() override;

private:
    QSqlRecord currentRecord() const;
    void offerTaken(class RequisiteEditDialog *dialog, int exceptRow) const;

    QDataSet *m_batch;
    QDataTable *m_requisites;
};

#endif // REQUISITEDIALOG_H
