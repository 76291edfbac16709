#ifndef WORKPLACELOGGING_H
#define WORKPLACELOGGING_H

#include "dealsglobal.h"

#include <QLoggingCategory>

// Diagnostics by subsystem. Debug output is off by default; switch a
// subsystem on with QT_LOGGING_RULES, e.g. "workplace.table.debug=true".
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcSql)       // workplace.sql: scripts and their errors
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcTable)     // workplace.table: tables and data sets
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcModule)    // workplace.module: module frame, entry points, siblings
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcDriver)    // workplace.driver: the driver library
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcFiles)     // workplace.files: attachments
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcShell)     // workplace.shell: the desktop host
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcSuppliers) // workplace.suppliers: directory, editors, item trees
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcDeals)     // workplace.deals: deals list and editor
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcReports)   // workplace.reports: reports, previews, documents
DEALS_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcSpell)     // workplace.spell: dictionaries and highlighting

#endif // WORKPLACELOGGING_H
