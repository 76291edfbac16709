#ifndef QPOPUPCONTAINER_H
#define QPOPUPCONTAINER_H

#include "dealsglobal.h"

#include <QDialog>

// The free-floating window of a torn-off editor. It never closes itself: OK,
// Cancel, Escape and the close button all ask the owner to dock the editor
// back (goBack), and the owner hides the window.
class DEALS_EXPORT QPopupContainer : public QDialog
{
    Q_OBJECT

public:
    explicit QPopupContainer(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

signals:
    void goBack();

public slots:
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
};

#endif // QPOPUPCONTAINER_H
