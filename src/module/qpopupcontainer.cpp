#include "qpopupcontainer.h"

#include <QCloseEvent>

QPopupContainer::QPopupContainer(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
}

void QPopupContainer::accept()
{
    emit goBack();
}

void QPopupContainer::reject()
{
    emit goBack();
}

void QPopupContainer::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit goBack();
}
