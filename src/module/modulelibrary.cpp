#include "modulelibrary.h"

#include "appcontext.h"

QString getLibDirFile(QString name)
{
    const QString libDir = AppContext::libDir();
    if (libDir.isEmpty())
        return {};
    return libDir + QLatin1Char('/') + name;
}

QFunctionPointer resolveLibDirFunction(const QString &name, const char *symbol)
{
    const QString path = getLibDirFile(name);
    if (path.isEmpty())
        return nullptr;
    // A QLibrary going out of scope does not unload: the code resolved here stays valid.
    QLibrary library(path);
    return library.resolve(symbol);
}

QIcon getLibIcon(QString name)
{
    using IconFunc = QIcon (*)();
    const auto getIcon = reinterpret_cast<IconFunc>(resolveLibDirFunction(name, "getIcon"));
    return getIcon ? getIcon() : QIcon();
}
