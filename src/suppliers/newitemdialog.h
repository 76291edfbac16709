#ifndef NEWITEMDIALOG_H
#define NEWITEMDIALOG_H

#include "dealsglobal.h"

#include <QDialog>
#include <QVariant>

class QDataTable;

namespace Ui {
class NewItemDialog;
}

// Asks for the name of a new item or family and, when given a table of
// measure units (id, c_name), for its unit. OK stays disabled until the name
// is filled in and, where units are offered, one is chosen. Whether the name
// is free is the caller's business: it knows the catalogue.
class DEALS_EXPORT NewItemDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NewItemDialog(QDataTable *units = nullptr, QWidget *parent = nullptr);
    ~NewItemDialog() override;

    // The name as entered, without surrounding blanks.
    QString name() const;
    void setName(const QString &name);
    // The chosen unit's id and name; invalid and empty while none is chosen.
    QVariant unitId() const;
    QString unitName() const;
    void setUnitChoiceVisible(bool visible);

public Q_SLOTS:
    void onChanged();

private:
    Ui::NewItemDialog *ui;
};

#endif // NEWITEMDIALOG_H
