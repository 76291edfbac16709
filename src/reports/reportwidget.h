#ifndef REPORTWIDGET_H
#define REPORTWIDGET_H

#include "dealsglobal.h"
#include "reportpagelayout.h"

#include <QByteArray>
#include <QMap>
#include <QPrintPreviewWidget>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class LineEdit;
class QAction;
class QActionGroup;
class QComboBox;
class QDataSet;
class QIntValidator;
class QLabel;
class QPrinter;
class QTextDocument;
class QToolBar;

// Shows an HTML report as printed pages, with fitting, zooming, page
// navigation, page layout modes, orientation, printing and export to PDF.
// A plain widget: any dialog or window can embed it.
class DEALS_EXPORT reportWidget : public QWidget
{
    Q_OBJECT

public:
    explicit reportWidget(QWidget *parent = nullptr);
    ~reportWidget() override;

    // The finished HTML of a report template over a data set (see reporttemplate.h).
    static QByteArray makeHTMLDocument(QByteArray htmlTemplate, QDataSet *dataSet, QMap<QString, QVariant> values);

    void setHTMLContent(QByteArray html);
    void setData(QDataSet *dataSet, QByteArray htmlTemplate, QMap<QString, QVariant> values);

    // Writes the report as a PDF file; an existing file is replaced only by a
    // complete new one. False, with a message to the user, when it cannot be written.
    bool exportPdf(const QString &fileName);

Q_SIGNALS:
    void paintComplette();
    void closed();

public Q_SLOTS:
    void setFitMode(QPrintPreviewWidget::ZoomMode mode);
    void onPaintRequest(QPrinter *target);
    void onNavigate();
    void onSetMode();
    void onPreviewChanged();
    void handleFit();
    void handleFitControls();
    void updateZoomFactor();
    void onZoomIn();
    void onZoomOut();
    void onZoomFactorChanged();
    void onPageNumEdited();
    void updateNavActions();
    void updatePageNumLabel();
    void onPrint();
    void onExportPDF();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void initActions(QToolBar *toolBar);
    void fillToolBar(QToolBar *toolBar);
    QAction *makeAction(const char *objectName, const QString &icon, const QString &toolTip, QActionGroup *group,
                        bool checkable);
    void setFitting(bool on);
    void showPages();

    std::unique_ptr<QPrinter> printer;
    QPrintPreviewWidget *preview = nullptr;
    LineEdit *pageNumEdit = nullptr;
    QLabel *pageNumLabel = nullptr;
    QComboBox *zoomFactor = nullptr;
    QIntValidator *pageNumValidator = nullptr;

    QActionGroup *fitGroup = nullptr;
    QActionGroup *navGroup = nullptr;
    QActionGroup *modeGroup = nullptr;
    QActionGroup *orientationGroup = nullptr;
    QActionGroup *exportGroup = nullptr;

    QAction *fitWidthAction = nullptr;
    QAction *fitPageAction = nullptr;
    QAction *zoomInAction = nullptr;
    QAction *zoomOutAction = nullptr;
    QAction *firstPageAction = nullptr;
    QAction *prevPageAction = nullptr;
    QAction *nextPageAction = nullptr;
    QAction *lastPageAction = nullptr;
    QAction *singleModeAction = nullptr;
    QAction *facingModeAction = nullptr;
    QAction *overviewModeAction = nullptr;
    QAction *portraitAction = nullptr;
    QAction *landscapeAction = nullptr;
    QAction *printAction = nullptr;
    QAction *pdfAction = nullptr;

    // Owns the document the report is laid out in and drawn from.
    ReportPageLayout *pageLayout = nullptr;
    bool lastPrintSucceeded = false;
};

#endif // REPORTWIDGET_H
