// The item trees and the dialog that names a new family or item.

#include "windowcatalog.h"

#include "suppliers/itemproducttree.h"
#include "suppliers/itemtree.h"
#include "suppliers/newitemdialog.h"

#include "qdataset.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTimer>

namespace {

// A picture of a tree is worth taking once it has read its tables.
void waitUntilBuilt(ItemTreeBase *tree)
{
    QEventLoop loop;
    QObject::connect(tree, &ItemTreeBase::signalBuildTree, &loop, [&loop](bool running) {
        if (!running)
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
}

// The argument, when given, is a search text: the tree opens at its hits.
QWidget *showTree(ItemTreeBase *tree, const QString &search)
{
    tree->setAttribute(Qt::WA_DeleteOnClose);
    tree->resize(520, 680);
    tree->show();
    waitUntilBuilt(tree);
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
}
