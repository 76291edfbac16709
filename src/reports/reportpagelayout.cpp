#include "reportpagelayout.h"

#include "workplacelogging.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QThread>

#include <array>

namespace {

// Height of the band under each page's text that holds its number, in points.
constexpr qreal footerPoints = 24;

// Characters at the head of a long report laid out first for the screen; a
// page of a tabular report takes some 5,000. Doubled until they make more
// than one page.
constexpr int firstPagesText = 32 * 1024;

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

// Sets the document up for pages of pageSize on device and lays html out in
// it. A null page size keeps the layout idle while the document is emptied
// and set up; the content then goes in as one edit, laid out in one pass.
void fillDocument(QTextDocument *document, QPaintDevice *device, const QSizeF &pageSize, const QString &html)
{
    document->setPageSize(QSizeF(0, 0));
    document->clear();
    document->documentLayout()->setPaintDevice(device);
    QTextFrameFormat root = document->rootFrame()->frameFormat();
    root.setMargin(0);
    const QBrush background = bodyBackground(html);
    if (background.style() != Qt::NoBrush)
        root.setBackground(background);
    document->rootFrame()->setFrameFormat(root);
    document->setPageSize(pageSize);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.insertHtml(html);
    cursor.endEditBlock();
}

// Where the head of a report's text may end: after the first closing tag of
// a row, paragraph or list item at or past from; -1 when there is none. The
// parser closes whatever is left open, so the head is a document of its own
// whose pages, but the last, are those of the whole report.
int headEnd(const QString &html, int from)
{
    static const QRegularExpression closingTag(QStringLiteral("</(tr|p|li|div|h[1-6])\\s*>"),
                                               QRegularExpression::CaseInsensitiveOption);
    if (from >= html.size())
        return -1;
    const QRegularExpressionMatch match = closingTag.match(html, from);
    return match.hasMatch() ? match.capturedEnd() : -1;
}

// True when a table in the frame has a column without a width of its own: its
// width then follows the longest text in it, which may lie anywhere in the
// report, so the head of the report does not show the report's columns.
bool columnsFollowContent(const QTextFrame *frame)
{
    const QList<QTextFrame *> children = frame->childFrames();
    for (const QTextFrame *child : children) {
        if (const auto *table = qobject_cast<const QTextTable *>(child)) {
            const QVector<QTextLength> widths = table->format().columnWidthConstraints();
            if (widths.size() < table->columns())
                return true;
            for (const QTextLength &width : widths) {
                if (width.type() == QTextLength::VariableLength)
                    return true;
            }
        }
        if (columnsFollowContent(child))
            return true;
    }
    return false;
}

// Stands for the home printer in the worker thread: the layout asks its
// device for metrics only, and the printer belongs to the GUI thread.
class MetricsDevice : public QPaintDevice
{
public:
    explicit MetricsDevice(const QPaintDevice *model)
    {
        m_metrics[PdmWidth] = model->width();
        m_metrics[PdmHeight] = model->height();
        m_metrics[PdmWidthMM] = model->widthMM();
        m_metrics[PdmHeightMM] = model->heightMM();
        m_metrics[PdmNumColors] = model->colorCount();
        m_metrics[PdmDepth] = model->depth();
        m_metrics[PdmDpiX] = model->logicalDpiX();
        m_metrics[PdmDpiY] = model->logicalDpiY();
        m_metrics[PdmPhysicalDpiX] = model->physicalDpiX();
        m_metrics[PdmPhysicalDpiY] = model->physicalDpiY();
        m_metrics[PdmDevicePixelRatio] = model->devicePixelRatio();
        m_metrics[PdmDevicePixelRatioScaled] = qRound(model->devicePixelRatioF() * devicePixelRatioFScale());
    }

    QPaintEngine *paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        return metric < int(m_metrics.size()) ? m_metrics[metric] : 0;
    }

private:
    std::array<int, PdmDevicePixelRatioScaled + 1> m_metrics {};
};

} // namespace

// The whole report laid out in a worker thread. The fonts a thread lays text
// out with end with the thread, and a document drawn later still uses them:
// the worker keeps its thread alive, idle, until its document is gone.
struct ReportPageLayout::Job
{
    QString html;
    QSizeF pageSize;
    std::unique_ptr<MetricsDevice> device;
    std::unique_ptr<QTextDocument> document;
    QSemaphore laidOut;  // the worker has handed over the document
    QSemaphore released; // the document is gone: the worker may end
};

ReportPageLayout::ReportPageLayout(QPrinter *home, QObject *parent)
    : QObject(parent)
    , m_document(new QTextDocument(this))
    , m_home(home)
{
    m_document->setObjectName(QStringLiteral("report"));
    m_document->setUndoRedoEnabled(false);
}

ReportPageLayout::~ReportPageLayout()
{
    discardWholeLayout();
    delete m_document;
    endThread(&m_documentThread, &m_documentJob);
}

void ReportPageLayout::endThread(QThread **thread, std::shared_ptr<Job> *job)
{
    if (!*thread)
        return;
    (*job)->released.release();
    (*thread)->wait();
    delete *thread;
    *thread = nullptr;
    job->reset();
}

void ReportPageLayout::discardWholeLayout()
{
    if (!m_worker)
        return;
    m_job->laidOut.acquire();
    m_job->document.reset();
    endThread(&m_worker, &m_job);
}

