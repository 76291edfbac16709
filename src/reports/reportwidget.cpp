#include "reportwidget.h"

#include "lineedit.h"
#include "qprintpreviewmainwindow.h"
#include "reportpageitem.h"
#include "reporttemplate.h"
#include "replacefile.h"
#include "workplacelogging.h"
#include "zoomfactorvalidator.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QMessageBox>
#include <QPaintEngine>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>


namespace {

QString exportTitle()
{
    return QCoreApplication::translate("QPrintPreviewDialog", "Export to PDF");
}

} // namespace

reportWidget::reportWidget(QWidget *parent)
    : QWidget(parent)
    , printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    pageLayout = new ReportPageLayout(printer.get(), this);

    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Landscape);
    printer->setPageMargins(QMarginsF(15, 15, 15, 10), QPageLayout::Millimeter);

    auto *window = new QPrintPreviewMainWindow(this);
    // A main window is a window of its own unless told otherwise; this one is embedded.
    window->setWindowFlags(Qt::Widget);
    preview = new QPrintPreviewWidget(printer.get(), window);
    preview->setObjectName(QStringLiteral("preview"));

    pageNumEdit = new LineEdit;
    pageNumEdit->setObjectName(QStringLiteral("pageNumEdit"));
    pageNumEdit->setAlignment(Qt::AlignRight);
    pageNumEdit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    pageNumValidator = new QIntValidator(1, 1, pageNumEdit);
    pageNumEdit->setValidator(pageNumValidator);
    pageNumLabel = new QLabel;
    pageNumLabel->setObjectName(QStringLiteral("pageNumLabel"));

    zoomFactor = new QComboBox;
    zoomFactor->setObjectName(QStringLiteral("zoomFactor"));
    zoomFactor->setEditable(true);
    zoomFactor->setMinimumContentsLength(7);
    zoomFactor->setInsertPolicy(QComboBox::NoInsert);
    auto *zoomEditor = new LineEdit;
    zoomEditor->setValidator(new ZoomFactorValidator(1, 1000, 1, zoomEditor));
    zoomFactor->setLineEdit(zoomEditor);
    for (double factor : {12.5, 25.0, 50.0, 100.0, 125.0, 150.0, 200.0, 400.0, 800.0})
        zoomFactor->addItem(QStringLiteral("%1%").arg(factor));

    auto *toolBar = new QToolBar(window);
    toolBar->setObjectName(QStringLiteral("reportToolBar"));
    toolBar->setMovable(false);
    initActions(toolBar);

    connect(zoomFactor->lineEdit(), &QLineEdit::editingFinished, this, &reportWidget::onZoomFactorChanged);
    connect(zoomFactor, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &reportWidget::onZoomFactorChanged);
    connect(preview, &QPrintPreviewWidget::paintRequested, this, &reportWidget::onPaintRequest);
    connect(preview, &QPrintPreviewWidget::previewChanged, this, &reportWidget::showPages);
    connect(preview, &QPrintPreviewWidget::previewChanged, this, &reportWidget::onPreviewChanged);
    connect(pageNumEdit, &QLineEdit::editingFinished, this, &reportWidget::onPageNumEdited);
    // A long report first shows its first pages; all of them, numbered, once
    // they are laid out. Queued: the layout may be completed while the
    // preview is printing.
    connect(pageLayout, &ReportPageLayout::completed, preview, &QPrintPreviewWidget::updatePreview,
            Qt::QueuedConnection);

    window->addToolBar(toolBar);
    window->setCentralWidget(preview);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(window);

    fitPageAction->setChecked(true);
    singleModeAction->setChecked(true);
    preview->setPortraitOrientation();
    if (preview->orientation() == QPrinter::Landscape)
        landscapeAction->setChecked(true);
    else
        portraitAction->setChecked(true);
    handleFitControls();
}

reportWidget::~reportWidget()
{
    // The preview and the document's layout refer to the printer: both go first.
    delete preview;
    delete pageLayout;
}

QAction *reportWidget::makeAction(const char *objectName, const QString &icon, const QString &toolTip,
                                  QActionGroup *group, bool checkable)
{
    auto *action = new QAction(QIcon(icon), QString(), group ? static_cast<QObject *>(group) : this);
    if (group)
        group->addAction(action);
    action->setObjectName(QLatin1String(objectName));
    action->setToolTip(toolTip);
    action->setCheckable(checkable);
    return action;
}

