#ifndef REPORTPAGELAYOUT_H
#define REPORTPAGELAYOUT_H

#include "dealsglobal.h"

#include <QSizeF>

class QPrinter;
class QTextDocument;

// Prints a report document page by page with page numbers, laying it out
// for the printer's page only when the page geometry changed. Printing a
// document the stock way lays a copy of it out again on every call, which for
// a long report costs more than everything else the preview does.
class DEALS_EXPORT ReportPageLayout
{
public:
    explicit ReportPageLayout(QTextDocument *document);

    // Forget the layout (new content); the next print lays the document out anew.
    void invalidate();
    // Lays the document out for pages of home, the printer it normally prints on.
    void setHomePrinter(QPrinter *home) { m_home = home; }

    // False when the printer could not be opened (an unwritable file, say).
    bool print(QPrinter *printer);

private:
    void layOutFor(QPrinter *printer);

    QTextDocument *m_document;
    QPrinter *m_home = nullptr;
    QPrinter *m_laidOutFor = nullptr;
    QSizeF m_pageSize;
    int m_resolution = 0;
};

#endif // REPORTPAGELAYOUT_H
