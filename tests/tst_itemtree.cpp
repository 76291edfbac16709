// The item trees against the real server: lazy branches, search, new
// families and items written at once, the shared instances and the product
// tree's restrictions.

#include "suppliers/itemtreenode.h"
#include "modalanswerer.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"
#include "suppliers/itemproducttree.h"
#include "suppliers/itemtree.h"
#include "suppliers/newitemdialog.h"
#include "testserver.h"
#include "typing.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLibrary>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

QStringList childNames(const QTreeWidgetItem *node, bool visibleOnly = false)
{
    QStringList names;
    for (int i = 0; i < node->childCount(); ++i) {
        if (!visibleOnly || !node->child(i)->isHidden())
            names.append(node->child(i)->text(0));
    }
    return names;
}

QStringList topLevelNames(const QTreeWidget *tree, bool visibleOnly = false)
{
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (!visibleOnly || !tree->topLevelItem(i)->isHidden())
            names.append(tree->topLevelItem(i)->text(0));
    }
    return names;
}

QTreeWidgetItem *childNamed(QTreeWidget *tree, QTreeWidgetItem *node, const QString &name)
{
    const int count = node ? node->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem *child = node ? node->child(i) : tree->topLevelItem(i);
        if (child->text(0) == name)
            return child;
    }
    return nullptr;
}

// Opens the tree along the names, as a person clicking the arrows would.
QTreeWidgetItem *openPath(QTreeWidget *tree, const QStringList &path)
{
    QTreeWidgetItem *node = nullptr;
    for (const QString &name : path) {
        node = childNamed(tree, node, name);
        if (!node)
            return nullptr;
        node->setExpanded(true);
    }
    return node;
}

// Names a new family or item in the dialog the tree opens, and presses OK.
ModalAnswerer::Answer nameIt(const QString &name, const QString &unit = QString())
{
    return [name, unit](QWidget *widget) {
        auto *dialog = qobject_cast<NewItemDialog *>(widget);
        QVERIFY(dialog);
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("leName"));
        edit->clear();
        typeText(edit, name);
        if (!unit.isEmpty()) {
            auto *units = dialog->findChild<QComboBox *>(QStringLiteral("cbUnit"));
            units->setCurrentIndex(units->findText(unit));
        }
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    };
}

} // namespace

class tst_ItemTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void lazyBranches_data();
    void lazyBranches();
    void rebuildWhileLoading_data();
    void rebuildWhileLoading();
    void search_data();
    void search();
    void newFamilyAndItemInPlace();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void sharedInstances();
    void productTreeRestrictions_data();
    void productTreeRestrictions();

private:
    template<class Tree>
    Tree *makeTree();
    qlonglong count(const QString &statement);

    QLibrary m_driver;
    QSqlConnection m_connection;
    QList<QPointer<QWidget>> m_made;
};

void tst_ItemTree::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::openMainConnection(QStringLiteral("tst_itemtree"), &m_driver, &m_connection, true, &error),
             qPrintable(error));

    // A corner of the catalogue of the suite's own, besides the demo data.
    QSqlQuery query(m_connection.database());
    QVERIFY2(query.exec(QStringLiteral(
            "insert into dirs.t_item_type (c_name) values ('Измерительные приборы');"
            "insert into dirs.t_item_type (id_parent, c_name)"
            "  select id, 'Мультиметры и клещи' from dirs.t_item_type where c_name = 'Измерительные приборы';"
            "insert into dirs.t_item_type (id_parent, c_name)"
            "  select id, 'Осциллографы' from dirs.t_item_type where c_name = 'Измерительные приборы';"
            "insert into dirs.t_item_family (id_type, c_name, id_meas_unit)"
            "  select t.id, 'Мультиметры цифровые', u.id from dirs.t_item_type t, dirs.t_meas_unit u"
            "   where t.c_name = 'Мультиметры и клещи' and u.c_name = 'Штука';"
            "insert into dirs.t_item_family (id_type, c_name, id_meas_unit)"
            "  select t.id, 'Осциллографы запоминающие', u.id from dirs.t_item_type t, dirs.t_meas_unit u"
            "   where t.c_name = 'Осциллографы' and u.c_name = 'Штука';"
            "insert into dirs.t_item (id_item_family, c_name, id_meas_unit, b_is_confirmed)"
            "  select f.id, v, f.id_meas_unit, true from dirs.t_item_family f,"
            "         unnest(array['Мультиметр цифровой м-832', 'Мультиметр цифровой м-838', 'Мультиметр цифровой DT-9205A'])"
            "         v where f.c_name = 'Мультиметры цифровые';")),
             qPrintable(query.lastError().text()));
}

