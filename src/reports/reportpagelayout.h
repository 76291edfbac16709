#ifndef REPORTPAGELAYOUT_H
#define REPORTPAGELAYOUT_H

#include "dealsglobal.h"

#include <QObject>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;
class QPrinter;
class QTextDocument;
class QThread;

// Keeps a report document laid out for a printer's pages and prints it page
// by page with page numbers. A long report is costly to lay out, so this
// happens once per content and page geometry, in one pass: the stock
// QTextDocument::print lays a copy out again on every preview refresh, and a
// document given its page size after its HTML is laid out twice over.
//
// For the screen, a long report is laid out in two steps. Its first pages are
// laid out at once from the beginning of its text, and the whole report in a
// worker thread; until that is done the layout is provisional: pageCount()
// counts only the first pages and they carry no page numbers. completed()
// tells when the whole report is laid out and has replaced the first pages.
// Printing always waits for the whole report.
class DEALS_EXPORT ReportPageLayout : public QObject
{
    Q_OBJECT

public:
    // Makes the document the report is drawn from, a child named "report".
    explicit ReportPageLayout(QPrinter *home, QObject *parent = nullptr);
    ~ReportPageLayout() override;

    // The document the pages are drawn from; a whole report laid out in the
    // worker replaces it by another, of the same name.
    QTextDocument *document() const { return m_document; }

    // Replaces the content (HTML) and lays it out for the pages of home, the
    // printer the document is normally shown and printed on.
    void setContent(const QString &html);

    // False while the whole report is still being laid out.
    bool isComplete() const;
    // Blocks until the whole report is laid out.
    void waitForComplete();

    // False when the printer could not be opened (an unwritable file, say).
    bool print(QPrinter *printer);

    // Gives printer as many empty pages as the report has, laid out for it:
    // a preview learns the page count without every page being drawn, and
    // draws the pages it shows with drawPage. For the home printer these may
    // be the provisional pages.
    bool printEmptyPages(QPrinter *printer);

    // The number of pages for the home printer, so far.
    int pageCount();

    // Draws one page (from 0) for the home printer, in its device pixels, the
    // origin at the top left corner of the page's printable area.
    void drawPage(QPainter *painter, int page);

Q_SIGNALS:
    // The whole report is laid out: the page count is final.
    void completed();

private:
    struct Job;
    enum class Extent { FirstPages, Whole };

    QSizeF pageSizeFor(const QPrinter *printer) const;
    void layOutFor(QPrinter *printer, Extent extent);
    bool layOutFirstPages();
    void startWholeLayout();
    void adoptWholeLayout();
    void discardWholeLayout();
    static void endThread(QThread **thread, std::shared_ptr<Job> *job);
    int knownPages() const;
    void drawLaidOutPage(QPainter *painter, int page, const QPrinter *printer) const;
    void releasePrinter(const QPrinter *printer);

    QTextDocument *m_document;
    QPrinter *m_home;
    QString m_html;
    QPrinter *m_laidOutFor = nullptr;
    QSizeF m_pageSize;
    int m_resolution = 0;
    // Pages of a provisional layout that the rest of the report cannot
    // change; 0 when the document holds the whole report.
    int m_provisionalPages = 0;
    // The whole report being laid out, and its worker thread.
    std::shared_ptr<Job> m_job;
    QThread *m_worker = nullptr;
    int m_generation = 0;
    // The thread that laid the document out, kept until the document goes.
    std::shared_ptr<Job> m_documentJob;
    QThread *m_documentThread = nullptr;
};

#endif // REPORTPAGELAYOUT_H
