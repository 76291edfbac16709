#ifndef LINEEDIT_H
#define LINEEDIT_H

#include "dealsglobal.h"

#include <QLineEdit>

// A line edit for the preview's tool bar: a text the validator does not
// accept is taken back to the last accepted one when the focus leaves.
class DEALS_EXPORT LineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit LineEdit(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void handleReturnPressed();

    QString origText;
};

#endif // LINEEDIT_H