void tst_ItemTree::cleanup()
{
    for (const QPointer<QWidget> &widget : qAsConst(m_made))
        delete widget.data();
    m_made.clear();
}

template<class Tree>
Tree *tst_ItemTree::makeTree()
{
    auto *tree = new Tree;
    m_made.append(tree);
    tree->resize(400, 600);
    tree->show();
    QSignalSpy built(tree, &ItemTreeBase::signalBuildTree);
    // The first build starts on the event loop, after the widget appeared.
    [&] { QTRY_VERIFY_WITH_TIMEOUT(built.count() == 2 && !tree->isBuilding(), 30000); }();
    return tree;
}

qlonglong tst_ItemTree::count(const QString &statement)
{
    QSqlQuery query(m_connection.database());
    if (!query.exec(statement) || !query.next())
        return -1;
    return query.value(0).toLongLong();
}

void tst_ItemTree::lazyBranches_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<bool>("placeholder");
    QTest::addColumn<QStringList>("children");

    QTest::newRow("type with types") << QStringList{QStringLiteral("Измерительные приборы")} << true
                                     << QStringList{QStringLiteral("Мультиметры и клещи"), QStringLiteral("Осциллографы")};
    QTest::newRow("type with a family")
            << QStringList{QStringLiteral("Измерительные приборы"), QStringLiteral("Мультиметры и клещи")} << true
            << QStringList{QStringLiteral("Мультиметры цифровые")};
    QTest::newRow("family with items")
            << QStringList{QStringLiteral("Измерительные приборы"), QStringLiteral("Мультиметры и клещи"),
                           QStringLiteral("Мультиметры цифровые")}
            << true
            // In Russian order Cyrillic comes before Latin.
            << QStringList{QStringLiteral("Мультиметр цифровой м-832"), QStringLiteral("Мультиметр цифровой м-838"),
                           QStringLiteral("Мультиметр цифровой DT-9205A")};
    QTest::newRow("family without items")
            << QStringList{QStringLiteral("Измерительные приборы"), QStringLiteral("Осциллографы"),
                           QStringLiteral("Осциллографы запоминающие")}
            << true << QStringList();
    QTest::newRow("root type with nothing below") << QStringList{QStringLiteral("Услуги сторонних организаций")}
                                                  << false << QStringList();
}

void tst_ItemTree::lazyBranches()
{
    QFETCH(QStringList, path);
    QFETCH(bool, placeholder);
    QFETCH(QStringList, children);

    ItemTree *tree = makeTree<ItemTree>();
    QTreeWidget *view = tree->treeWidget();
    QTreeWidgetItem *parent = openPath(view, path.mid(0, path.size() - 1));
    QTreeWidgetItem *node = childNamed(view, parent, path.last());
    QVERIFY(node);

    // Unopened: one placeholder child that gives the arrow, or none at all.
    QCOMPARE(childNames(node), placeholder ? QStringList{ItemTreeNode::placeholderText()} : QStringList());
    QVERIFY(!ItemTreeNode::isLoaded(node));

    QSignalSpy progress(tree, &ItemTreeBase::setStatusMess);
    node->setExpanded(true);
    QCOMPARE(childNames(node), children);
    QVERIFY(ItemTreeNode::isLoaded(node));
    // Families loaded report the progress of the whole list.
    const QRegularExpression progressText(QStringLiteral("^Загрузка списка: {1,5}\\d{1,3}\\.\\d\\d%$"));
    bool familiesBelow = false;
    for (int i = 0; i < node->childCount(); ++i)
        familiesBelow = familiesBelow || ItemTreeNode::kind(node->child(i)) == ItemTreeNode::Family;
    QCOMPARE(progress.isEmpty(), !familiesBelow);
    for (const QList<QVariant> &message : qAsConst(progress))
        QVERIFY2(progressText.match(message.first().toString()).hasMatch(), qPrintable(message.first().toString()));

    // Opened again: nothing is loaded twice.
    QList<QTreeWidgetItem *> before;
    for (int i = 0; i < node->childCount(); ++i)
        before.append(node->child(i));
    node->setExpanded(false);
    node->setExpanded(true);
    QCOMPARE(childNames(node), children);
    for (int i = 0; i < node->childCount(); ++i)
        QCOMPARE(node->child(i), before.at(i));

    // Unopened families below carry their own placeholder.
    for (int i = 0; i < node->childCount(); ++i) {
        if (ItemTreeNode::kind(node->child(i)) == ItemTreeNode::Family)
            QCOMPARE(childNames(node->child(i)), QStringList{ItemTreeNode::placeholderText()});
    }
}

