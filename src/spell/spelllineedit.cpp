#include "spelllineedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QStyle>
#include <QStyleOptionFrame>

SpellLineEdit::SpellLineEdit(QWidget *parent)
    : SpellTextEdit(parent, QString())
{
    setTabChangesFocus(true);
    setLineWrapMode(QTextEdit::NoWrap);
    setAcceptRichText(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
}

QSize SpellLineEdit::sizeHint() const
{
    ensurePolished();
    const QFontMetrics metrics(font());
    const int height = qMax(metrics.height(), 14) + 4;
    const int width = metrics.horizontalAdvance(QLatin1Char('x')) * 17 + 4;
    QStyleOptionFrame option;
    option.initFrom(this);
    option.rect = contentsRect();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.features = QStyleOptionFrame::None;
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option,
                                     QSize(width, height).expandedTo(QApplication::globalStrut()), this);
}

void SpellLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT editingFinished();
        event->ignore();
        return;
    }
    SpellTextEdit::keyPressEvent(event);
}

void SpellLineEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    insertPlainText(text);
}
