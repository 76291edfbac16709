#include "combobox.h"

#include <QWheelEvent>

ComboBox::ComboBox(QWidget *parent)
    : QComboBox(parent)
{
}

void ComboBox::wheelEvent(QWheelEvent *event)
{
    // Left to the parent, so that a scroll area around the form still scrolls.
    event->ignore();
}
