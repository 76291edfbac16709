#include "qdataeditor.h"

#include <QDialog>
#include <QPushButton>

QDataEditor::QDataEditor(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);

    okButton()->setText(tr("Применить"));
    cancelButton()->setText(tr("Отмена"));
    // Enter in a field of the record editor must not save the record.
    for (QPushButton *button : {okButton(), cancelButton()}) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }
    onReset();

    connect(bButtons, &QDialogButtonBox::accepted, this, &QDataEditor::OnOK);
    connect(bButtons, &QDialogButtonBox::rejected, this, &QDataEditor::OnCancel);
    connect(lbCaption, &QClicableLabel::doubleClicked, this, &QDataEditor::onDblClick);
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
