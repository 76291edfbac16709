#ifndef DEALHEADERFORM_H
#define DEALHEADERFORM_H

#include "dealsglobal.h"

#include <QSqlRecord>

class QDataSet;
namespace Ui {
class QDealEditor;
}

// Which widget of the deal editor's first tab shows which field of a t_deals
// row, both ways: the division, request documents, state, payer and currency
// choices, the basis, the comment and the delivery details. The recipient,
// supplier and transport company are the contractor fields' own business.
class DealHeaderForm
{
public:
    DealHeaderForm(Ui::QDealEditor *form, QDataSet *document);

    // Shows the row; no widget tells anybody about it.
    void show(const QSqlRecord &record) const;
    // Writes what the widgets show into the row.
    void write(QSqlRecord *record) const;

private:
    Ui::QDealEditor *m_form;
    QDataSet *m_document;
};

#endif // DEALHEADERFORM_H
