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
    QAbstractTextDocumentLayout *layout = m_document->documentLayout();
    const int pages = m_document->pageCount();
    const qreal pageHeight = m_pageSize.height();
    const qreal footerHeight = footerPoints * printer->resolution() / 72.0;
    QFont numberFont = m_document->defaultFont();
    numberFont.setPointSizeF(qMax<qreal>(6, numberFont.pointSizeF() - 1));
    painter.setFont(QFont(numberFont, printer));
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer->newPage();
        painter.save();
        const QRectF clip(0, page * pageHeight, m_pageSize.width(), pageHeight);
        painter.translate(0, -clip.top());
        painter.setClipRect(clip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&painter, context);
        painter.restore();
        if (pages > 1) {
            painter.drawText(QRectF(0, pageHeight, m_pageSize.width(), footerHeight), Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("%1 / %2").arg(page + 1).arg(pages));
        }
    }
    painter.end();
    qCDebug(lcReports) << "Drew" << pages << "pages in" << clock.elapsed() << "ms";

    // The layout must not keep pointing at a printer that may go away after
    // this call; the home printer's layout is made again when next needed.
    if (printer != m_home) {
        m_document->documentLayout()->setPaintDevice(m_home);
        m_laidOutFor = nullptr;
    }
    return true;
}
