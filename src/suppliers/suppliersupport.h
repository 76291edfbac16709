#ifndef SUPPLIERSUPPORT_H
#define SUPPLIERSUPPORT_H

#include "celldata.h"
#include "dealsglobal.h"

#include <QString>
#include <QStringList>
#include <QVariant>

class QDataSet;
class QSqlError;
class QDataTable;
class QPoint;
class QTableView;
class QWidget;

// Small pieces every tab and dictionary dialog of the supplier directory
// shares, so that they all ask, draw and save the same way.
namespace SupplierSupport {

// Rows marked for deletion stay listed until the editor saves: italic,
// struck out and grey.
DEALS_EXPORT void markDeleted(cellData *cell, const QTableView *view, int state);

// "Удаление" with the question, a line break and the name in quotes; true
// when the user confirmed. Yes/No instead of OK/Cancel where asked for.
DEALS_EXPORT bool confirmDeletion(QWidget *parent, const QString &question, const QString &name, bool yesNo = false);

// A "Внимание!" warning.
DEALS_EXPORT void warn(QWidget *parent, const QString &text);

// Takes a row out of what the editor will save: a row not saved yet simply
// goes, a stored one is marked for deletion and stays listed until the save.
DEALS_EXPORT void removeRow(QDataTable *table, int row);

// Opens the dictionaries a table's display callback looks names up in. They
// must be open before the table loads: a lookup that had to load its
// dictionary in the middle of the table's own load would cut that load short.
DEALS_EXPORT void openLookups(QDataSet *set, const QStringList &tables);

// Loads the table again for one value of its select parameter.
DEALS_EXPORT bool reload(QDataTable *table, const QString &param, const QVariant &value);

// Why the database refused a write, in the words of the message the server or
// the conflict check gave; empty when there is nothing to say.
DEALS_EXPORT QString reason(const QSqlError &error);

// Writes the table's pending rows at once. When the database refuses, the
// table goes back to what it held before the change and the user is told, so
// that the refused change neither stays pending for a later save nor is lost
// without a word. After a conflict the table is loaded again, so that the
// next change starts from what the other user stored.
DEALS_EXPORT bool commitNow(QDataTable *table, QWidget *parent);

// Draws the rows again after a dictionary they show names from has changed,
// without changing what is pending.
DEALS_EXPORT void redecorate(QDataTable *table);

// Makes the row the current one of the table's view.
DEALS_EXPORT void makeCurrent(QDataTable *table, int row);

// The point a warning bubble about the widget points at.
DEALS_EXPORT QPoint bubblePoint(const QWidget *widget);

} // namespace SupplierSupport

#endif // SUPPLIERSUPPORT_H
