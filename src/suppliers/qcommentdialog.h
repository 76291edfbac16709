#ifndef QCOMMENTDIALOG_H
#define QCOMMENTDIALOG_H

#include "dealsglobal.h"
#include "ui_qcommentdialog.h"

#include <QDialog>

// A comment to add, edit or just read. OK is offered only once the text has
// been changed and is not empty; the caller reads the text from teComment.
// Cancel drops a typed text at once, as it says; Escape and the window's close
// button ask first, so that a stray key does not cost the text.
class DEALS_EXPORT QCommentDialog : public QDialog, public Ui::QCommentDialog
{
    Q_OBJECT

public:
    QCommentDialog(QString text, bool readOnly, QWidget *parent = nullptr);

public Q_SLOTS:
    void onCheckControls();
    void reject() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void setTitle();
    void discard();

    QString m_initialText;
    bool m_hasText;
    bool m_readOnly;
};

#endif // QCOMMENTDIALOG_H
