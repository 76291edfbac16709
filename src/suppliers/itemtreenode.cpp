#include "itemtreenode.h"

#include <QCollator>
#include <QHash>
#include <QIcon>
#include <QLocale>
#include <QSqlRecord>

namespace {

// Made once: reading an icon file for every node made opening a family of
// thousands of items take a third of a second.
const QIcon &iconFor(const QString &path)
{
    static QHash<QString, QIcon> icons;
    auto it = icons.find(path);
    if (it == icons.end())
        it = icons.insert(path, QIcon(path));
    return it.value();
}

qint64 idOf(const QTreeWidgetItem *node, int role)
{
    return node ? node->data(0, role).toLongLong() : 0;
}

const QCollator &nameOrder()
{
    static const QCollator collator = [] {
        QCollator russian(QLocale(QLocale::Russian, QLocale::Russia));
        russian.setCaseSensitivity(Qt::CaseInsensitive);
        russian.setNumericMode(true);
        return russian;
    }();
    return collator;
}

} // namespace

ItemTreeNode::ItemTreeNode(const QString &name)
    : QTreeWidgetItem(QStringList(name))
{
}

bool ItemTreeNode::operator<(const QTreeWidgetItem &other) const
{
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    return nameOrder().compare(text(column), other.text(column)) < 0;
}

ItemTreeNode::Kind ItemTreeNode::kind(const QTreeWidgetItem *node)
{
    if (itemId(node) != 0)
        return Item;
    if (familyId(node) != 0)
        return Family;
    if (typeId(node) != 0)
        return Type;
    return None;
}

qint64 ItemTreeNode::typeId(const QTreeWidgetItem *node)
{
    return idOf(node, TypeIdRole);
}

qint64 ItemTreeNode::familyId(const QTreeWidgetItem *node)
{
    return idOf(node, FamilyIdRole);
}

qint64 ItemTreeNode::itemId(const QTreeWidgetItem *node)
{
    return idOf(node, ItemIdRole);
}

bool ItemTreeNode::isLoaded(const QTreeWidgetItem *node)
{
    return node && node->data(0, LoadedRole).toBool();
}

void ItemTreeNode::setLoaded(QTreeWidgetItem *node, bool loaded)
{
    if (node)
        node->setData(0, LoadedRole, loaded);
}

QString ItemTreeNode::placeholderText()
{
    return QStringLiteral("<FAKE>");
}

bool ItemTreeNode::isPlaceholder(const QTreeWidgetItem *node)
{
    return node && kind(node) == None && node->text(0) == placeholderText();
}

void ItemTreeNode::addPlaceholder(QTreeWidgetItem *node)
{
    if (node)
        node->addChild(new ItemTreeNode(placeholderText()));
}

void ItemTreeNode::setTypeData(QTreeWidgetItem *node, const QSqlRecord &record)
{
    node->setText(0, record.value(QStringLiteral("c_name")).toString());
    node->setData(0, TypeIdRole, record.value(QStringLiteral("id")).toLongLong());
    node->setData(0, TypeClassRole, record.value(QStringLiteral("id_class")).toLongLong());
    node->setIcon(0, iconFor(QStringLiteral(":/Icons/TYPE")));
}

void ItemTreeNode::setFamilyData(QTreeWidgetItem *node, const QSqlRecord &record)
{
    node->setText(0, record.value(QStringLiteral("c_name")).toString());
    node->setData(0, FamilyIdRole, record.value(QStringLiteral("id")).toLongLong());
    node->setIcon(0, iconFor(QStringLiteral(":/Icons/FAMILY")));
}

void ItemTreeNode::setItemData(QTreeWidgetItem *node, const QSqlRecord &record)
{
    const bool confirmed = record.value(QStringLiteral("b_is_confirmed")).toBool();
    node->setText(0, record.value(QStringLiteral("c_name")).toString());
    node->setData(0, ItemIdRole, record.value(QStringLiteral("id")).toLongLong());
    node->setData(0, ConfirmedRole, confirmed);
    node->setData(0, MeasUnitNameRole, record.value(QStringLiteral("c_meas_unit")).toString());
    node->setData(0, MeasUnitIdRole, record.value(QStringLiteral("id_meas_unit")));
    QString icon = QStringLiteral(":/commonIcon/QUESTION");
    if (record.value(QStringLiteral("b_is_from1c")).toBool())
        icon = QStringLiteral(":/Icons/res/1C.png");
    else if (confirmed)
        icon = QStringLiteral(":/Icons/ITEM");
    node->setIcon(0, iconFor(icon));
}
