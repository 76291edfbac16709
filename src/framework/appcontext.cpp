#include "appcontext.h"

#include "objvar.h"
#include "qdbsettings.h"
#include "qsqlconnection.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

QVariant property(const char *name)
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application ? application->property(name) : QVariant();
}

void setProperty(const char *name, const QVariant &value)
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->setProperty(name, value);
}

// The pointer an integer property holds; null for anything else.
void *pointerProperty(const char *name)
{
    const QVariant value = property(name);
    switch (static_cast<QMetaType::Type>(value.type())) {
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
        return varToObj(value);
    default:
        return nullptr;
    }
}

template<typename T>
T *objectProperty(const char *name)
{
    return qobject_cast<T *>(static_cast<QObject *>(pointerProperty(name)));
}

void setPointerProperty(const char *name, const void *pointer)
{
    setProperty(name, pointer ? objToVar(pointer) : QVariant());
}

} // namespace

namespace AppContext {

QSqlConnection *connection() { return objectProperty<QSqlConnection>("Connection"); }
QDbSettings *userSettings() { return objectProperty<QDbSettings>("UserSettings"); }
QSettings *settings() { return objectProperty<QSettings>("Settings"); }

QMap<QString, eventHandlerInfo> *eventHandlers()
{
    return static_cast<QMap<QString, eventHandlerInfo> *>(pointerProperty("EventHandlers"));
}

libList *libraries() { return static_cast<libList *>(pointerProperty("libList")); }
QWidgetList *popupList() { return static_cast<QWidgetList *>(pointerProperty("popupList")); }

QString libDir() { return property("libDir").toString(); }
QString repoPath() { return property("repoPath").toString(); }
QString locale() { return property("Locale").toString(); }
QString localeDir() { return property("LocaleDir").toString(); }

QString sqlTraceFile() { return property("SQLTraceFile").toString(); }
bool debugDb() { return property("bDebugDB").toBool(); }
bool noGui() { return property("bNoGUI").toBool(); }
bool noStoredProc() { return property("bNoStoredProc").toBool(); }
bool bigDaddy() { return property("bBigDaddy").toBool(); }

QString loggedInName() { return property("LogedIn").toString(); }
QString loggedUser() { return property("LogedUser").toString(); }
QString loggedPassword() { return property("LogedPass").toString(); }

void setLogin(const QString &name, const QString &user, const QString &password)
{
    setProperty("LogedIn", name);
    setProperty("LogedUser", user);
    setProperty("LogedPass", password);
}

void setConnection(QSqlConnection *connection) { setPointerProperty("Connection", connection); }
void setUserSettings(QDbSettings *settings) { setPointerProperty("UserSettings", settings); }
void setSettings(QSettings *settings) { setPointerProperty("Settings", settings); }
void setEventHandlers(QMap<QString, eventHandlerInfo> *registry) { setPointerProperty("EventHandlers", registry); }
void setLibraries(libList *libraries) { setPointerProperty("libList", libraries); }
void setPopupList(QWidgetList *popups) { setPointerProperty("popupList", popups); }

void setLibDir(const QString &folder) { setProperty("libDir", folder); }
void setRepoPath(const QString &folder) { setProperty("repoPath", folder); }
void setLocale(const QString &locale) { setProperty("Locale", locale); }
void setLocaleDir(const QString &folder) { setProperty("LocaleDir", folder); }

void setSqlTraceFile(const QString &path) { setProperty("SQLTraceFile", path); }
void setDebugDb(bool on) { setProperty("bDebugDB", on); }
void setNoGui(bool on) { setProperty("bNoGUI", on); }
void setNoStoredProc(bool on) { setProperty("bNoStoredProc", on); }
void setBigDaddy(bool on) { setProperty("bBigDaddy", on); }

void setDatabaseAddress(const DatabaseAddress &address)
{
    setProperty("DbHost", address.host);
    setProperty("DbPort", address.port);
    setProperty("DbName", address.name);
    setProperty("DbUser", address.user);
}

void setDemoData(bool on) { setProperty("bDemoData", on); }

} // namespace AppContext
