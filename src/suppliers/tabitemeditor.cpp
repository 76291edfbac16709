#include "tabitemeditor.h"

#include "datatabletypes.h"
#include "itemtree.h"
#include "itemtreenode.h"
#include "qdatatable.h"
#include "supplierdirectoryeditor.h"
#include "suppliersupport.h"
#include "workplacelogging.h"

#include <QItemSelectionModel>
#include <QSqlRecord>
#include <QTreeWidget>

namespace {

const QString itemField = QStringLiteral("id_item");
const QString itemNameField = QStringLiteral("c_name_item");

} // namespace

TabItemEditor::TabItemEditor(SupplierDirectoryEditor *editor)
    : SupplierTabEditor(editor)
    , m_items(table(QStringLiteral("t_supplier_item")))
{
    editor->buttonAdd->setIcon(QIcon(QStringLiteral(":/Icons/left.png")));
    editor->buttonReplace->setIcon(QIcon(QStringLiteral(":/res/exchange.png")));
    editor->buttonDelete->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));
    if (m_items) {
        m_items->setView(editor->tvItem);
        SupplierSupport::reload(m_items, QStringLiteral("id_supplier"), -1);
        connect(m_items, &QDataTable::getDispInfo, this, &TabItemEditor::onGetDispInfo);
        connect(editor->tvItem->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &TabItemEditor::updateButtons);
        connect(editor->tvItem, &QAbstractItemView::doubleClicked, this, &TabItemEditor::showCurrentInTree);
    }
    connect(editor->buttonAdd, &QAbstractButton::clicked, this, &TabItemEditor::addItem);
    connect(editor->buttonReplace, &QAbstractButton::clicked, this, &TabItemEditor::replaceItem);
    connect(editor->buttonDelete, &QAbstractButton::clicked, this, &TabItemEditor::deleteItem);
    updateButtons();
}

void TabItemEditor::initItemTree()
{
    if (m_tree || readOnly())
        return;
    SupplierDirectoryEditor *editor = this->editor();
    m_tree = new ItemTree(editor);
    editor->horizontalLayoutItem->addWidget(m_tree);
    // The list has three columns of names, the tree one.
    editor->horizontalLayoutItem->setStretch(0, 3);
    editor->horizontalLayoutItem->setStretch(1, 2);
    connect(m_tree, &ItemTreeBase::signalBuildTree, editor, &SupplierDirectoryEditor::showStatus);
    connect(m_tree, &ItemTreeBase::setStatusMess, editor, &SupplierDirectoryEditor::setStatusMess);
    connect(m_tree, &ItemTreeBase::itemChanged, this, &TabItemEditor::updateButtons);
    // A double click on an item takes it, as "Добавить" does.
    connect(m_tree, &ItemTreeBase::itemDoubleClicked, this, &TabItemEditor::addItem);
    updateButtons();
}

ItemTree *TabItemEditor::itemTree() const
{
    return m_tree;
}

void TabItemEditor::refresh()
{
    SupplierSupport::reload(m_items, QStringLiteral("id_supplier"), contractorId());
    updateButtons();
}

bool TabItemEditor::isListed(qint64 itemId) const
{
    if (!m_items)
        return false;
    for (int row = 0; row < m_items->rowCount(); ++row) {
        const QSqlRecord record = m_items->getRecord(row, true);
        if (!record.isEmpty() && record.value(itemField).toLongLong() == itemId)
            return true;
    }
    return false;
}

QTreeWidgetItem *TabItemEditor::offeredNode() const
{
    if (readOnly() || !m_items || !m_tree)
        return nullptr;
    QTreeWidgetItem *node = m_tree->currentNode();
    const qint64 id = ItemTreeNode::itemId(node);
    if (ItemTreeNode::kind(node) != ItemTreeNode::Item || id <= 0 || isListed(id))
        return nullptr;
    return node;
}

int TabItemEditor::currentRow() const
{
    if (readOnly() || !m_items)
        return -1;
    const int row = editor()->tvItem->currentIndex().row();
    if (row < 0 || row >= m_items->rowCount() || m_items->getRowState(row) == rsDeleted)
        return -1;
    return row;
}

void TabItemEditor::updateButtons()
{
    const bool offered = offeredNode() != nullptr;
    const bool rowChosen = currentRow() >= 0;
    editor()->buttonAdd->setEnabled(offered);
    editor()->buttonReplace->setEnabled(offered && rowChosen);
    editor()->buttonDelete->setEnabled(rowChosen);
    if (m_tree)
        m_tree->updateButtons();
}

void TabItemEditor::takeNode(QSqlRecord *record, const QTreeWidgetItem *node)
{
    const QTreeWidgetItem *family = node->parent();
    const QTreeWidgetItem *type = family ? family->parent() : nullptr;
    record->setValue(itemField, ItemTreeNode::itemId(node));
    record->setValue(itemNameField, node->text(0));
    record->setValue(QStringLiteral("c_name_family"), family ? family->text(0) : QString());
    record->setValue(QStringLiteral("c_name_type"), type ? type->text(0) : QString());
}

void TabItemEditor::addItem()
{
    const QTreeWidgetItem *node = offeredNode();
    if (!node)
        return;
    QSqlRecord record = m_items->newRow(true);
    record.setValue(QStringLiteral("id_supplier"), contractorId());
    takeNode(&record, node);
    m_items->setRow(m_items->lastRow(), record);
    SupplierSupport::makeCurrent(m_items, m_items->lastRow());
    emit dataChanged();
    updateButtons();
}

void TabItemEditor::replaceItem()
{
    const QTreeWidgetItem *node = offeredNode();
    const int row = currentRow();
    if (!node || row < 0)
        return;
    QSqlRecord record = m_items->getRecord(row);
    takeNode(&record, node);
    m_items->setRow(row, record);
    emit dataChanged();
    updateButtons();
}

void TabItemEditor::deleteItem()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const QSqlRecord record = m_items->getRecord(row);
    const QString name = record.value(itemNameField).toString();
    if (!SupplierSupport::confirmDeletion(editor(), QStringLiteral("Вы действительно хотите удалить элемент"), name))
        return;
    qCDebug(lcSuppliers).noquote() << QStringLiteral("DELETING... %1, %2").arg(record.value(QStringLiteral("id")).toString(), name);
    SupplierSupport::removeRow(m_items, row);
    emit dataChanged();
    updateButtons();
}

void TabItemEditor::showCurrentInTree()
{
    const int row = editor()->tvItem->currentIndex().row();
    if (!m_tree || !m_items || row < 0 || row >= m_items->rowCount())
        return;
    m_tree->revealItem(m_items->getRecord(row).value(itemField).toLongLong());
    updateButtons();
}

void TabItemEditor::onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state)
{
    Q_UNUSED(column)
    Q_UNUSED(value)
    Q_UNUSED(record)
    SupplierSupport::markDeleted(cell, editor()->tvItem, state);
}
