#ifndef QWAITDIALOG_H
#define QWAITDIALOG_H

#include "dealsglobal.h"

#include <QWidget>

namespace Ui {
class QWaitDialog;
}

// A small window that stays on top while a long load runs, with a message
// and a running busy indicator.
class DEALS_EXPORT QWaitDialog : public QWidget
{
    Q_OBJECT

public:
    explicit QWaitDialog(const QString &text = QString(), QWidget *parent = nullptr);
    ~QWaitDialog() override;

    void setText(const QString &text);

protected:
    void changeEvent(QEvent *event) override;

private:
    // Held rather than inherited so that the generated form stays out of the
    // exported header.
    Ui::QWaitDialog *ui;
    QString m_text;
};

#endif // QWAITDIALOG_H