void reportWidget::initActions(QToolBar *toolBar)
{
    fitGroup = new QActionGroup(this);
    fitWidthAction = makeAction("fitWidth", QStringLiteral(":/reportIcons/fit-width.png"),
                                QStringLiteral("По ширине страницы"), fitGroup, true);
    fitPageAction = makeAction("fitPage", QStringLiteral(":/reportIcons/fit-page.png"),
                               QStringLiteral("Страница целиком"), fitGroup, true);
    zoomInAction = makeAction("zoomIn", QStringLiteral(":/reportIcons/zoom-in.png"),
                              QStringLiteral("Увеличить"), nullptr, false);
    zoomOutAction = makeAction("zoomOut", QStringLiteral(":/reportIcons/zoom-out.png"),
                               QStringLiteral("Уменьшить"), nullptr, false);

    navGroup = new QActionGroup(this);
    firstPageAction = makeAction("firstPage", QStringLiteral(":/reportIcons/go-first.png"),
                                 QStringLiteral("Первая страница"), navGroup, false);
    prevPageAction = makeAction("previousPage", QStringLiteral(":/reportIcons/go-prev.png"),
                                QStringLiteral("Предыдущая страница"), navGroup, false);
    nextPageAction = makeAction("nextPage", QStringLiteral(":/reportIcons/go-next.png"),
                                QStringLiteral("Следующая страница"), navGroup, false);
    lastPageAction = makeAction("lastPage", QStringLiteral(":/reportIcons/go-last.png"),
                                QStringLiteral("Последняя страница"), navGroup, false);

    modeGroup = new QActionGroup(this);
    singleModeAction = makeAction("singlePage", QStringLiteral(":/reportIcons/page-one.png"),
                                  QStringLiteral("Одна страница"), modeGroup, true);
    facingModeAction = makeAction("facingPages", QStringLiteral(":/reportIcons/page-sided.png"),
                                  QStringLiteral("Разворот"), modeGroup, true);
    overviewModeAction = makeAction("allPages", QStringLiteral(":/reportIcons/page-multi.png"),
                                    QStringLiteral("Все страницы"), modeGroup, true);

    orientationGroup = new QActionGroup(this);
    portraitAction = makeAction("portrait", QStringLiteral(":/reportIcons/portrait.png"),
                                QStringLiteral("Книжная"), orientationGroup, true);
    landscapeAction = makeAction("landscape", QStringLiteral(":/reportIcons/landscape.png"),
                                 QStringLiteral("Альбомная"), orientationGroup, true);

    printAction = makeAction("print", QStringLiteral(":/reportIcons/print.png"),
                             QStringLiteral("Печать"), nullptr, false);
    exportGroup = new QActionGroup(this);
    pdfAction = makeAction("exportPdf", QStringLiteral(":/reportIcons/file-pdf.png"), exportTitle(),
                           exportGroup, false);
    pdfAction->setText(exportTitle());

    for (QAction *action : {fitWidthAction, fitPageAction})
        connect(action, &QAction::triggered, this, &reportWidget::handleFit);
    for (QAction *action : {firstPageAction, prevPageAction, nextPageAction, lastPageAction})
        connect(action, &QAction::triggered, this, &reportWidget::onNavigate);
    for (QAction *action : {singleModeAction, facingModeAction, overviewModeAction})
        connect(action, &QAction::triggered, this, &reportWidget::onSetMode);
    connect(portraitAction, &QAction::triggered, preview, &QPrintPreviewWidget::setPortraitOrientation);
    connect(landscapeAction, &QAction::triggered, preview, &QPrintPreviewWidget::setLandscapeOrientation);
    connect(printAction, &QAction::triggered, this, &reportWidget::onPrint);
    connect(pdfAction, &QAction::triggered, this, &reportWidget::onExportPDF);

    toolBar->addAction(fitWidthAction);
    toolBar->addAction(fitPageAction);
    toolBar->addSeparator();
    toolBar->addAction(zoomOutAction);
    toolBar->addWidget(zoomFactor);
    toolBar->addAction(zoomInAction);
    toolBar->addSeparator();
    toolBar->addAction(firstPageAction);
    toolBar->addAction(prevPageAction);

    auto *pageNumber = new QWidget(toolBar);
    auto *pageNumberLayout = new QHBoxLayout(pageNumber);
    pageNumberLayout->setContentsMargins(0, 0, 0, 0);
    pageNumberLayout->addWidget(pageNumEdit);
    pageNumberLayout->addWidget(pageNumLabel);
    toolBar->addWidget(pageNumber);

    toolBar->addAction(nextPageAction);
    toolBar->addAction(lastPageAction);
    toolBar->addSeparator();
    toolBar->addAction(singleModeAction);
    toolBar->addAction(facingModeAction);
    toolBar->addAction(overviewModeAction);
    toolBar->addSeparator();
    toolBar->addAction(portraitAction);
    toolBar->addAction(landscapeAction);
    toolBar->addSeparator();
    toolBar->addAction(pdfAction);
    toolBar->addSeparator();
    toolBar->addAction(printAction);

    // Zooming repeats while the button is held; the buttons, not the actions, zoom.
    const auto repeat = [this, toolBar](QAction *action, void (reportWidget::*slot)()) {
        auto *button = qobject_cast<QToolButton *>(toolBar->widgetForAction(action));
        button->setAutoRepeat(true);
        button->setAutoRepeatInterval(200);
        button->setAutoRepeatDelay(200);
        connect(button, &QToolButton::clicked, this, slot);
    };
    repeat(zoomInAction, &reportWidget::onZoomIn);
    repeat(zoomOutAction, &reportWidget::onZoomOut);
}

