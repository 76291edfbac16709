#ifndef CONTRACTORDIALOG_H
#define CONTRACTORDIALOG_H

#include "dealsglobal.h"
#include "ui_contractordialog.h"

#include <QDialog>
#include <QSqlRecord>

class QDataSet;
class SupplierDirectoryView;

// The contractor picker: the whole directory, in which the user chooses a
// contractor, and may create or edit one on the way. From another editor:
//
//     ContractorDialog picker(this);
//     picker.setGeometry(bounds());
//     picker.setType(QStringLiteral("Покупатель"));   // optional: start on one type
//     if (picker.exec() == QDialog::Accepted) {
//         const QSqlRecord chosen = picker.getData();
//         // chosen has the t_contractor fields: id, c_name, c_inn, n_rating,
//         // id_class, id_prev, c_comment, n_audit_frequency
//     }
//
// A contractor created or edited in the picker is already saved when the
// picker returns (or rolled back when its editor was cancelled).
class DEALS_EXPORT ContractorDialog : public QDialog, public Ui::ContractorDialog
{
    Q_OBJECT

public:
    explicit ContractorDialog(QWidget *parent = nullptr);

    // Lists only contractors of the type with this name; an unknown name lists all.
    void setType(QString typeName);
    // The chosen contractor's record, empty when none is chosen.
    QSqlRecord getData() const;

    SupplierDirectoryView *view() const { return m_view; }
    QDataSet *dataSet() const { return m_dataSet; }

public Q_SLOTS:
    void updateButtons();
    void accept() override;
    void on_buttonAdd_clicked();
    void on_buttonEdit_clicked();

private:
    void editNewRow();
    void editContractor(const QString &title, const QSqlRecord &record);

    QDataSet *m_dataSet;
    SupplierDirectoryView *m_view;
};

#endif // CONTRACTORDIALOG_H
