#include "readonlydelegate.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

ReadOnlyDelegate::ReadOnlyDelegate(QObject *parent)
    : QItemDelegate(parent)
{
}

QWidget *ReadOnlyDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QWidget *editor = QItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setReadOnly(true);
    else if (auto *spin = qobject_cast<QAbstractSpinBox *>(editor))
        spin->setReadOnly(true);
    else if (auto *text = qobject_cast<QTextEdit *>(editor))
        text->setReadOnly(true);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(editor))
        plain->setReadOnly(true);
    else if (editor)
        editor->setEnabled(false);
    return editor;
}

void ReadOnlyDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    Q_UNUSED(editor)
    Q_UNUSED(model)
    Q_UNUSED(index)
}
