#include "itemtreematches.h"

#include "datatabletypes.h"
#include "itemtreenode.h"
#include "qdatatable.h"

#include <QSqlRecord>
#include <QStandardItemModel>

#include <functional>

namespace {

const QString idField = QStringLiteral("id");
const QString nameField = QStringLiteral("c_name");

qint64 valueAt(const QDataTable *table, int row, const QString &field)
{
    const QStandardItemModel *model = table->getModel();
    return model->index(row, table->columnIndex(field)).data(ValueRole).toLongLong();
}

// Reads the names as the model holds them: no record is built per row, so
// 50,000 names take a few milliseconds.
void scanNames(const QDataTable *table, const QString &text, const std::function<void(int row)> &hit)
{
    const QStandardItemModel *model = table->getModel();
    const int nameColumn = table->columnIndex(nameField);
    if (nameColumn < 0)
        return;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, nameColumn).data(ValueRole).toString().contains(text, Qt::CaseInsensitive)
            && table->getRowState(row) != rsDeleted) {
            hit(row);
        }
    }
}

} // namespace

ItemTreeMatches ItemTreeMatches::find(QDataTable *types, QDataTable *families, QDataTable *items, const QString &text)
{
    ItemTreeMatches found;
    if (!types || !families || !items || text.isEmpty())
        return found;
    scanNames(types, text, [&](int row) {
        const qint64 id = valueAt(types, row, idField);
        found.m_typesByName.insert(id);
        addTypeWithAncestors(types, id, &found.m_types);
    });
    scanNames(families, text, [&](int row) {
        const qint64 id = valueAt(families, row, idField);
        found.m_familiesByName.insert(id);
        found.m_families.insert(id);
    });
    scanNames(items, text, [&](int row) {
        found.m_items.insert(valueAt(items, row, idField));
        found.m_families.insert(valueAt(items, row, QStringLiteral("id_item_family")));
    });
    for (qint64 familyId : qAsConst(found.m_families)) {
        const int row = families->locate(idField, familyId);
        if (row >= 0)
            addTypeWithAncestors(types, valueAt(families, row, QStringLiteral("id_type")), &found.m_types);
    }
    return found;
}

void ItemTreeMatches::addTypeWithAncestors(QDataTable *types, qint64 typeId, QList<qint64> *list)
{
    if (!types || !list)
        return;
    // The schema forbids a type being its own parent; the bound also stops longer cycles.
    for (int steps = 0; typeId != 0 && steps <= types->rowCount(); ++steps) {
        const int row = types->locate(idField, typeId);
        if (row < 0)
            return;
        if (!list->contains(typeId))
            list->append(typeId);
        typeId = valueAt(types, row, QStringLiteral("id_parent"));
    }
}

bool ItemTreeMatches::contains(const QTreeWidgetItem *node) const
{
    switch (ItemTreeNode::kind(node)) {
    case ItemTreeNode::Type:
        return m_types.contains(ItemTreeNode::typeId(node));
    case ItemTreeNode::Family:
        return m_families.contains(ItemTreeNode::familyId(node));
    case ItemTreeNode::Item:
        return m_items.contains(ItemTreeNode::itemId(node));
    case ItemTreeNode::None:
        break;
    }
    return false;
}

bool ItemTreeMatches::containsByName(const QTreeWidgetItem *node) const
{
    switch (ItemTreeNode::kind(node)) {
    case ItemTreeNode::Type:
        return m_typesByName.contains(ItemTreeNode::typeId(node));
    case ItemTreeNode::Family:
        return m_familiesByName.contains(ItemTreeNode::familyId(node));
    case ItemTreeNode::Item:
        return m_items.contains(ItemTreeNode::itemId(node));
    case ItemTreeNode::None:
        break;
    }
    return false;
}