void tst_ItemTree::rebuildWhileLoading_data()
{
    QTest::addColumn<bool>("visible");
    // On screen the wait window comes first, and showing it may run the rebuild;
    // hidden, the rebuild comes in the middle of the branch's rows.
    QTest::newRow("on screen") << true;
    QTest::newRow("hidden") << false;
}

void tst_ItemTree::rebuildWhileLoading()
{
    QFETCH(bool, visible);
    ItemTree *tree = makeTree<ItemTree>();
    tree->setVisible(visible);
    QTreeWidget *view = tree->treeWidget();
    const QStringList roots = topLevelNames(view);
    QTreeWidgetItem *node = childNamed(view, nullptr, QStringLiteral("Электронные компоненты"));
    QVERIFY(node);

    // The refresh comes while the branch yields to the event loop in the middle of its load.
    QTest::qWait(30);
    QSignalSpy built(tree, &ItemTreeBase::signalBuildTree);
    QTimer::singleShot(0, tree, &ItemTreeBase::on_btRefresh_clicked);
    node->setExpanded(true);
    QCOMPARE(built.count(), 2);
    QVERIFY(!tree->isBuilding());
    QCOMPARE(topLevelNames(view), roots);

    // The new nodes load as usual.
    node = childNamed(view, nullptr, QStringLiteral("Электронные компоненты"));
    QCOMPARE(childNames(node), QStringList{ItemTreeNode::placeholderText()});
    node->setExpanded(true);
    QCOMPARE(childNames(node), QStringList({QStringLiteral("Пассивные компоненты"),
                                            QStringLiteral("Полупроводниковые приборы"), QStringLiteral("Соединители")}));
}

void tst_ItemTree::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("visibleRoots");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QStringList>("visibleSiblings");

    QTest::newRow("capitals find small letters")
            << QStringLiteral("ЦИФРОВОЙ М-838") << QStringList{QStringLiteral("Измерительные приборы")}
            << QStringLiteral("Мультиметр цифровой м-838") << QStringList{QStringLiteral("Мультиметр цифровой м-838")};
    QTest::newRow("several items of one family")
            << QStringLiteral("мультиметр цифровой м-") << QStringList{QStringLiteral("Измерительные приборы")}
            << QStringLiteral("Мультиметр цифровой м-832")
            << QStringList{QStringLiteral("Мультиметр цифровой м-832"), QStringLiteral("Мультиметр цифровой м-838")};
    QTest::newRow("a family by its name shows all its items")
            << QStringLiteral("мультиметры цифр") << QStringList{QStringLiteral("Измерительные приборы")}
            << QStringLiteral("Мультиметры цифровые") << QStringList{QStringLiteral("Мультиметры цифровые")};
    QTest::newRow("a nested type by its name")
            << QStringLiteral("Осциллограф") << QStringList{QStringLiteral("Измерительные приборы")}
            << QStringLiteral("Осциллографы запоминающие") << QStringList{QStringLiteral("Осциллографы запоминающие")};
    QTest::newRow("hits under two roots")
            << QStringLiteral("DIN 912 М4×16") << QStringList{QStringLiteral("Крепёжные изделия")}
            << QStringLiteral("Винт DIN 912 М4×16 оц.") << QStringList{QStringLiteral("Винт DIN 912 М4×16 оц.")};
}

