#ifndef DEALCONFLICTDIALOG_H
#define DEALCONFLICTDIALOG_H

#include "dealsglobal.h"
#include "rowconflict.h"
#include "ui_dealconflictdialog.h"

#include <QDialog>
#include <QSqlRecord>

class QDataSet;

// Asked when a deal could not be saved because a colleague saved the same
// deal, position or request while it was open: it lists, field by field,
// what the colleague changed (with what the person had and has now) and
// offers three ways on. exec() returns the Answer.
class DEALS_EXPORT DealConflictDialog : public QDialog, public Ui::DealConflictDialog
{
    Q_OBJECT

public:
    enum Answer {
        // Keep editing; nothing is written, nothing is lost.
        Cancel = QDialog::Rejected,
        // Write the person's changes over the stored row; the colleague's
        // changes in the fields the person left alone stay.
        Overwrite = 2,
        // Drop the person's changes and show the deal as it is stored.
        Reload = 3
    };
    Q_ENUM(Answer)

    DealConflictDialog(QDataSet *document, QWidget *parent = nullptr);

    // The conflict and the row as it is stored now (empty when it is gone).
    void setConflict(const RowConflict &conflict, const QSqlRecord &stored);
    // The fields listed, as field names.
    QStringList listedFields() const { return m_fields; }

private:
    QString describeRow(const RowConflict &conflict) const;
    void fillChanges(const RowConflict &conflict, const QSqlRecord &stored);

    QDataSet *m_document;
    QStringList m_fields;
};

#endif // DEALCONFLICTDIALOG_H
