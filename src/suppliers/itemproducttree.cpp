#include "itemproducttree.h"
#include "ui_itemproducttree.h"

#include "appcontext.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QIcon>
#include <QPointer>

namespace {

int loadedFamilies = 0;
bool waitShown = false;

} // namespace

ItemProductTree::ItemProductTree(QWidget *parent)
    : ItemTreeBase(parent)
    , ui(new Ui::ItemProductTree)
{
    ui->setupUi(this);
    ui->btRefresh->setIcon(QIcon(QStringLiteral(":/commonIcon/REFRESH")));
    ui->comboBoxFilter->addItem(QStringLiteral("Производство"), int(Production));
    ui->comboBoxFilter->addItem(QStringLiteral("Перепродажа"), int(Resale));
    ui->comboBoxFilter->addItem(QStringLiteral("Все"), int(All));
    attachForm(ui->twItems, ui->pbLoad, ui->edFind, ui->btRefresh);
    buildDataSet();
    connect(ui->comboBoxFilter, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ItemProductTree::buildTree);
    scheduleFirstBuild();
}

ItemProductTree::~ItemProductTree()
{
    delete ui;
}

ItemProductTree *ItemProductTree::getItemTree(QWidget *parent)
{
    static QPointer<ItemProductTree> shared;
    if (!shared)
        shared = new ItemProductTree;
    shared->adoptHost(parent);
    return shared;
}

int &ItemProductTree::sharedLoadedFamilies()
{
    return loadedFamilies;
}

bool &ItemProductTree::sharedWaitShown()
{
    return waitShown;
}

ItemProductTree::Restriction ItemProductTree::restriction() const
{
    return Restriction(ui->comboBoxFilter->currentData().toInt());
}

void ItemProductTree::setRestriction(Restriction restriction)
{
    const int index = ui->comboBoxFilter->findData(int(restriction));
    if (index >= 0)
        ui->comboBoxFilter->setCurrentIndex(index);
}

void ItemProductTree::buildDataSet()
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection)
        return;
    auto *dataSet = new QDataSet(this);
    dataSet->setObjectName(QStringLiteral("ItemProductTreeDataSet"));

    auto addTable = [&](const QString &name, const QString &select, bool native) {
        auto *table = new QDataTable(name, connection, dataSet);
        table->setScripts(select, QString(), QString(), QString(), native);
        dataSet->addTable(table);
        return table;
    };
    // Each filter has its three tables; the trees look rows up by id and parent.
    auto typeTable = [](QDataTable *table) {
        table->setKeyField(QStringLiteral("id"));
        table->addSearchIndex(QStringLiteral("id_parent"));
    };
    auto familyTable = [](QDataTable *table) {
        table->setKeyField(QStringLiteral("id"));
        table->addSearchIndex(QStringLiteral("id_type"));
    };
    auto itemTable = [](QDataTable *table) {
        table->setKeyField(QStringLiteral("id"));
        table->addSearchIndex(QStringLiteral("id_item_family"));
    };
    typeTable(addTable(QStringLiteral("t_item_type"), QStringLiteral("ALL_ITEM_TYPE_SELECT"), false));
    familyTable(addTable(QStringLiteral("t_item_family"), QStringLiteral("ALL_ITEM_FAMILY_SELECT"), false));
    itemTable(addTable(QStringLiteral("t_item"), QStringLiteral("ITEM_SELECT"), false));
    addTable(QStringLiteral("t_item_class"), QStringLiteral("ITEM_CLASS_SELECT"), false);
    typeTable(addTable(QStringLiteral("t_item_type_for_products"), QStringLiteral("TYPES_FOR_PRODUCTS_SELECT"), false));
    familyTable(addTable(QStringLiteral("t_item_family_for_products"),
                         QStringLiteral("SELECT f.* FROM dirs.t_item_family_select(NULL) f JOIN inv.t_product p "
                                        "ON p.id_item_family = f.id AND NOT p.b_is_del ;"),
                         true));
    itemTable(addTable(QStringLiteral("t_item_for_products"),
                       QStringLiteral("SELECT i.* FROM dirs.t_item_select(NULL) i JOIN inv.t_product_version pv "
                                      "ON pv.id_item = i.id AND NOT pv.b_is_del AND NOT b_is_not_use;"),
                       true));
    itemTable(addTable(QStringLiteral("t_item_not_for_products"),
                       QStringLiteral("SELECT i.* FROM dirs.t_item_select(NULL) i LEFT JOIN inv.t_product_version pv "
                                      "ON pv.id_item = i.id AND NOT pv.b_is_del WHERE pv.id IS NULL;"),
                       true));
    setDataSet(dataSet);
}

bool ItemProductTree::chooseTables(QDataTable **types, QDataTable **families, QDataTable **items)
{
    QString names[3];
    switch (restriction()) {
    case Production:
        names[0] = QStringLiteral("t_item_type_for_products");
        names[1] = QStringLiteral("t_item_family_for_products");
        names[2] = QStringLiteral("t_item_for_products");
        break;
    case Resale:
        names[0] = QStringLiteral("t_item_type");
        names[1] = QStringLiteral("t_item_family");
        names[2] = QStringLiteral("t_item_not_for_products");
        break;
    case All:
        names[0] = QStringLiteral("t_item_type");
        names[1] = QStringLiteral("t_item_family");
        names[2] = QStringLiteral("t_item");
        break;
    }
    *types = dataSet()->getTable(names[0]);
    *families = dataSet()->getTable(names[1]);
    *items = dataSet()->getTable(names[2]);
    return *types && *families && *items;
}
