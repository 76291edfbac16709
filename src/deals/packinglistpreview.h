#ifndef PACKINGLISTPREVIEW_H
#define PACKINGLISTPREVIEW_H

#include "dealsglobal.h"

#include <QString>

class reportWidget;

// The packing list of a shipping sheet (its printable form, finished HTML)
// in the report preview, where it can be printed or saved as PDF.
class DEALS_EXPORT PackingListPreview
{
public:
    // The preview window, not yet shown: a report preview without parent,
    // titled "Упаковочный лист", holding the form. The caller owns it.
    static reportWidget *create(const QString &form);

    // Shows the form application-modal and maximised and returns when the
    // person closes the window. Nothing happens for an empty form.
    static void exec(const QString &form);
};

#endif // PACKINGLISTPREVIEW_H
