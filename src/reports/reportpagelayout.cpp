#include "reportpagelayout.h"

#include "workplacelogging.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

namespace {

// Height of the band under each page's text that holds its number, in points.
constexpr qreal footerPoints = 24;

// The page background a report asks for in its <body> tag. Inserting HTML
// into a document, unlike replacing the document's HTML, leaves the body's
// attributes out; only the background among them shows on a page.
QBrush bodyBackground(const QString &html)
{
    static const QRegularExpression bodyTag(QStringLiteral("<body\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch body = bodyTag.match(html);
    if (!body.hasMatch())
        return QBrush();
    QTextDocument scratch;
    scratch.setHtml(html.left(body.capturedEnd()) + QStringLiteral("</body></html>"));
    return scratch.rootFrame()->frameFormat().background();
}

} // namespace

ReportPageLayout::ReportPageLayout(QTextDocument *document, QPrinter *home)
    : m_document(document)
    , m_home(home)
{
    m_document->setUndoRedoEnabled(false);
}

void ReportPageLayout::setContent(const QString &html)
{
    m_html = html;
    m_laidOutFor = nullptr;
    layOutFor(m_home);
}

QSizeF ReportPageLayout::pageSizeFor(const QPrinter *printer) const
{
    const QSizeF paintSize = printer->pageLayout().paintRectPixels(printer->resolution()).size();
    return QSizeF(paintSize.width(), paintSize.height() - footerPoints * printer->resolution() / 72.0);
}

void ReportPageLayout::layOutFor(QPrinter *printer)
{
    const QSizeF pageSize = pageSizeFor(printer);
    if (m_laidOutFor == printer && m_pageSize == pageSize && m_resolution == printer->resolution())
        return;
    QElapsedTimer clock;
    clock.start();

    // A null page size keeps the layout idle while the document is emptied
    // and set up; the content then goes in as one edit, laid out in one pass.
    m_document->setPageSize(QSizeF(0, 0));
    m_document->clear();
    m_document->documentLayout()->setPaintDevice(printer);
    QTextFrameFormat root = m_document->rootFrame()->frameFormat();
    root.setMargin(0);
    const QBrush background = bodyBackground(m_html);
    if (background.style() != Qt::NoBrush)
        root.setBackground(background);
    m_document->rootFrame()->setFrameFormat(root);
    m_document->setPageSize(pageSize);
    QTextCursor cursor(m_document);
    cursor.beginEditBlock();
    cursor.insertHtml(m_html);
    cursor.endEditBlock();

    m_laidOutFor = printer;
    m_pageSize = pageSize;
    m_resolution = printer->resolution();
    qCDebug(lcReports) << "Laid out" << m_document->pageCount() << "pages in" << clock.elapsed() << "ms";
}

bool ReportPageLayout::print(QPrinter *printer)
{
    QPainter painter(printer);
    if (!painter.isActive())
        return false;
    layOutFor(printer);

    QElapsedTimer clock;
    clock.start();
    const int pages = m_document->pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer->newPage();
        drawLaidOutPage(&painter, page, printer);
    }
    painter.end();
    qCDebug(lcReports) << "Drew" << pages << "pages in" << clock.elapsed() << "ms";
    releasePrinter(printer);
    return true;
}

bool ReportPageLayout::printEmptyPages(QPrinter *printer)
{
    QPainter painter(printer);
    if (!painter.isActive())
        return false;
    layOutFor(printer);
    for (int page = 1; page < m_document->pageCount(); ++page)
        printer->newPage();
    painter.end();
    releasePrinter(printer);
    return true;
}

int ReportPageLayout::pageCount()
{
    layOutFor(m_home);
    return m_document->pageCount();
}

void ReportPageLayout::drawPage(QPainter *painter, int page)
{
    layOutFor(m_home);
    if (page < 0 || page >= m_document->pageCount())
        return;
    drawLaidOutPage(painter, page, m_home);
}

void ReportPageLayout::drawLaidOutPage(QPainter *painter, int page, const QPrinter *printer) const
{
    const int pages = m_document->pageCount();
    const qreal pageHeight = m_pageSize.height();
    painter->save();
    const QRectF clip(0, page * pageHeight, m_pageSize.width(), pageHeight);
    painter->translate(0, -clip.top());
    painter->setClipRect(clip, Qt::IntersectClip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    m_document->documentLayout()->draw(painter, context);
    painter->restore();
    if (pages < 2)
        return;

    // Laid out as text for the printer, not through the painter's font, so
    // that the number has the same size on paper and on a screen painter
    // scaled to the printer's pixels.
    QFont numberFont = m_document->defaultFont();
    numberFont.setPointSizeF(qMax<qreal>(6, numberFont.pointSizeF() - 1));
    QTextLayout number(QStringLiteral("%1 / %2").arg(page + 1).arg(pages), numberFont,
                       const_cast<QPrinter *>(printer));
    number.beginLayout();
    QTextLine line = number.createLine();
    line.setLeadingIncluded(false);
    number.endLayout();
    const qreal footerBottom = pageHeight + footerPoints * printer->resolution() / 72.0;
    painter->save();
    painter->setPen(Qt::black);
    number.draw(painter, QPointF(m_pageSize.width() - line.naturalTextWidth(), footerBottom - line.height()));
    painter->restore();
}

void ReportPageLayout::releasePrinter(const QPrinter *printer)
{
    // The layout must not keep pointing at a printer that may go away after
    // this call; the home printer's layout is made again when next needed.
    if (printer != m_home) {
        m_document->documentLayout()->setPaintDevice(m_home);
        m_laidOutFor = nullptr;
    }
}
