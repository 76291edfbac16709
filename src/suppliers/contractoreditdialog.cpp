#include "contractoreditdialog.h"

#include "contractordataset.h"
#include "qdataset.h"
#include "supplierdirectoryeditor.h"
#include "widgetutils.h"

ContractorEditDialog::ContractorEditDialog(QDataSet *dataSet, QWidget *parent)
    : QDialog(parent)
    , m_dataSet(dataSet)
    , m_editor(nullptr)
{
    setupUi(this);
    if (!m_dataSet)
        m_dataSet = ContractorDataSet::create(ContractorDataSet::Editor, this);
    m_editor = new SupplierDirectoryEditor(m_dataSet, this);
    editorLayout->addWidget(m_editor);
    connect(m_editor, &SupplierDirectoryEditor::dataChanged, this, [this] { m_changed = true; });
    connect(buttonAccept, &QPushButton::clicked, this, &ContractorEditDialog::accept);
    // The button says what it does; only Escape and the window's close button ask.
    connect(buttonReject, &QPushButton::clicked, this, &ContractorEditDialog::discard);
}

void ContractorEditDialog::setData(QSqlRecord record)
{
    m_editor->setData(record);
    m_changed = false;
}

void ContractorEditDialog::setReadOnly(bool readOnly)
{
    m_editor->setReadOnly(readOnly);
    buttonAccept->setVisible(!readOnly);
    buttonReject->setText(readOnly ? QStringLiteral("Закрыть") : QStringLiteral("Отмена"));
}

void ContractorEditDialog::accept()
{
    if (m_editor->commit())
        QDialog::accept();
}

void ContractorEditDialog::reject()
{
    if (m_changed) {
        if (!confirmDiscard(this, QStringLiteral("Внимание!"),
                            QStringLiteral("Изменения контрагента не сохранены. Отменить их?")))
            return;
    }
    discard();
}

void ContractorEditDialog::discard()
{
    m_dataSet->rollback();
    QDialog::reject();
}
