#ifndef REPORTPAGELAYOUT_H
#define REPORTPAGELAYOUT_H

#include "dealsglobal.h"

#include <QSizeF>
#include <QString>

class QPainter;
class QPrinter;
class QTextDocument;

// Keeps a report document laid out for a printer's pages and prints it page
// by page with page numbers. A long report is costly to lay out, so this
// happens once per content and page geometry, in one pass: the stock
// QTextDocument::print lays a copy out again on every preview refresh, and a
// document given its page size after its HTML is laid out twice over.
class DEALS_EXPORT ReportPageLayout
{
public:
    ReportPageLayout(QTextDocument *document, QPrinter *home);

    // Replaces the document's content (HTML) and lays it out for the pages of
    // home, the printer the document is normally shown and printed on.
    void setContent(const QString &html);

    // False when the printer could not be opened (an unwritable file, say).
    bool print(QPrinter *printer);

    // Gives printer as many empty pages as the report has, laid out for it:
    // a preview learns the page count without every page being drawn, and
    // draws the pages it shows with drawPage.
    bool printEmptyPages(QPrinter *printer);

    // The number of pages for the home printer.
    int pageCount();

    // Draws one page (from 0) for the home printer, in its device pixels, the
    // origin at the top left corner of the page's printable area.
    void drawPage(QPainter *painter, int page);

private:
    QSizeF pageSizeFor(const QPrinter *printer) const;
    void layOutFor(QPrinter *printer);
    void drawLaidOutPage(QPainter *painter, int page, const QPrinter *printer) const;
    void releasePrinter(const QPrinter *printer);

    QTextDocument *m_document;
    QPrinter *m_home;
    QString m_html;
    QPrinter *m_laidOutFor = nullptr;
    QSizeF m_pageSize;
    int m_resolution = 0;
};

#endif // REPORTPAGELAYOUT_H
