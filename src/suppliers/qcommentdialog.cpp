#include "qcommentdialog.h"

#include "widgetutils.h"

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
    m_initialText = teComment->toPlainText();
    setTitle();
    buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QCommentDialog::discard);
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

void QCommentDialog::reject()
{
    if (!teComment->isReadOnly() && teComment->toPlainText() != m_initialText) {
        if (!confirmDiscard(this, QStringLiteral("Внимание!"),
                            QStringLiteral("Комментарий не сохранён. Отменить изменения?")))
            return;
    }
    discard();
}

void QCommentDialog::discard()
{
    QDialog::reject();
}

void QCommentDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        setTitle();
    }
    QDialog::changeEvent(event);
}
