#ifndef CONTACTTYPEDIALOG_H
#define CONTACTTYPEDIALOG_H

#include "dealsglobal.h"
#include "ui_contacttypedialog.h"

#include <QDialog>

class QDataTable;

// The dictionary of contact types. Every change is saved at once: the types
// are shared by all contractors, not part of the one being edited.
class DEALS_EXPORT ContactTypeDialog : public QDialog, public Ui::ContactTypeDialog
{
    Q_OBJECT

public:
    explicit ContactTypeDialog(QWidget *parent = nullptr);

    QDataTable *table() const { return m_types; }

public Q_SLOTS:
    void updateButtons();
    void on_buttonNew_clicked();
    void on_buttonEdit_clicked();
    void on_buttonDel_clicked();

private:
    bool isTaken(const QString &name) const;

    QDataTable *m_types;
};

#endif // CONTACTTYPEDIALOG_H
