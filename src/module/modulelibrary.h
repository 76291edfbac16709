#ifndef MODULELIBRARY_H
#define MODULELIBRARY_H

#include "dealsglobal.h"

#include <QIcon>
#include <QLibrary>
#include <QString>

// "libDir" + "/" + name; empty when the shell published no "libDir".
DEALS_EXPORT QString getLibDirFile(QString name);

// The icon that the module library `name` in "libDir" gives through its
// "getIcon"; an empty icon when the library or the function is missing.
DEALS_EXPORT QIcon getLibIcon(QString name);

// The exported function `symbol` of the library `name` in "libDir", loading it
// when needed; null when either is missing. The library stays loaded.
DEALS_EXPORT QFunctionPointer resolveLibDirFunction(const QString &name, const char *symbol);

#endif // MODULELIBRARY_H