QByteArray reportWidget::makeHTMLDocument(QByteArray htmlTemplate, QDataSet *dataSet, QMap<QString, QVariant> values)
{
    return ReportTemplate::render(htmlTemplate, dataSet, values);
}

void reportWidget::setHTMLContent(QByteArray html)
{
    const int end = html.indexOf('\0');
    if (end >= 0)
        html.truncate(end);
    pageLayout->setContent(QString::fromUtf8(html));
    preview->updatePreview();
    handleFitControls();
}

void reportWidget::setData(QDataSet *dataSet, QByteArray htmlTemplate, QMap<QString, QVariant> values)
{
    setHTMLContent(makeHTMLDocument(htmlTemplate, dataSet, values));
}

void reportWidget::setFitting(bool on)
{
    if (on)
        return;
    fitWidthAction->setChecked(false);
    fitPageAction->setChecked(false);
}

void reportWidget::setFitMode(QPrintPreviewWidget::ZoomMode mode)
{
    fitPageAction->setChecked(mode == QPrintPreviewWidget::FitInView);
    fitWidthAction->setChecked(mode == QPrintPreviewWidget::FitToWidth);
}

void reportWidget::onPaintRequest(QPrinter *target)
{
    // The preview records what is drawn into pictures, every page up front;
    // it gets empty pages instead, and showPages draws those in view.
    const QPaintEngine *engine = target->paintEngine();
    const bool previewing = target == printer.get() && engine && engine->type() == QPaintEngine::Picture;
    lastPrintSucceeded = previewing ? pageLayout->printEmptyPages(target) : pageLayout->print(target);
    if (!lastPrintSucceeded)
        qCWarning(lcReports) << "Cannot print the report to" << target->outputFileName();
    Q_EMIT paintComplette();
}

void reportWidget::showPages()
{
    const auto *view = preview->findChild<QGraphicsView *>();
    if (!view || !view->scene())
        return;
    const QRectF printableArea = printer->pageLayout().paintRectPixels(printer->resolution());
    // The preview adds its pages to the scene in page order and stacks later
    // items above earlier ones, so the top-level items bottom up are the pages.
    int page = 0;
    const QList<QGraphicsItem *> items = view->scene()->items(Qt::AscendingOrder);
    for (QGraphicsItem *paper : items) {
        if (paper->parentItem())
            continue;
        if (paper->childItems().isEmpty())
            new ReportPageItem(pageLayout, page, printableArea, paper);
        ++page;
    }
}

void reportWidget::handleFit()
{
    const QAction *action = qobject_cast<QAction *>(sender());
    fitWidthAction->setChecked(action == fitWidthAction);
    fitPageAction->setChecked(action == fitPageAction);
    handleFitControls();
}

void reportWidget::handleFitControls()
{
    if (fitPageAction->isChecked())
        preview->fitInView();
    if (fitWidthAction->isChecked())
        preview->fitToWidth();
}

void reportWidget::updateZoomFactor()
{
    zoomFactor->lineEdit()->setText(QString::asprintf("%.1f%%", preview->zoomFactor() * 100));
}

void reportWidget::onZoomIn()
{
    setFitting(false);
    preview->zoomIn(1.1);
    updateZoomFactor();
}

void reportWidget::onZoomOut()
{
    setFitting(false);
    preview->zoomOut(1.1);
    updateZoomFactor();
}

void reportWidget::onZoomFactorChanged()
{
    QString text = zoomFactor->lineEdit()->text();
    text.remove(QLatin1Char('%'));
    bool ok = false;
    const double factor = qBound(1.0, text.toDouble(&ok), 1000.0);
    if (!ok)
        return;
    preview->setZoomFactor(factor / 100.0);
    zoomFactor->setEditText(QStringLiteral("%1%").arg(factor));
    setFitting(false);
}

