#ifndef APPCONTEXT_H
#define APPCONTEXT_H

#include "dealsglobal.h"

#include <QMap>
#include <QString>
#include <QWidgetList>

class QDbSettings;
class QSettings;
class QSqlConnection;
class libList;
struct eventHandlerInfo;

// The shell publishes its services as properties of the application object;
// that is the contract between the shell, this library and sibling modules.
// Everything reads and writes them here. Object properties hold pointers as
// 64-bit integers; a getter returns null when the property is missing, holds
// no integer, or (for objects) holds an object of another class.
namespace AppContext {

DEALS_EXPORT QSqlConnection *connection();
DEALS_EXPORT QDbSettings *userSettings();
DEALS_EXPORT QSettings *settings();
DEALS_EXPORT QMap<QString, eventHandlerInfo> *eventHandlers();
DEALS_EXPORT libList *libraries();
DEALS_EXPORT QWidgetList *popupList();

DEALS_EXPORT QString libDir();
DEALS_EXPORT QString repoPath();
DEALS_EXPORT QString locale();
DEALS_EXPORT QString localeDir();

// Switches of the shell's command line.
DEALS_EXPORT QString sqlTraceFile();
DEALS_EXPORT bool debugDb();
DEALS_EXPORT bool noGui();
DEALS_EXPORT bool noStoredProc();
DEALS_EXPORT bool bigDaddy();

// Who is logged in: "LogedIn" (the user's name), "LogedUser" (the login),
// "LogedPass" (the password given); set by QSqlConnection::login.
DEALS_EXPORT QString loggedInName();
DEALS_EXPORT QString loggedUser();
DEALS_EXPORT QString loggedPassword();
DEALS_EXPORT void setLogin(const QString &name, const QString &user, const QString &password);

DEALS_EXPORT void setConnection(QSqlConnection *connection);
DEALS_EXPORT void setUserSettings(QDbSettings *settings);
DEALS_EXPORT void setSettings(QSettings *settings);
DEALS_EXPORT void setEventHandlers(QMap<QString, eventHandlerInfo> *registry);
DEALS_EXPORT void setLibraries(libList *libraries);
DEALS_EXPORT void setPopupList(QWidgetList *popups);

DEALS_EXPORT void setLibDir(const QString &folder);
DEALS_EXPORT void setRepoPath(const QString &folder);
DEALS_EXPORT void setLocale(const QString &locale);
DEALS_EXPORT void setLocaleDir(const QString &folder);

DEALS_EXPORT void setSqlTraceFile(const QString &path);
DEALS_EXPORT void setDebugDb(bool on);
DEALS_EXPORT void setNoGui(bool on);
DEALS_EXPORT void setNoStoredProc(bool on);
DEALS_EXPORT void setBigDaddy(bool on);

// Where the driver finds the database ("DbHost", "DbPort", "DbName", "DbUser");
// empty parts leave the choice to libpq's defaults. The driver reads them itself.
struct DatabaseAddress
{
    QString host;
    QString port;
    QString name;
    QString user;
};
DEALS_EXPORT void setDatabaseAddress(const DatabaseAddress &address);
// "bDemoData": a database the driver creates gets demo data.
DEALS_EXPORT void setDemoData(bool on);

} // namespace AppContext

#endif // APPCONTEXT_H
