#ifndef ITEMPRODUCTTREE_H
#define ITEMPRODUCTTREE_H

#include "itemtreebase.h"

namespace Ui {
class ItemProductTree;
}

// The item catalogue as a read-only tree for picking what a deal sells,
// restricted by the filter above it:
//   "Производство" (Production, the default) — the types, families and
//       items the company makes (families with a product, items with a
//       version of it in use);
//   "Перепродажа" (Resale) — every type and family, only the items that are
//       no product version: goods bought to be sold on;
//   "Все" (All) — the whole catalogue.
// It loads through its own data set "ItemProductTreeDataSet".
//
// The deal position dialog takes the shared instance:
//
//     ItemProductTree *tree = ItemProductTree::getItemTree(dialog);
//     layout->insertWidget(0, tree);
//     connect(tree, &ItemTreeBase::signalBuildTree, dialog, &QWidget::setDisabled);
//     connect(tree, &ItemTreeBase::itemChanged, dialog, &Dialog::itemSelected);
//
// and reads the current node: tree->currentItemId() (> 0 only for an item,
// the node's ItemTreeNode::ItemIdRole, Qt::UserRole + 2), its text (the item's
// name) and its ItemTreeNode::MeasUnitIdRole (Qt::UserRole + 7, the item's
// unit id in dirs.t_meas_unit, whose n_precission gives the quantity's decimals).
// revealItem(id) opens the tree at an item already chosen.
class DEALS_EXPORT ItemProductTree : public ItemTreeBase
{
    Q_OBJECT

public:
    enum Restriction { Production = 256, Resale = 257, All = 258 };
    Q_ENUM(Restriction)

    explicit ItemProductTree(QWidget *parent = nullptr);
    ~ItemProductTree() override;

    // The process-wide instance, made on the first call and moved into
    // parent on every call; put it into a layout of parent. It survives the
    // parent: when that goes away it is taken out first.
    static ItemProductTree *getItemTree(QWidget *parent);

    Restriction restriction() const;
    // Selects the restriction in the filter box; a change rebuilds the tree.
    void setRestriction(Restriction restriction);

protected:
    bool chooseTables(QDataTable **types, QDataTable **families, QDataTable **items) override;
    int &sharedLoadedFamilies() override;
    bool &sharedWaitShown() override;

private:
    void buildDataSet();

    Ui::ItemProductTree *ui;
};

#endif // ITEMPRODUCTTREE_H
