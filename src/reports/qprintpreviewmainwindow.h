#ifndef QPRINTPREVIEWMAINWINDOW_H
#define QPRINTPREVIEWMAINWINDOW_H

#include "dealsglobal.h"

#include <QMainWindow>

// Hosts the preview's tool bar; the tool bar cannot be hidden from a context menu.
class DEALS_EXPORT QPrintPreviewMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit QPrintPreviewMainWindow(QWidget *parent = nullptr);

    QMenu *createPopupMenu() override;
};

#endif // QPRINTPREVIEWMAINWINDOW_H
