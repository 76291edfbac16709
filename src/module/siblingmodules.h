#ifndef SIBLINGMODULES_H
#define SIBLINGMODULES_H

#include "dealsglobal.h"

#include <QString>

class QDataSet;
class QWidget;

// Entry points of the shell's other module libraries, found in "libDir" by
// name. Each call does nothing (or gives a null widget) when the library or
// the entry point is missing.

// "ItemHistoryReport"
DEALS_EXPORT void showItemHistoryReport(long long id, QWidget *parent);
// The history report of the item's family.
DEALS_EXPORT void showItemHistoryReportByItem(long long itemId, QWidget *parent);

// "DesignDocumentation"
DEALS_EXPORT QWidget *getDesignDocumentation(QWidget *parent);
DEALS_EXPORT void setIDVersionDesignDocumentation(QWidget *widget, long long id);
DEALS_EXPORT void setIDProductDesignDocumentation(QWidget *widget, long long id);

// "FamilyParameters"
DEALS_EXPORT QWidget *getFamilyParameters(QWidget *parent);
DEALS_EXPORT void setIDFamilyParameters(QWidget *widget, long long id);
DEALS_EXPORT void showFamilyDetailDialog(long long id, QWidget *parent);

// "ProcessTechnologyEditor"
DEALS_EXPORT void showProcessTechnologyEditor(long long id1, long long id2, QWidget *parent);

// Brings the structure of another module's document (its "getDocument") into
// dataSet: tables and links it does not have yet. False when the library, the
// entry point or the shell's library list is missing.
DEALS_EXPORT bool mergeDocument(QString libName, QDataSet *dataSet, QWidget *parent);

#endif // SIBLINGMODULES_H
