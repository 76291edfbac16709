#ifndef LIBLIST_H
#define LIBLIST_H

#include "dealsglobal.h"

#include <QList>
#include <QString>

class QLibrary;

// One module library the shell has loaded.
struct libInfo
{
    QString name;
    bool flag = false;
    QLibrary *library = nullptr;
};

// The shell's list of loaded module libraries. The shell owns the list and the
// libraries in it; the loading code lives here so that every module shares it.
class DEALS_EXPORT libList : public QList<libInfo>
{
public:
    // The loaded library `name` (letter case ignored); loads it from "libDir"
    // first, updated from "repoPath" when the repository holds a newer build.
    // Null when the name is empty or the library cannot be loaded.
    QLibrary *getLibrary(QString name, bool flag);

private:
    QLibrary *findLoaded(const QString &name) const;
};

#endif // LIBLIST_H
