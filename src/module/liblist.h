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

// The shell's list of loaded module libraries; owned by the shell.
class DEALS_EXPORT libList : public QList<libInfo>
{
};

#endif // LIBLIST_H
