#include "tabitemeditor.h"

#include "qdatatable.h"
#include "supplierdirectoryeditor.h"
#include "suppliersupport.h"

TabItemEditor::TabItemEditor(SupplierDirectoryEditor *editor)
    : SupplierTabEditor(editor)
    , m_items(table(QStringLiteral("t_supplier_item")))
{
    editor->buttonAdd->setIcon(QIcon(QStringLiteral(":/Icons/left.png")));
    editor->buttonDelete->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));
    if (m_items) {
        m_items->setView(editor->tvItem);
        SupplierSupport::reload(m_items, QStringLiteral("id_supplier"), -1);
    }
    updateButtons();
}

void TabItemEditor::initItemTree()
{
}

void TabItemEditor::refresh()
{
    SupplierSupport::reload(m_items, QStringLiteral("id_supplier"), contractorId());
    updateButtons();
}

void TabItemEditor::updateButtons()
{
    // Nothing to choose items from yet.
    editor()->buttonAdd->setEnabled(false);
    editor()->buttonReplace->setEnabled(false);
    editor()->buttonDelete->setEnabled(false);
}
