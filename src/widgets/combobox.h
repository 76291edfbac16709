#ifndef COMBOBOX_H
#define COMBOBOX_H

#include "dealsglobal.h"

#include <QComboBox>

// A combo box for long scrolling forms: turning the mouse wheel over it
// scrolls the form and never changes the selection by accident.
class DEALS_EXPORT ComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ComboBox(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
};

#endif // COMBOBOX_H
