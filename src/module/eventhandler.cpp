#include "eventhandler.h"

#include "objvar.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

eventHandlerRegistry *shellRegistry()
{
    if (!QCoreApplication::instance())
        return nullptr;
    return static_cast<eventHandlerRegistry *>(varToObj(qApp->property("EventHandlers")));
}

QString registryKey(const QString &table)
{
    return table.trimmed().toLower();
}

} // namespace

bool registerEventHandler(QString table, eventHandlerFunc handler, QString module)
{
    eventHandlerRegistry *registry = shellRegistry();
    qDebug().noquote() << "bool registerEventHandler(QString, eventHandlerFunc, QString)" << table
             << (handler ? "true" : "false") << module << static_cast<void *>(registry);
    if (!registry || !handler)
        return false;

    const QString key = registryKey(table);
    if (registry->contains(key))
        return false;
    registry->insert(key, eventHandlerInfo{module, handler});
    return true;
}

eventHandlerInfo getEventHandler(QString table)
{
    const eventHandlerRegistry *registry = shellRegistry();
    if (!registry)
        return {};
    return registry->value(registryKey(table));
}
