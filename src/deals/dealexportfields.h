#ifndef DEALEXPORTFIELDS_H
#define DEALEXPORTFIELDS_H

#include "dealsglobal.h"

#include <QSqlRecord>
#include <QString>

class QLineEdit;

// What the deal editor shows at the moment of an export: the deal as the
// editor keeps it and the texts of the widgets that the invoice and the
// recipient sheet print, as the person sees them.
struct DEALS_EXPORT DealExportFields
{
    QSqlRecord deal;          // the t_deals row: c_doc, c_base, id_division, id_contractor
    QString seller;           // cbDivision
    QString buyer;            // cbContractor
    QString currency;         // cbCurrency
    QString transportCompany; // cbTransportCompany
    QString payerForDelivery; // cbPayerForDelivery
    QString inn;              // lineEditINN, and the three below: see shownText()
    QString address;          // lineEditAddress
    QString contactPerson;    // lineEditContactPerson
    QString phone;            // lineEditPhone

    // The field's text, or, when it is empty, its placeholder: the recipient's
    // own data that the editor shows greyed as a hint.
    static QString shownText(const QLineEdit *edit);
};

#endif // DEALEXPORTFIELDS_H
