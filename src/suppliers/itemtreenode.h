#ifndef ITEMTREENODE_H
#define ITEMTREENODE_H

#include "dealsglobal.h"

#include <QString>
#include <QTreeWidgetItem>

class QSqlRecord;

// What the nodes of the item trees carry. A node is a type, a family or an
// item of the catalogue; its column 0 shows the name and its data roles hold
// the ids, so that whoever picks from a tree reads them without a query:
//
//   Qt::UserRole + 1  FamilyIdRole      family id (family nodes)
//   Qt::UserRole + 2  ItemIdRole        item id (item nodes)
//   Qt::UserRole + 3  TypeIdRole        type id (type nodes)
//   Qt::UserRole + 4  TypeClassRole     the type's item class id
//   Qt::UserRole + 5  ConfirmedRole     the item was checked by the catalogue keeper
//   Qt::UserRole + 6  MeasUnitNameRole  the item's unit name (dirs.t_meas_unit.c_name)
//   Qt::UserRole + 7  MeasUnitIdRole    the item's unit id
//   Qt::UserRole + 8  LoadedRole        a type's or family's children are loaded
//
// A node's kind is told by the first non-zero id among item, family and type.
// The trees sort their nodes by name as a Russian reader expects: letters
// by the alphabet whatever their case, numbers by value ("2,2 кОм" before
// "10 кОм").
class DEALS_EXPORT ItemTreeNode : public QTreeWidgetItem
{
public:
    enum Role {
        FamilyIdRole = Qt::UserRole + 1,
        ItemIdRole,
        TypeIdRole,
        TypeClassRole,
        ConfirmedRole,
        MeasUnitNameRole,
        MeasUnitIdRole,
        LoadedRole
    };

    enum Kind { None, Type, Family, Item };

    ItemTreeNode() = default;
    explicit ItemTreeNode(const QString &name);

    bool operator<(const QTreeWidgetItem &other) const override;

    static Kind kind(const QTreeWidgetItem *node);
    static qint64 typeId(const QTreeWidgetItem *node);
    static qint64 familyId(const QTreeWidgetItem *node);
    static qint64 itemId(const QTreeWidgetItem *node);

    static bool isLoaded(const QTreeWidgetItem *node);
    static void setLoaded(QTreeWidgetItem *node, bool loaded);

    // The child that gives an unloaded type or family its expand indicator.
    static QString placeholderText();
    static bool isPlaceholder(const QTreeWidgetItem *node);
    static void addPlaceholder(QTreeWidgetItem *node);

    // Name, roles and icon from a row of the type, family or item table.
    static void setTypeData(QTreeWidgetItem *node, const QSqlRecord &record);
    static void setFamilyData(QTreeWidgetItem *node, const QSqlRecord &record);
    static void setItemData(QTreeWidgetItem *node, const QSqlRecord &record);
};

#endif // ITEMTREENODE_H
