#include "shellservices.h"

#include "appcontext.h"
#include "qdbsettings.h"
#include "qsqlconnection.h"
#include "shelloptions.h"
#include "shellpaths.h"

#include <QLibrary>
#include <QSettings>

ShellServices::ShellServices(QObject *parent)
    : QObject(parent)
    , m_settings(new QSettings(this))
{
}

ShellServices::~ShellServices()
{
    AppContext::setConnection(nullptr);
    AppContext::setUserSettings(nullptr);
    AppContext::setSettings(nullptr);
    AppContext::setEventHandlers(nullptr);
    AppContext::setLibraries(nullptr);
    AppContext::setPopupList(nullptr);
    for (const libInfo &info : qAsConst(m_libraries))
        delete info.library;
}

void ShellServices::publishSwitches(const ShellOptions &options)
{
    AppContext::setSqlTraceFile(options.sqlTrace);
    AppContext::setDebugDb(options.debugDb);
    AppContext::setNoGui(options.noGui);
    AppContext::setNoStoredProc(options.noStoredProc);
}

void ShellServices::publish(QSqlConnection *connection)
{
    AppContext::setConnection(connection);
    if (!m_userSettings)
        m_userSettings = new QDbSettings(this);
    AppContext::setUserSettings(m_userSettings);
    AppContext::setSettings(m_settings);
    AppContext::setEventHandlers(&m_eventHandlers);
    AppContext::setLibDir(ShellPaths::libraryDir());
    AppContext::setLibraries(&m_libraries);
    AppContext::setRepoPath(m_settings->value(QStringLiteral("repoPath")).toString());
    AppContext::setLocale(m_settings->value(QStringLiteral("locale"), QStringLiteral("DEFAULT")).toString());
    AppContext::setLocaleDir(ShellPaths::translationsDir());
    AppContext::setPopupList(&m_popups);
    AppContext::setBigDaddy(connection->canDo(QStringLiteral("BigDaddy")));
}