void reportWidget::onPageNumEdited()
{
    bool ok = false;
    const int page = pageNumEdit->text().toInt(&ok);
    if (ok)
        preview->setCurrentPage(page);
}

void reportWidget::onNavigate()
{
    const QAction *action = qobject_cast<QAction *>(sender());
    const int current = preview->currentPage();
    if (action == prevPageAction)
        preview->setCurrentPage(current - 1);
    else if (action == nextPageAction)
        preview->setCurrentPage(current + 1);
    else if (action == firstPageAction)
        preview->setCurrentPage(1);
    else if (action == lastPageAction)
        preview->setCurrentPage(preview->pageCount());
    updateNavActions();
}

void reportWidget::onSetMode()
{
    const QAction *action = qobject_cast<QAction *>(sender());
    const bool overview = action == overviewModeAction;
    if (overview)
        preview->setViewMode(QPrintPreviewWidget::AllPagesView);
    else if (action == facingModeAction)
        preview->setViewMode(QPrintPreviewWidget::FacingPagesView);
    else
        preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    setFitting(false);
    fitGroup->setEnabled(!overview);
    navGroup->setEnabled(!overview);
    pageNumEdit->setEnabled(!overview);
    pageNumLabel->setEnabled(!overview);
}

void reportWidget::onPreviewChanged()
{
    updateNavActions();
    updatePageNumLabel();
    updateZoomFactor();
}

void reportWidget::updateNavActions()
{
    const int current = preview->currentPage();
    const int count = preview->pageCount();
    nextPageAction->setEnabled(current < count);
    lastPageAction->setEnabled(current < count);
    prevPageAction->setEnabled(current >= 2);
    firstPageAction->setEnabled(current >= 2);
    pageNumEdit->setText(QString::number(current));
}

void reportWidget::updatePageNumLabel()
{
    const int count = preview->pageCount();
    pageNumLabel->setText(QStringLiteral("/ %1").arg(count));
    const int digitsWidth = fontMetrics().horizontalAdvance(QString(QString::number(count).size(), QLatin1Char('8')));
    pageNumEdit->setFixedWidth(pageNumEdit->minimumSizeHint().width() + digitsWidth);
    pageNumValidator->setRange(1, count);
}

void reportWidget::onPrint()
{
    printer->setOutputFormat(QPrinter::NativeFormat);
    printer->setOutputFileName(QString());
    const QPageLayout before = printer->pageLayout();
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    preview->print();
    // Pages set up differently in the dialog are shown as they were printed.
    if (!printer->pageLayout().isEquivalentTo(before))
        preview->updatePreview();
}

void reportWidget::onExportPDF()
{
    printer->setOutputFormat(QPrinter::PdfFormat);
    QString fileName = QFileDialog::getSaveFileName(nullptr, exportTitle(), printer->outputFileName(),
                                                    QStringLiteral("*.pdf"));
    // A cancelled dialog writes nothing, not even the file chosen last time.
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName.append(QLatin1String(".pdf"));
    exportPdf(fileName);
}

bool reportWidget::exportPdf(const QString &fileName)
{
    const QFileInfo target(fileName);
    QTemporaryFile part(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX.part").arg(target.fileName())));
    QString problem;
    if (!part.open()) {
        problem = QStringLiteral("В папке «%1» нельзя создать файл: %2")
                          .arg(QDir::toNativeSeparators(target.absolutePath()), part.errorString());
    } else {
        part.close();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(part.fileName());
        lastPrintSucceeded = false;
        preview->print();
        printer->setOutputFileName(target.absoluteFilePath());
        if (!lastPrintSucceeded || QFileInfo(part.fileName()).size() == 0)
            problem = QStringLiteral("Файл не записан.");
        else if (!ReportFiles::replaceFile(part.fileName(), target.absoluteFilePath()))
            problem = QStringLiteral("Не удалось заменить существующий файл.");
        else
            part.setAutoRemove(false);
    }
    if (problem.isEmpty())
        return true;
    qCWarning(lcReports) << "PDF export to" << fileName << "failed:" << problem;
    QMessageBox::critical(this, QStringLiteral("Ошибка"),
                          QStringLiteral("Не удалось сохранить отчёт в файл «%1».\n%2")
                                  .arg(QDir::toNativeSeparators(target.absoluteFilePath()), problem));
    return false;
}

void reportWidget::closeEvent(QCloseEvent *event)
{
    Q_EMIT closed();
    QWidget::closeEvent(event);
}
