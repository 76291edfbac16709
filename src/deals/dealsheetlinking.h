#ifndef DEALSHEETLINKING_H
#define DEALSHEETLINKING_H

#include "dealsglobal.h"

#include <QSqlRecord>
#include <QString>
#include <QVector>

class QDataSet;
class QWidget;

// Linking a shipping sheet to the deal being edited: the deal editor's
// "Привязать отгрузку". The sheet is chosen in SheetNotLinkDialog among the
// sheets that carry one of the deal's items, and becomes a new row of the
// document's t_deal_link; it is written when the deal is saved.
class DEALS_EXPORT DealSheetLinking
{
public:
    // Dialogs and messages appear over `parent`.
    DealSheetLinking(QDataSet *document, QWidget *parent);

    // Asks for a sheet and adds it. False when nothing was added: the deal has
    // no items (the person is told), the dialog was cancelled, or the sheet is
    // one the deal already holds.
    bool linkSheet(long long dealId);

    // Adds the sheet as a link of the deal. False for an empty record and for
    // a sheet the deal already holds.
    bool addLink(const QSqlRecord &sheet, long long dealId);

    // The ids of the items the deal's positions carry, joined by ", ";
    // positions deleted in this edit and positions without an item do not count.
    QString itemList() const;
    // The sheets the deal holds, without those unlinked in this edit.
    QVector<long long> linkedIds() const;

private:
    QDataSet *m_document;
    QWidget *m_parent;
};

#endif // DEALSHEETLINKING_H
