#ifndef REQUISITEADDDIALOG_H
#define REQUISITEADDDIALOG_H

#include "dealsglobal.h"
#include "ui_requisiteadddialog.h"

#include <QDialog>
#include <QSet>

class QDataTable;

// One requisite value of a contractor: its kind and the value. Refuses a
// value that does not fit its kind and a kind the contractor already has.
class DEALS_EXPORT RequisiteAddDialog : public QDialog, public Ui::RequisiteAddDialog
{
    Q_OBJECT

public:
    explicit RequisiteAddDialog(QWidget *parent = nullptr);

    // Offers the kinds of the table, nothing chosen; or only the one given, chosen.
    void setKinds(QDataTable *kinds, qint64 only = -1);
    // Kinds the contractor already has values for.
    void setTaken(const QSet<qint64> &kinds) { m_taken = kinds; }
    // Whether an empty value is refused (adding) or means "leave as it was" (editing).
    void setValueRequired(bool required) { m_valueRequired = required; }

    QVariant requisite() const { return cbRequisite->currentData(); }
    QString value() const { return leValue->text().trimmed(); }

public Q_SLOTS:
    void accept() override;

private:
    QSet<qint64> m_taken;
    bool m_valueRequired = true;
};

#endif // REQUISITEADDDIALOG_H