void ReportPageLayout::setContent(const QString &html)
{
    discardWholeLayout();
    m_html = html;
    m_laidOutFor = nullptr;
    layOutFor(m_home, Extent::FirstPages);
}

bool ReportPageLayout::isComplete() const
{
    return !m_worker;
}

void ReportPageLayout::waitForComplete()
{
    if (m_worker)
        adoptWholeLayout();
}

QSizeF ReportPageLayout::pageSizeFor(const QPrinter *printer) const
{
    const QSizeF paintSize = printer->pageLayout().paintRectPixels(printer->resolution()).size();
    return QSizeF(paintSize.width(), paintSize.height() - footerPoints * printer->resolution() / 72.0);
}

void ReportPageLayout::layOutFor(QPrinter *printer, Extent extent)
{
    const QSizeF pageSize = pageSizeFor(printer);
    const auto laidOut = [&] {
        return m_laidOutFor == printer && m_pageSize == pageSize && m_resolution == printer->resolution();
    };
    if (laidOut() && (m_provisionalPages == 0 || extent == Extent::FirstPages))
        return;
    if (m_worker) {
        adoptWholeLayout();
        if (laidOut())
            return;
    }
    QElapsedTimer clock;
    clock.start();
    m_laidOutFor = printer;
    m_pageSize = pageSize;
    m_resolution = printer->resolution();
    m_provisionalPages = 0;
    if (printer == m_home && extent == Extent::FirstPages && layOutFirstPages()) {
        startWholeLayout();
        qCDebug(lcReports) << "Laid out the first" << m_provisionalPages << "pages in" << clock.elapsed() << "ms";
        return;
    }
    fillDocument(m_document, printer, pageSize, m_html);
    qCDebug(lcReports) << "Laid out" << m_document->pageCount() << "pages in" << clock.elapsed() << "ms";
}

bool ReportPageLayout::layOutFirstPages()
{
    for (int from = firstPagesText;; from *= 2) {
        const int end = headEnd(m_html, from);
        if (end < 0 || end >= m_html.size() - 1)
            return false;
        fillDocument(m_document, m_home, m_pageSize, m_html.left(end));
        if (columnsFollowContent(m_document->rootFrame()))
            return false;
        const int pages = m_document->pageCount();
        if (pages > 1) {
            m_provisionalPages = pages - 1;
            return true;
        }
    }
}

void ReportPageLayout::startWholeLayout()
{
    auto job = std::make_shared<Job>();
    job->html = m_html;
    job->pageSize = m_pageSize;
    job->device = std::make_unique<MetricsDevice>(m_home);
    QThread *home = thread();
    const int generation = ++m_generation;
    m_job = job;
    m_worker = QThread::create([this, job, home, generation] {
        auto document = std::make_unique<QTextDocument>();
        document->setUndoRedoEnabled(false);
        fillDocument(document.get(), job->device.get(), job->pageSize, job->html);
        // Asking for the page count finishes a layout that would otherwise
        // go on lazily, in the event loop of a thread that has none.
        document->pageCount();
        document->documentLayout()->setPaintDevice(nullptr);
        document->moveToThread(home);
        job->document = std::move(document);
        QMetaObject::invokeMethod(this, [this, generation] {
            if (m_worker && generation == m_generation)
                adoptWholeLayout();
        }, Qt::QueuedConnection);
        job->laidOut.release();
        job->released.acquire();
    });
    m_worker->start();
}

void ReportPageLayout::adoptWholeLayout()
{
    m_job->laidOut.acquire();
    QTextDocument *whole = m_job->document.release();
    whole->setParent(this);
    whole->setObjectName(m_document->objectName());
    whole->documentLayout()->setPaintDevice(m_home);
    delete m_document;
    m_document = whole;
    m_provisionalPages = 0;
    // The thread whose fonts the old document may have used goes with it.
    endThread(&m_documentThread, &m_documentJob);
    m_documentThread = m_worker;
    m_documentJob = std::move(m_job);
    m_worker = nullptr;
    qCDebug(lcReports) << "Laid out all" << m_document->pageCount() << "pages";
    Q_EMIT completed();
}

int ReportPageLayout::knownPages() const
{
    return m_provisionalPages > 0 ? m_provisionalPages : m_document->pageCount();
}

bool ReportPageLayout::print(QPrinter *printer)
{
    QPainter painter(printer);
    if (!painter.isActive())
        return false;
    layOutFor(printer, Extent::Whole);

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
    layOutFor(printer, Extent::FirstPages);
    for (int page = 1; page < knownPages(); ++page)
        printer->newPage();
    painter.end();
    releasePrinter(printer);
    return true;
}

int ReportPageLayout::pageCount()
{
    layOutFor(m_home, Extent::FirstPages);
    return knownPages();
}

void ReportPageLayout::drawPage(QPainter *painter, int page)
{
    layOutFor(m_home, Extent::FirstPages);
    if (page < 0 || page >= knownPages())
        return;
    drawLaidOutPage(painter, page, m_home);
}

void ReportPageLayout::drawLaidOutPage(QPainter *painter, int page, const QPrinter *printer) const
{
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
    // Provisional pages are numbered when the number of pages is known.
    if (m_provisionalPages > 0)
        return;
    const int pages = m_document->pageCount();
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
