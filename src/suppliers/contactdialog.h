#ifndef CONTACTDIALOG_H
#define CONTACTDIALOG_H

#include "dealsglobal.h"
#include "ui_contactdialog.h"

#include <QDialog>

class QDataTable;

// One contact of a person: its type and the data (a number, an address).
// The list of types can be edited on the way (ContactTypeDialog).
class DEALS_EXPORT ContactDialog : public QDialog, public Ui::ContactDialog
{
    Q_OBJECT

public:
    explicit ContactDialog(QWidget *parent = nullptr);

    void setData(const QVariant &typeId, const QString &contact);
    QVariant typeId() const { return cbType->currentData(); }
    QString contact() const { return leData->text(); }
    // The dictionary of types was opened, so names shown elsewhere may be stale.
    bool typesEdited() const { return m_typesEdited; }

public Q_SLOTS:
    void onCheckControls();
    void accept() override;
    void on_buttonType_clicked();

private:
    QDataTable *m_types;
    bool m_typesEdited = false;
};

#endif // CONTACTDIALOG_H
