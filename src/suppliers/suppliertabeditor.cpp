#include "suppliertabeditor.h"

#include "qdataset.h"
#include "supplierdirectoryeditor.h"

SupplierTabEditor::SupplierTabEditor(SupplierDirectoryEditor *editor)
    : QObject(editor)
    , m_editor(editor)
{
    connect(this, &SupplierTabEditor::dataChanged, editor, &SupplierDirectoryEditor::dataChanged);
}

QDataSet *SupplierTabEditor::dataSet() const
{
    return m_editor->dataSet();
}

QDataTable *SupplierTabEditor::table(const QString &name) const
{
    QDataSet *set = dataSet();
    return set ? set->getTable(name) : nullptr;
}

bool SupplierTabEditor::readOnly() const
{
    return m_editor->isReadOnly();
}

qint64 SupplierTabEditor::contractorId() const
{
    return m_editor->currentId();
}
