#ifndef QCLICABLELABEL_H
#define QCLICABLELABEL_H

#include "dealsglobal.h"

#include <QLabel>

// A label that reports double clicks, used as a caption that tears an editor off.
class DEALS_EXPORT QClicableLabel : public QLabel
{
    Q_OBJECT

public:
    explicit QClicableLabel(const QString &text, QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    explicit QClicableLabel(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

#endif // QCLICABLELABEL_H
