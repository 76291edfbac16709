#include "reportpagelayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextFrame>

namespace {

// Height of the band under each page's text that holds its number, in points.
constexpr qreal footerPoints = 24;

} // namespace

ReportPageLayout::ReportPageLayout(QTextDocument *document)
    : m_document(document)
{
}

void ReportPageLayout::invalidate()
{
    // A document without a page size is not laid out at all, so content set
    // now is laid out once, at print time, instead of once per change.
    m_document->setPageSize(QSizeF());
    m_laidOutFor = nullptr;
}

void ReportPageLayout::layOutFor(QPrinter *printer)
{
    const QSizeF paintSize = printer->pageLayout().paintRectPixels(printer->resolution()).size();
    const qreal footer = footerPoints * printer->resolution() / 72.0;
    const QSizeF pageSize(paintSize.width(), paintSize.height() - footer);
    if (m_laidOutFor == printer && m_pageSize == pageSize && m_resolution == printer->resolution())
        return;
    m_document->documentLayout()->setPaintDevice(printer);
    QTextFrameFormat format = m_document->rootFrame()->frameFormat();
    format.setMargin(0);
    m_document->rootFrame()->setFrameFormat(format);
    m_document->setPageSize(pageSize);
    m_laidOutFor = printer;
    m_pageSize = pageSize;
    m_resolution = printer->resolution();
}

bool ReportPageLayout::print(QPrinter *printer)
{
    QPainter painter(printer);
    if (!painter.isActive())
        return false;
    layOutFor(printer);

    QAbstractTextDocumentLayout *layout = m_document->documentLayout();
    const int pages = m_document->pageCount();
    const qreal pageHeight = m_pageSize.height();
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
            const QRectF footer(0, pageHeight, m_pageSize.width(), footerPoints * printer->resolution() / 72.0);
            painter.drawText(footer, Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("%1 / %2").arg(page + 1).arg(pages));
        }
    }
    painter.end();

    // The layout must never keep pointing at a printer that may go away after
    // this call; the home printer's layout is made again when next needed.
    if (printer != m_home) {
        m_document->documentLayout()->setPaintDevice(m_home);
        invalidate();
    }
    return true;
}
