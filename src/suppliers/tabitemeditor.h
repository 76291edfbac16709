#ifndef TABITEMEDITOR_H
#define TABITEMEDITOR_H

#include "celldata.h"
#include "suppliertabeditor.h"

#include <QPointer>

class ItemTree;
class QSqlRecord;
class QTreeWidgetItem;
class QVariant;

// The items a supplier supplies ("Товары"): the list t_supplier_item of the
// contractor data set in tvItem, and beside it an ItemTree of the whole
// catalogue to take items from. Additions, replacements and removals wait in
// the table and are saved, or dropped, with the rest of the editor.
//
// The tree is made the first time the tab is shown (initItemTree) and is the
// tab's own, not the process-wide one. An editor that only shows a contractor
// gets no tree: there is nothing to take items for.
class DEALS_EXPORT TabItemEditor : public SupplierTabEditor
{
    Q_OBJECT

public:
    explicit TabItemEditor(SupplierDirectoryEditor *editor);

    void initItemTree();
    // Null until the tab was first shown.
    ItemTree *itemTree() const;

    // Whether the list holds the item, a row marked for removal aside.
    bool isListed(qint64 itemId) const;

public Q_SLOTS:
    void refresh() override;
    void updateButtons();
    void addItem();
    void replaceItem();
    void deleteItem();
    // Opens the tree at the item of the list's current row.
    void showCurrentInTree();

private:
    void onGetDispInfo(int column, QVariant *value, cellData *cell, QSqlRecord *record, int state);
    // The tree's current item node when it may go into the list, else null.
    QTreeWidgetItem *offeredNode() const;
    // The list's current row when it may be changed, else -1.
    int currentRow() const;
    // Writes the node's item and names into the record.
    static void takeNode(QSqlRecord *record, const QTreeWidgetItem *node);

    QDataTable *m_items;
    QPointer<ItemTree> m_tree;
};

#endif // TABITEMEDITOR_H
