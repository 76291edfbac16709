#include "itemtree.h"
#include "ui_itemtree.h"

#include "appcontext.h"
#include "itemtreenode.h"
#include "newitemdialog.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "workplacelogging.h"

#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <QSqlField>
#include <QSqlRecord>

namespace {

int loadedFamilies = 0;
bool waitShown = false;

const QString typeTableName = QStringLiteral("t_item_type");
const QString familyTableName = QStringLiteral("t_item_family");
const QString itemTableName = QStringLiteral("t_item");
const QString unitTableName = QStringLiteral("t_meas_unit");

void putValue(QSqlRecord *record, const QString &field, const QVariant &value)
{
    record->append(QSqlField(field, value.type()));
    record->setValue(field, value);
}

} // namespace

ItemTree::ItemTree(QWidget *parent)
    : ItemTreeBase(parent)
    , ui(new Ui::ItemTree)
{
    ui->setupUi(this);
    ui->btRefresh->setIcon(QIcon(QStringLiteral(":/commonIcon/REFRESH")));
    ui->btAddFamily->setIcon(QIcon(QStringLiteral(":/Icons/FAMILY")));
    ui->btAddItem->setIcon(QIcon(QStringLiteral(":/Icons/res/chip-add.png")));
    attachForm(ui->twItems, ui->pbLoad, ui->edFind, ui->btRefresh);
    buildDataSet();
    ui->btAddFamily->setEnabled(false);
    ui->btAddItem->setEnabled(false);
    updateButtons();
    scheduleFirstBuild();
}

ItemTree::~ItemTree()
{
    delete ui;
}

ItemTree *ItemTree::getItemTree(QWidget *parent)
{
    static QPointer<ItemTree> shared;
    if (!shared)
        shared = new ItemTree;
    shared->adoptHost(parent);
    return shared;
}

int &ItemTree::sharedLoadedFamilies()
{
    return loadedFamilies;
}

bool &ItemTree::sharedWaitShown()
{
    return waitShown;
}

void ItemTree::buildDataSet()
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection)
        return;
    auto *dataSet = new QDataSet(this);
    dataSet->setObjectName(QStringLiteral("Item_tree_dataset"));

    auto addTable = [&](const QString &name, const QString &select, const QString &update, const QString &insert) {
        auto *table = new QDataTable(name, connection, dataSet);
        table->setScripts(select, update, insert, QString());
        dataSet->addTable(table);
        return table;
    };
    // The trees look rows up by parent and by name; the indexes must exist before the rows come.
    QDataTable *types = addTable(typeTableName, QStringLiteral("ALL_ITEM_TYPE_SELECT"), QString(), QString());
    types->setKeyField(QStringLiteral("id"));
    types->addSearchIndex(QStringLiteral("id_parent"));
    QDataTable *families = addTable(familyTableName, QStringLiteral("ALL_ITEM_FAMILY_SELECT"), QString(),
                                    QStringLiteral("ITEM_FAMILY_INSERT"));
    families->setKeyField(QStringLiteral("id"));
    families->addSearchIndex(QStringLiteral("id_type"));
    families->addSearchIndex(QStringLiteral("c_name"));
    QDataTable *items = addTable(itemTableName, QStringLiteral("ITEM_SELECT"), QStringLiteral("ITEM_UPDATE"),
                                 QStringLiteral("ITEM_INSERT"));
    items->setKeyField(QStringLiteral("id"));
    items->addSearchIndex(QStringLiteral("id_item_family"));
    items->addSearchIndex(QStringLiteral("c_name"));
    addTable(QStringLiteral("t_item_class"), QStringLiteral("ITEM_CLASS_SELECT"), QString(), QString());
    addTable(unitTableName, QStringLiteral("MEAS_UNIT_SELECT"), QString(), QString());

    dataSet->createDataLink(typeTableName, QStringLiteral("id"), QStringLiteral("id_parent"));
    dataSet->createDataLink(typeTableName, QStringLiteral("id"), familyTableName, QStringLiteral("id_type"));
    dataSet->createDataLink(familyTableName, QStringLiteral("id"), itemTableName, QStringLiteral("id_item_family"));
    setDataSet(dataSet);
}

bool ItemTree::chooseTables(QDataTable **types, QDataTable **families, QDataTable **items)
{
    *types = dataSet()->getTable(typeTableName);
    *families = dataSet()->getTable(familyTableName);
    *items = dataSet()->getTable(itemTableName);
    return *types && *families && *items;
}

void ItemTree::updateButtons()
{
    const QTreeWidgetItem *node = currentNode();
    if (!node)
        return;
    const ItemTreeNode::Kind kind = ItemTreeNode::kind(node);
    ui->btAddItem->setEnabled(kind == ItemTreeNode::Item || kind == ItemTreeNode::Family);
    ui->btAddFamily->setEnabled(kind == ItemTreeNode::Family || kind == ItemTreeNode::Type);
}

void ItemTree::on_btAddItem_clicked()
{
    addItem(currentNode(), QString());
}

void ItemTree::reportDuplicate(const QString &message, const QString &name)
{
    QMessageBox::warning(this, QStringLiteral("Ошибка"), message);
    // Leads the user to the entry that is already there.
    findEdit()->setText(name);
    search();
}

