#ifndef ITEMTREEMATCHES_H
#define ITEMTREEMATCHES_H

#include "dealsglobal.h"

#include <QList>
#include <QSet>
#include <QString>

class QDataTable;
class QTreeWidgetItem;

// The hits of one search over the three tables of an item tree: the types,
// families and items whose names contain the text, ignoring case, together
// with what leads to them, the family of every item hit and every type above
// a hit. Types and families found by their own name are kept apart as well:
// the tree shows everything below them.
class DEALS_EXPORT ItemTreeMatches
{
public:
    static ItemTreeMatches find(QDataTable *types, QDataTable *families, QDataTable *items, const QString &text);
    // Adds typeId and every type above it to list, each once.
    static void addTypeWithAncestors(QDataTable *types, qint64 typeId, QList<qint64> *list);

    bool isEmpty() const { return m_types.isEmpty(); }
    // The node is a hit or lies on the way to one.
    bool contains(const QTreeWidgetItem *node) const;
    // The node's own name matched.
    bool containsByName(const QTreeWidgetItem *node) const;

    const QList<qint64> &types() const { return m_types; }
    const QSet<qint64> &families() const { return m_families; }
    const QSet<qint64> &items() const { return m_items; }

private:
    QList<qint64> m_types;
    QSet<qint64> m_families;
    QSet<qint64> m_items;
    QSet<qint64> m_typesByName;
    QSet<qint64> m_familiesByName;
};

#endif // ITEMTREEMATCHES_H
