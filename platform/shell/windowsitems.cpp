// The item trees, the dialog that names a new family or item, and the
// supplier editor's items tab with its tree.

#include "windowcatalog.h"

#include "suppliers/itemproducttree.h"
#include "suppliers/itemtree.h"
#include "suppliers/contractoreditdialog.h"
#include "suppliers/newitemdialog.h"
#include "suppliers/supplierdirectoryeditor.h"
#include "suppliers/tabitemeditor.h"

#include "qdataset.h"
#include "qdatatable.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTimer>

void waitForItemTree(ItemTreeBase *tree)
{
    if (!tree->isBuilding() && tree->treeWidget()->topLevelItemCount() > 0)
        return;
    QEventLoop loop;
    QObject::connect(tree, &ItemTreeBase::signalBuildTree, &loop, [&loop](bool running) {
        if (!running)
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
}

namespace {

// The argument, when given, is a search text: the tree opens at its hits.
QWidget *showTree(ItemTreeBase *tree, const QString &search)
{
    tree->setAttribute(Qt::WA_DeleteOnClose);
    tree->resize(520, 680);
    tree->show();
    waitForItemTree(tree);
    if (!search.isEmpty()) {
        tree->findChild<QLineEdit *>(QStringLiteral("edFind"))->setText(search);
        tree->search();
    }
    return tree;
}

QWidget *makeItemTree(QWidget *, const QString &argument, QString *)
{
    auto *tree = new ItemTree;
    tree->setWindowTitle(QStringLiteral("Номенклатура"));
    return showTree(tree, argument);
}

// ItemProductTree:[production|resale|all][,search text]
QWidget *makeProductTree(QWidget *, const QString &argument, QString *error)
{
    const QString restriction = argument.section(QLatin1Char(','), 0, 0);
    const QString search = argument.section(QLatin1Char(','), 1);
    ItemProductTree::Restriction chosen = ItemProductTree::Production;
    if (restriction == QLatin1String("resale")) {
        chosen = ItemProductTree::Resale;
    } else if (restriction == QLatin1String("all")) {
        chosen = ItemProductTree::All;
    } else if (!restriction.isEmpty() && restriction != QLatin1String("production")) {
        *error = QStringLiteral("ItemProductTree: production, resale или all, а не \"%1\"").arg(restriction);
        return nullptr;
    }
    auto *tree = new ItemProductTree;
    tree->setWindowTitle(QStringLiteral("Изделия и товары"));
    tree->setRestriction(chosen);
    showTree(tree, search);
    // What the company makes is a short list: shown opened, as a person would look at it.
    if (search.isEmpty() && chosen == ItemProductTree::Production && tree->treeWidget()->topLevelItemCount() > 0)
        tree->expandBranch(tree->treeWidget()->topLevelItem(0), true);
    return tree;
}

// NewItemDialog:family offers the units, as adding a family does.
QWidget *makeNewItemDialog(QWidget *mainWindow, const QString &argument, QString *)
{
    if (argument != QLatin1String("family")) {
        auto *dialog = new NewItemDialog(nullptr, mainWindow);
        dialog->setUnitChoiceVisible(false);
        dialog->setName(QStringLiteral("Резистор 0603 12 кОм ±1%"));
        return dialog;
    }
    // The tree's own data set holds the units table the dialog reads.
    auto *tree = new ItemTree(mainWindow);
    tree->hide();
    auto *dialog = new NewItemDialog(tree->dataSet() ? tree->dataSet()->getTable(QStringLiteral("t_meas_unit")) : nullptr,
                                     mainWindow);
    dialog->setWindowTitle(QStringLiteral("Новое семейство"));
    dialog->setName(QStringLiteral("Резисторы SMD 1206"));
    return dialog;
}

// The supplier editor on "Товары" for the contractor the argument names (an
// id or part of the name; the demo's first supplier without one), with its
// tree built and opened at the list's first item.
QWidget *makeSupplierItems(QWidget *mainWindow, const QString &argument, QString *error)
{
    auto *dialog = new ContractorEditDialog(nullptr, mainWindow);
    QDataTable *contractors = dialog->dataSet()->getTable(QStringLiteral("t_contractor"));
    bool isId = false;
    const qint64 id = argument.toLongLong(&isId);
    QSqlRecord chosen;
    for (int row = 0; contractors && row < contractors->rowCount() && chosen.isEmpty(); ++row) {
        const QSqlRecord record = contractors->getRecord(row);
        const bool wanted = argument.isEmpty() ? record.value(QStringLiteral("id")).toLongLong() == 1
                : isId ? record.value(QStringLiteral("id")).toLongLong() == id
                       : record.value(QStringLiteral("c_name")).toString().contains(argument, Qt::CaseInsensitive);
        if (wanted)
            chosen = record;
    }
    if (chosen.isEmpty()) {
        *error = QStringLiteral("Контрагент \"%1\" не найден.").arg(argument);
        delete dialog;
        return nullptr;
    }
    dialog->setWindowTitle(chosen.value(QStringLiteral("c_name")).toString());
    dialog->resize(1280, 680);
    dialog->setData(chosen);
    SupplierDirectoryEditor *editor = dialog->editor();
    editor->tabWidget->setCurrentWidget(editor->tabItem);
    dialog->show();
    TabItemEditor *tab = editor->itemTab();
    if (tab->itemTree()) {
        waitForItemTree(tab->itemTree());
        if (editor->tvItem->model() && editor->tvItem->model()->rowCount() > 0) {
            editor->tvItem->setCurrentIndex(editor->tvItem->model()->index(0, 0));
            tab->showCurrentInTree();
        }
    }
    return dialog;
}

} // namespace

void addItemsWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("ItemTree"), QStringLiteral("дерево номенклатуры (аргумент: текст поиска)"),
                     makeItemTree});
    entries->append({QStringLiteral("ItemProductTree"),
                     QStringLiteral("дерево изделий и товаров (аргумент: production|resale|all[,текст поиска])"),
                     makeProductTree});
    entries->append({QStringLiteral("NewItemDialog"),
                     QStringLiteral("новый элемент (аргумент family: новое семейство с единицами)"),
                     makeNewItemDialog});
    entries->append({QStringLiteral("supplier-items"),
                     QStringLiteral("товары поставщика в редакторе контрагента, с деревом номенклатуры "
                                    "(аргумент: id или часть названия)"),
                     makeSupplierItems});
}
