#ifndef EVENTHANDLER_H
#define EVENTHANDLER_H

#include "dealsglobal.h"

#include <QMap>
#include <QString>

// A reminder handler: called with the table name and the record id.
typedef void (*eventHandlerFunc)(QString table, long long id);

struct eventHandlerInfo
{
    QString module;
    eventHandlerFunc handler = nullptr;
};

// The shell's registry, keyed by the table name trimmed and lower-cased.
typedef QMap<QString, eventHandlerInfo> eventHandlerRegistry;

// Adds `handler` for `table` to the shell's registry ("EventHandlers").
// False when there is no registry or no handler, or when the table already has
// one: the first registration stays.
DEALS_EXPORT bool registerEventHandler(QString table, eventHandlerFunc handler, QString module);

// The registry entry for `table`; empty module and null handler when none.
DEALS_EXPORT eventHandlerInfo getEventHandler(QString table);

#endif // EVENTHANDLER_H
