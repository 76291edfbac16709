#ifndef TABITEMEDITOR_H
#define TABITEMEDITOR_H

#include "suppliertabeditor.h"

// The items a supplier supplies ("Товары"). For now a placeholder: it lists
// the supplier's items when the server has their scripts and offers no
// editing; the controller with the item tree replaces this class, keeping
// its interface (refresh, initItemTree, updateButtons, dataChanged).
class DEALS_EXPORT TabItemEditor : public SupplierTabEditor
{
    Q_OBJECT

public:
    explicit TabItemEditor(SupplierDirectoryEditor *editor);

    // Called when the tab is first shown, to build what it browses.
    void initItemTree();

public Q_SLOTS:
    void refresh() override;
    void updateButtons();

private:
    QDataTable *m_items;
};

#endif // TABITEMEDITOR_H
