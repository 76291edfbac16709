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

#endif // EVENTHANDLER_H
