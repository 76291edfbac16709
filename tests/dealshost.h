#ifndef DEALSHOST_H
#define DEALSHOST_H

// The deals module hosted as the shell hosts it: the event handler registry,
// the library list that finds the sibling "comdict" (DEALS_LIB_DIR), and the
// user's settings. Made once the connection is up; its end deletes the
// module's interface and the libraries, as closing the shell does.

#include "appcontext.h"
#include "dealsentrypoints.h"
#include "eventhandler.h"
#include "liblist.h"
#include "qdbsettings.h"
#include "quserinterface.h"

#include <QApplication>
#include <QLibrary>

class DealsHost
{
public:
    DealsHost()
    {
        AppContext::setEventHandlers(&registry);
        AppContext::setLibraries(&libraries);
        qApp->setProperty("libDir", QStringLiteral(DEALS_LIB_DIR));
        AppContext::setUserSettings(&settings);
    }
    ~DealsHost()
    {
        delete getInterface(nullptr);
        for (const libInfo &info : qAsConst(libraries))
            delete info.library;
        AppContext::setLibraries(nullptr);
        AppContext::setUserSettings(nullptr);
    }
    DealsHost(const DealsHost &) = delete;
    DealsHost &operator=(const DealsHost &) = delete;

    eventHandlerRegistry registry;
    libList libraries;
    QDbSettings settings;
};

#endif // DEALSHOST_H