void tst_ItemTree::search()
{
    QFETCH(QString, text);
    QFETCH(QStringList, visibleRoots);
    QFETCH(QString, current);
    QFETCH(QStringList, visibleSiblings);

    ItemTree *tree = makeTree<ItemTree>();
    QTreeWidget *view = tree->treeWidget();
    const QStringList allRoots = topLevelNames(view);
    auto *find = tree->findChild<QLineEdit *>(QStringLiteral("edFind"));

    // Nothing found: a message, and the tree stays as it was.
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    find->setText(QStringLiteral("нет такого названия"));
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(answerer.texts, QStringList{QStringLiteral("По вашему запросу ничего не найдено")});
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Поиск")});
    QCOMPARE(topLevelNames(view, true), allRoots);

    // Every branch is still closed: the search opens the way to its first hit.
    find->setText(text);
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(topLevelNames(view, true), visibleRoots);
    QTreeWidgetItem *hit = tree->currentNode();
    QVERIFY(hit);
    QCOMPARE(hit->text(0), current);
    for (QTreeWidgetItem *up = hit->parent(); up; up = up->parent())
        QVERIFY2(up->isExpanded() && !up->isHidden(), qPrintable(up->text(0)));
    QCOMPARE(childNames(hit->parent(), true), visibleSiblings);
    // Choosing a node puts its name on the clipboard.
    QCOMPARE(QApplication::clipboard()->text(), current);

    // A family found by its own name opens in full.
    if (ItemTreeNode::kind(hit) == ItemTreeNode::Family) {
        hit->setExpanded(true);
        QCOMPARE(childNames(hit, true), childNames(hit));
    }

    // Emptying the line and pressing Enter shows everything again.
    find->clear();
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(topLevelNames(view, true), allRoots);
    QCOMPARE(childNames(hit->parent(), true), childNames(hit->parent()));
}

void tst_ItemTree::newFamilyAndItemInPlace()
{
    ItemTree *tree = makeTree<ItemTree>();
    QTreeWidget *view = tree->treeWidget();
    auto *addFamily = tree->findChild<QToolButton *>(QStringLiteral("btAddFamily"));
    auto *addItem = tree->findChild<QToolButton *>(QStringLiteral("btAddItem"));
    QTreeWidgetItem *type = openPath(view, {QStringLiteral("Измерительные приборы"), QStringLiteral("Мультиметры и клещи")});
    QVERIFY(type);
    view->setCurrentItem(type);
    QVERIFY(addFamily->isEnabled());
    QVERIFY(!addItem->isEnabled());
    QTreeWidgetItem *existingFamily = type->child(0);

    ModalAnswerer answerer;
    answerer.enqueue(nameIt(QStringLiteral("Клещи токоизмерительные"), QStringLiteral("Комплект")));
    // Then the tree offers the family's first item under the same name; it is renamed.
    answerer.enqueue(nameIt(QStringLiteral("Клещи токоизмерительные КТ-200")));
    QTest::mouseClick(addFamily, Qt::LeftButton);
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.unexpected, 0);

    // In place, without a reload: the nodes that were there are still the same.
    QCOMPARE(type->child(0) == existingFamily || type->child(1) == existingFamily, true);
    QTreeWidgetItem *family = childNamed(view, type, QStringLiteral("Клещи токоизмерительные"));
    QVERIFY(family);
    QCOMPARE(childNames(family), QStringList{QStringLiteral("Клещи токоизмерительные КТ-200")});
    QTreeWidgetItem *item = family->child(0);
    QCOMPARE(tree->currentNode(), item);
    QVERIFY(!item->data(0, ItemTreeNode::ConfirmedRole).toBool());
    QCOMPARE(item->data(0, ItemTreeNode::MeasUnitNameRole).toString(), QStringLiteral("Комплект"));

    // And in the database, with the ids the nodes carry.
    QCOMPARE(count(QStringLiteral("select count(*) from dirs.t_item_family f join dirs.t_item_type t on t.id = f.id_type"
                                  " join dirs.t_meas_unit u on u.id = f.id_meas_unit"
                                  " where f.c_name = 'Клещи токоизмерительные' and t.c_name = 'Мультиметры и клещи'"
                                  " and u.c_name = 'Комплект' and f.id = %1")
                           .arg(ItemTreeNode::familyId(family))),
             1LL);
    QCOMPARE(count(QStringLiteral("select count(*) from dirs.t_item where c_name = 'Клещи токоизмерительные КТ-200'"
                                  " and not b_is_confirmed and n_volume = 10 and id_item_family = %1 and id = %2")
                           .arg(ItemTreeNode::familyId(family))
                           .arg(ItemTreeNode::itemId(item))),
             1LL);

    // A second item from an item node goes to the same family.
    QVERIFY(addItem->isEnabled());
    answerer.enqueue(nameIt(QStringLiteral("  Клещи токоизмерительные КТ-400  ")));
    QTest::mouseClick(addItem, Qt::LeftButton);
    QCOMPARE(childNames(family), QStringList({QStringLiteral("Клещи токоизмерительные КТ-200"),
                                              QStringLiteral("Клещи токоизмерительные КТ-400")}));
    QCOMPARE(count(QStringLiteral("select count(*) from dirs.t_item where c_name = 'Клещи токоизмерительные КТ-400'")),
             1LL);
    QVERIFY(!tree->dataSet()->isModified());
}

