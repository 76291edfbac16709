#ifndef ITEMTREE_H
#define ITEMTREE_H

#include "itemtreebase.h"

class QSqlRecord;

namespace Ui {
class ItemTree;
}

// The whole item catalogue as a tree, with the search line and the buttons
// that add a family under a type and an item under a family. It loads through
// its own data set "Item_tree_dataset" (tables t_item_type, t_item_family,
// t_item, t_item_class, t_meas_unit) on the application's connection; new
// families and items are written at once.
//
// getItemTree() hands out one instance per process; a supplier editor makes
// its own with the constructor.
class DEALS_EXPORT ItemTree : public ItemTreeBase
{
    Q_OBJECT

public:
    explicit ItemTree(QWidget *parent = nullptr);
    ~ItemTree() override;

    // The process-wide instance, made on the first call and moved into
    // parent on every call; put it into a layout of parent. It survives the
    // parent: when that goes away it is taken out first.
    static ItemTree *getItemTree(QWidget *parent);

    // Asks for a new item's name (name is offered as it stands) and adds it
    // under node, or under node's family when node is an item.
    void addItem(QTreeWidgetItem *node, QString name);

public Q_SLOTS:
    void updateButtons() override;
    void on_btAddItem_clicked();
    void on_btAddFamily_clicked();

protected:
    bool chooseTables(QDataTable **types, QDataTable **families, QDataTable **items) override;
    int &sharedLoadedFamilies() override;
    bool &sharedWaitShown() override;

private:
    void buildDataSet();
    void reportDuplicate(const QString &message, const QString &name);
    // Writes a new row at once; on failure it is dropped again, so the table holds nothing unsaved.
    bool storeNewRow(QDataTable *table, const QSqlRecord &values, const QString &what);

    Ui::ItemTree *ui;
};

#endif // ITEMTREE_H
