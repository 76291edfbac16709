#include "qcommentdialog.h"

#include <QEvent>
#include <QPushButton>

QCommentDialog::QCommentDialog(QString text, bool readOnly, QWidget *parent)
    : QDialog(parent)
    , m_hasText(!text.isEmpty())
    , m_readOnly(readOnly)
{
    setupUi(this);
    if (m_hasText) {
        teComment->setReadOnly(readOnly);
        teComment->setPlainText(text);
    }
    setTitle();
    buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    // Connected after the text is in: showing it is no change.
    connect(teComment, &QPlainTextEdit::textChanged, this, &QCommentDialog::onCheckControls);
}

void QCommentDialog::setTitle()
{
    if (!m_hasText)
        setWindowTitle(tr("Add comment"));
    else
        setWindowTitle(m_readOnly ? tr("View comment") : tr("Edit comment"));
}

void QCommentDialog::onCheckControls()
{
    buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!teComment->toPlainText().trimmed().isEmpty());
}

void QCommentDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        setTitle();
    }
    QDialog::changeEvent(event);
}
