#ifndef CONTRACTOREDITDIALOG_H
#define CONTRACTOREDITDIALOG_H

#include "dealsglobal.h"
#include "ui_contractoreditdialog.h"

#include <QDialog>
#include <QSqlRecord>

class QDataSet;
class SupplierDirectoryEditor;

// The supplier editor in a dialog: "Принять" saves everything in one
// transaction and closes only when the save succeeded; "Отмена" rolls the
// whole data set back, a contractor added for the dialog included. Closing
// the window or pressing Escape asks first when something was changed.
//
// From another editor, to show or edit a contractor by itself:
//
//     ContractorEditDialog dialog(nullptr, this);   // builds and owns its data set
//     dialog.setWindowTitle(name);
//     dialog.setData(contractorRecord);              // a t_contractor record with its id
//     dialog.exec();                                 // Accepted: saved
//
// To show a contractor for reading only, call setReadOnly(true) before exec().
class DEALS_EXPORT ContractorEditDialog : public QDialog, public Ui::ContractorEditDialog
{
    Q_OBJECT

public:
    // dataSet may be null: the dialog then builds the editor's variant of the
    // contractor data set and loads t_contractor for it.
    explicit ContractorEditDialog(QDataSet *dataSet, QWidget *parent = nullptr);

    void setData(QSqlRecord record);
    // Everything shown, nothing editable; the dialog offers only "Закрыть".
    void setReadOnly(bool readOnly);
    SupplierDirectoryEditor *editor() const { return m_editor; }
    QDataSet *dataSet() const { return m_dataSet; }

public Q_SLOTS:
    void accept() override;
    void reject() override;

private:
    void discard();

    QDataSet *m_dataSet;
    SupplierDirectoryEditor *m_editor;
    bool m_changed = false;
};

#endif // CONTRACTOREDITDIALOG_H