void tst_ItemTree::badInputWritesNothing_data()
{
    QTest::addColumn<bool>("family");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("takenBehindOurBack");

    QTest::newRow("empty item name") << false << QString() << QString() << false << QString() << false;
    QTest::newRow("blank item name") << false << QStringLiteral("   ") << QString() << false << QString() << false;
    QTest::newRow("family without a unit") << true << QStringLiteral("Вольтметры щитовые") << QString() << false << QString() << false;
    QTest::newRow("duplicate item") << false << QStringLiteral("Мультиметр цифровой м-832") << QString() << true
                                    << QStringLiteral("Такой элемент уже существует") << false;
    QTest::newRow("duplicate family") << true << QStringLiteral("Мультиметры цифровые") << QStringLiteral("Штука") << true
                                      << QStringLiteral("Такое семейство уже существует") << false;
    QTest::newRow("item another user just added")
            << false << QStringLiteral("Мультиметр цифровой М-890") << QString() << true
            << QStringLiteral("Не удалось сохранить элемент \"Мультиметр цифровой М-890\".") << true;
}

void tst_ItemTree::badInputWritesNothing()
{
    QFETCH(bool, family);
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QFETCH(bool, okEnabled);
    QFETCH(QString, message);
    QFETCH(bool, takenBehindOurBack);

    ItemTree *tree = makeTree<ItemTree>();
    QTreeWidget *view = tree->treeWidget();
    QTreeWidgetItem *node = openPath(view, {QStringLiteral("Измерительные приборы"), QStringLiteral("Мультиметры и клещи"),
                                            QStringLiteral("Мультиметры цифровые")});
    QVERIFY(node);
    view->setCurrentItem(node);
    const int children = node->childCount();
    const QString familiesAndItems = QStringLiteral("select (select count(*) from dirs.t_item_family)"
                                                    " * 100000 + (select count(*) from dirs.t_item)");
    if (takenBehindOurBack) {
        QSqlQuery query(m_connection.database());
        QVERIFY(query.exec(QStringLiteral("insert into dirs.t_item (id_item_family, c_name) select id_item_family, '%1'"
                                          " from dirs.t_item where c_name = 'Мультиметр цифровой м-832'").arg(name)));
    }
    const qlonglong before = count(familiesAndItems);

    ModalAnswerer answerer;
    bool okWasEnabled = !okEnabled;
    answerer.enqueue([&](QWidget *widget) {
        auto *dialog = qobject_cast<NewItemDialog *>(widget);
        QVERIFY(dialog);
        QCOMPARE(dialog->findChild<QComboBox *>(QStringLiteral("cbUnit"))->isVisibleTo(dialog), family);
        typeText(dialog->findChild<QLineEdit *>(QStringLiteral("leName")), name);
        auto *units = dialog->findChild<QComboBox *>(QStringLiteral("cbUnit"));
        units->setCurrentIndex(units->findText(unit));
        QPushButton *ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        okWasEnabled = ok->isEnabled();
        if (okWasEnabled)
            ok->click();
        else
            dialog->reject();
    });
    if (!message.isEmpty())
        answerer.pressButton(QMessageBox::Ok);
    QTest::mouseClick(tree->findChild<QToolButton *>(family ? QStringLiteral("btAddFamily") : QStringLiteral("btAddItem")),
                      Qt::LeftButton);

    QCOMPARE(okWasEnabled, okEnabled);
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(answerer.texts, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(count(familiesAndItems), before);
    QCOMPARE(node->childCount(), children);
    QVERIFY(!tree->dataSet()->isModified());
    // A duplicate leads to the entry that is already there.
    if (message.startsWith(QStringLiteral("Так")))
        QCOMPARE(tree->findChild<QLineEdit *>(QStringLiteral("edFind"))->text(), name);
    if (takenBehindOurBack) {
        QSqlQuery query(m_connection.database());
        QVERIFY(query.exec(QStringLiteral("delete from dirs.t_item where c_name = '%1'").arg(name)));
    }
}

void tst_ItemTree::sharedInstances()
{
    auto first = std::make_unique<QWidget>();
    auto second = std::make_unique<QWidget>();
    ItemTree *tree = ItemTree::getItemTree(first.get());
    QCOMPARE(tree->parentWidget(), first.get());
    QCOMPARE(ItemTree::getItemTree(second.get()), tree);
    QCOMPARE(tree->parentWidget(), second.get());

    ItemProductTree *products = ItemProductTree::getItemTree(first.get());
    QCOMPARE(ItemProductTree::getItemTree(second.get()), products);
    QVERIFY(static_cast<QWidget *>(products) != static_cast<QWidget *>(tree));

    // A window that hosted a shared tree may go away; the tree stays for the next one.
    QPointer<ItemTree> guard(tree);
    QPointer<ItemProductTree> productGuard(products);
    second.reset();
    QVERIFY(guard);
    QVERIFY(productGuard);
    QCOMPARE(ItemTree::getItemTree(first.get()), tree);
    QCOMPARE(tree->parentWidget(), first.get());
    // A supplier editor's tree is its own.
    auto own = std::make_unique<ItemTree>();
    QVERIFY(own.get() != tree);
}

void tst_ItemTree::productTreeRestrictions_data()
{
    QTest::addColumn<int>("restriction");
    QTest::addColumn<bool>("allRoots");
    QTest::addColumn<QStringList>("familyItems");

    QTest::newRow("production") << int(ItemProductTree::Production) << false
                                << QStringList{QStringLiteral("Контроллер КУ-01 (ред. 3)"),
                                               QStringLiteral("Контроллер КУ-01М (ред. 1)")};
    QTest::newRow("resale") << int(ItemProductTree::Resale) << true << QStringList();
    QTest::newRow("all") << int(ItemProductTree::All) << true
                         << QStringList{QStringLiteral("Контроллер КУ-01 (ред. 2)"), QStringLiteral("Контроллер КУ-01 (ред. 3)"),
                                        QStringLiteral("Контроллер КУ-01М (ред. 1)")};
}

void tst_ItemTree::productTreeRestrictions()
{
    QFETCH(int, restriction);
    QFETCH(bool, allRoots);
    QFETCH(QStringList, familyItems);

    auto *tree = makeTree<ItemProductTree>();
    QSignalSpy built(tree, &ItemTreeBase::signalBuildTree);
    tree->setRestriction(ItemProductTree::Restriction(restriction));
    if (restriction != ItemProductTree::Production)
        QTRY_VERIFY_WITH_TIMEOUT(built.count() == 2 && !tree->isBuilding(), 30000);
    QCOMPARE(tree->findChild<QComboBox *>(QStringLiteral("comboBoxFilter"))->currentData().toInt(), restriction);

    QTreeWidget *view = tree->treeWidget();
    QCOMPARE(view->topLevelItemCount(),
             allRoots ? int(count(QStringLiteral("select count(*) from dirs.t_item_type where id_parent is null"))) : 1);
    QTreeWidgetItem *family = openPath(view, {QStringLiteral("Готовая продукция"), QStringLiteral("Контроллеры и модули"),
                                              QStringLiteral("Контроллер управления КУ-01")});
    QVERIFY(family);
    QCOMPARE(childNames(family), familyItems);
    // Read-only: no way to add anything.
    QVERIFY(!tree->findChild<QToolButton *>(QStringLiteral("btAddItem")));

    // What the deal position dialog reads from the chosen node.
    if (!familyItems.isEmpty()) {
        view->setCurrentItem(family->child(0));
        QVERIFY(tree->currentItemId() > 0);
        QCOMPARE(tree->currentNode()->data(0, ItemTreeNode::MeasUnitNameRole).toString(), QStringLiteral("Штука"));
        QCOMPARE(tree->currentNode()->data(0, ItemTreeNode::MeasUnitIdRole).toLongLong(),
                 count(QStringLiteral("select id from dirs.t_meas_unit where c_name = 'Штука'")));
    }
}

QTEST_MAIN(tst_ItemTree)
#include "tst_itemtree.moc"
