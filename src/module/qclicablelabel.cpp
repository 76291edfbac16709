#include "qclicablelabel.h"

QClicableLabel::QClicableLabel(const QString &text, QWidget *parent, Qt::WindowFlags flags)
    : QLabel(text, parent, flags)
{
}

QClicableLabel::QClicableLabel(QWidget *parent, Qt::WindowFlags flags)
    : QLabel(parent, flags)
{
}

void QClicableLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    emit doubleClicked();
}
