#include "qprintpreviewmainwindow.h"

QPrintPreviewMainWindow::QPrintPreviewMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
}

QMenu *QPrintPreviewMainWindow::createPopupMenu()
{
    return nullptr;
}
