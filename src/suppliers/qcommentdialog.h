#ifndef QCOMMENTDIALOG_H
#define QCOMMENTDIALOG_H

#include "dealsglobal.h"
#include "ui_qcommentdialog.h"

#include <QDialog>

// A comment to add, edit or just read. OK is offered only once the text has
// been changed and is not empty; the caller reads the text from teComment.
class DEALS_EXPORT QCommentDialog : public QDialog, public Ui::QCommentDialog
{
    Q_OBJECT

public:
    QCommentDialog(QString text, bool readOnly, QWidget *parent = nullptr);

public Q_SLOTS:
    void onCheckControls();

protected:
    void changeEvent(QEvent *event) override;

private:
    void setTitle();

    bool m_hasText;
    bool m_readOnly;
};

#endif // QCOMMENTDIALOG_H
