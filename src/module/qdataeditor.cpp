#include "qdataeditor.h"

#include <QDialog>
#include <QEvent>
#include <QPushButton>

QDataEditor::QDataEditor(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);

    okButton()->setText(tr("Применить"));
    cancelButton()->setText(tr("Отмена"));
    // Enter in a field of the record editor must neither save the record nor
    // drop the changes, also when the frame sits in a dialog (the floating
    // window is one).
    for (QPushButton *button : {okButton(), cancelButton()}) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }
    bButtons->installEventFilter(this);
    onReset();

    connect(bButtons, &QDialogButtonBox::accepted, this, &QDataEditor::OnOK);
    connect(bButtons, &QDialogButtonBox::rejected, this, &QDataEditor::OnCancel);
    connect(lbCaption, &QClicableLabel::doubleClicked, this, &QDataEditor::onDblClick);
}

bool QDataEditor::eventFilter(QObject *watched, QEvent *event)
{
    // Each time it is shown the button box makes its accept button the
    // default, and a dialog around it remembers that button as its main
    // default, handing the default back whenever an auto-default button loses
    // the focus. Clearing the flag afterwards is therefore not enough: the box
    // does not get to choose (choosing is all it does on being shown).
    if (watched == bButtons && event->type() == QEvent::Show)
        return true;
    return QWidget::eventFilter(watched, event);
}

QPushButton *QDataEditor::okButton() const
{
    return bButtons->button(QDialogButtonBox::Ok);
}

QPushButton *QDataEditor::cancelButton() const
{
    return bButtons->button(QDialogButtonBox::Cancel);
}

void QDataEditor::initEditor(QWidget *editor)
{
    m_editor = editor;
    if (!editor)
        return;
    editorLayout->addWidget(editor);
    lbCaption->setText(editor->windowTitle());
}

void QDataEditor::initModal(const QDialog *dialog, QWidget *editor)
{
    initEditor(editor);
    if (!dialog)
        return;
    connect(bButtons, &QDialogButtonBox::accepted, dialog, &QDialog::accepted);
    connect(bButtons, &QDialogButtonBox::rejected, dialog, &QDialog::rejected);
}

void QDataEditor::OnChange()
{
    okButton()->setEnabled(true);
}

void QDataEditor::onReset()
{
    okButton()->setEnabled(false);
}

void QDataEditor::onDblClick()
{
    emit popup(this);
}

void QDataEditor::OnOK()
{
    onReset();
    emit ok();
}

void QDataEditor::OnCancel()
{
    onReset();
    emit cancel();
}
