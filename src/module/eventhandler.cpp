#include "eventhandler.h"

#include "appcontext.h"
#include "workplacelogging.h"

namespace {

QString registryKey(const QString &table)
{
    return table.trimmed().toLower();
}

} // namespace

bool registerEventHandler(QString table, eventHandlerFunc handler, QString module)
{
    eventHandlerRegistry *registry = AppContext::eventHandlers();
    qCDebug(lcModule).noquote() << "bool registerEventHandler(QString, eventHandlerFunc, QString)" << table
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
    const eventHandlerRegistry *registry = AppContext::eventHandlers();
    if (!registry)
        return {};
    return registry->value(registryKey(table));
}
