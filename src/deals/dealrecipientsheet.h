#ifndef DEALRECIPIENTSHEET_H
#define DEALRECIPIENTSHEET_H

#include "dealexportfields.h"
#include "dealsglobal.h"

namespace QXlsx {
class Document;
}

// The short sheet a deal's shipment is prepared with: the deal, the recipient
// and its delivery details, the transport company and who pays for delivery,
// one labelled line each in column A.
class DEALS_EXPORT DealRecipientSheet
{
public:
    explicit DealRecipientSheet(const DealExportFields &fields);

    void write(QXlsx::Document *document) const;

private:
    DealExportFields m_fields;
};

#endif // DEALRECIPIENTSHEET_H
