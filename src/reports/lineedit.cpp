#include "lineedit.h"

LineEdit::LineEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QLineEdit::returnPressed, this, &LineEdit::handleReturnPressed);
}

void LineEdit::focusInEvent(QFocusEvent *event)
{
    origText = text();
    QLineEdit::focusInEvent(event);
}

void LineEdit::focusOutEvent(QFocusEvent *event)
{
    if (isModified() && !hasAcceptableInput())
        setText(origText);
    QLineEdit::focusOutEvent(event);
}

void LineEdit::handleReturnPressed()
{
    origText = text();
}