bool ItemTree::storeNewRow(QDataTable *table, const QSqlRecord &values, const QString &what)
{
    if (!table->open() || !table->addRow())
        return false;
    const int row = table->currentRow();
    QSqlRecord record = table->getRecord(row);
    for (int i = 0; i < values.count(); ++i)
        record.setValue(values.fieldName(i), values.value(i));
    table->setRow(row, record);
    if (table->commit())
        return true;
    // The database said no (a colleague took the name a moment ago, say); the
    // database error is in the log, the user gets the short story.
    table->rollback();
    qCWarning(lcSuppliers) << "could not store" << what << values;
    QMessageBox::warning(this, QStringLiteral("Ошибка"),
                         QStringLiteral("Не удалось сохранить %1 \"%2\".").arg(what, values.value(QStringLiteral("c_name")).toString()));
    return false;
}

void ItemTree::addItem(QTreeWidgetItem *node, QString name)
{
    QDataTable *items = dataSet() ? dataSet()->getTable(itemTableName) : nullptr;
    QDataTable *families = dataSet() ? dataSet()->getTable(familyTableName) : nullptr;
    if (!node || !items || !families || isBuilding())
        return;
    if (!openNode(node))
        return;
    treeWidget()->scrollToItem(node);
    if (ItemTreeNode::kind(node) != ItemTreeNode::Family)
        node = node->parent();
    if (ItemTreeNode::kind(node) != ItemTreeNode::Family)
        return;
    const qint64 familyId = ItemTreeNode::familyId(node);

    NewItemDialog dialog(nullptr, this);
    dialog.setUnitChoiceVisible(false);
    if (!name.isEmpty())
        dialog.setName(name);
    const quint64 generation = buildGeneration();
    if (dialog.exec() != QDialog::Accepted || dialog.name().isEmpty() || generation != buildGeneration())
        return;
    name = dialog.name();
    if (items->locate(QStringLiteral("c_name"), name) >= 0) {
        reportDuplicate(QStringLiteral("Такой элемент уже существует"), name);
        return;
    }

    const int familyRow = families->locate(QStringLiteral("id"), familyId);
    const QSqlRecord family = families->getRecord(familyRow);
    QSqlRecord values;
    putValue(&values, QStringLiteral("c_name"), name);
    putValue(&values, QStringLiteral("id_item_family"), familyId);
    putValue(&values, QStringLiteral("b_is_confirmed"), false);
    putValue(&values, QStringLiteral("n_volume"), 10);
    putValue(&values, QStringLiteral("id_meas_unit"), family.value(QStringLiteral("id_meas_unit")));
    putValue(&values, QStringLiteral("c_meas_unit"), family.value(QStringLiteral("c_meas_unit")));
    if (!storeNewRow(items, values, QStringLiteral("элемент")))
        return;

    // The row now holds what the server stored, its new id included.
    const QSqlRecord stored = items->getRecord(items->locate(QStringLiteral("c_name"), name));
    auto *child = new ItemTreeNode;
    ItemTreeNode::setItemData(child, stored);
    child->setIcon(0, QIcon(QStringLiteral(":/ItemTreeIcons/res/question.png")));
    node->addChild(child);
    treeWidget()->setCurrentItem(child);
    treeWidget()->scrollToItem(child);
}

void ItemTree::on_btAddFamily_clicked()
{
    QDataTable *families = dataSet() ? dataSet()->getTable(familyTableName) : nullptr;
    QTreeWidgetItem *node = currentNode();
    if (!node || !families || isBuilding())
        return;
    if (ItemTreeNode::kind(node) == ItemTreeNode::Family)
        node = node->parent();
    if (ItemTreeNode::kind(node) != ItemTreeNode::Type)
        return;
    const qint64 typeId = ItemTreeNode::typeId(node);
    const quint64 generation = buildGeneration();
    expandBranch(node, true);

    NewItemDialog dialog(dataSet()->getTable(unitTableName), this);
    dialog.setWindowTitle(QStringLiteral("Новое семейство"));
    // The tree may have been rebuilt while the branch loaded or the dialog was open: node is gone then.
    if (dialog.exec() != QDialog::Accepted || dialog.name().isEmpty() || generation != buildGeneration())
        return;
    const QString name = dialog.name();
    if (families->locate(QStringLiteral("c_name"), name) >= 0) {
        reportDuplicate(QStringLiteral("Такое семейство уже существует"), name);
        return;
    }

    QSqlRecord values;
    putValue(&values, QStringLiteral("c_name"), name);
    putValue(&values, QStringLiteral("id_type"), typeId);
    putValue(&values, QStringLiteral("id_meas_unit"), dialog.unitId());
    putValue(&values, QStringLiteral("c_meas_unit"), dialog.unitName());
    putValue(&values, QStringLiteral("n_reject_rate"), 0.0);
    if (!storeNewRow(families, values, QStringLiteral("семейство")))
        return;

    const QSqlRecord stored = families->getRecord(families->locate(QStringLiteral("c_name"), name));
    auto *child = new ItemTreeNode;
    ItemTreeNode::setFamilyData(child, stored);
    ItemTreeNode::setLoaded(child, true); // nothing to load: it is new
    node->addChild(child);
    treeWidget()->setCurrentItem(child);
    treeWidget()->scrollToItem(child);
    // A family rarely comes without items: offer its first one under the same name.
    addItem(child, name);
}
