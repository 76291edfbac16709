#include "shellservices.h"

#include "objvar.h"
#include "qdbsettings.h"
#include "qsqlconnection.h"
#include "shelloptions.h"

#include <QApplication>
#include <QDir>
#include <QLibrary>
#include <QSettings>

ShellServices::ShellServices(QObject *parent)
    : QObject(parent)
    , m_settings(new QSettings(this))
{
}

ShellServices::~ShellServices()
{
    for (const char *name : {"Connection", "UserSettings", "Settings", "EventHandlers", "libList", "popupList"})
        qApp->setProperty(name, QVariant());
    for (const libInfo &info : qAsConst(m_libraries))
        delete info.library;
}

void ShellServices::publishSwitches(const ShellOptions &options)
{
    qApp->setProperty("SQLTraceFile", options.sqlTrace);
    qApp->setProperty("bDebugDB", options.debugDb);
    qApp->setProperty("bNoGUI", options.noGui);
    qApp->setProperty("bNoStoredProc", options.noStoredProc);
}

void ShellServices::publish(QSqlConnection *connection, const QString &libDir)
{
    qApp->setProperty("Connection", objToVar(connection));
    if (!m_userSettings)
        m_userSettings = new QDbSettings(this);
    qApp->setProperty("UserSettings", objToVar(m_userSettings));
    qApp->setProperty("Settings", objToVar(m_settings));
    qApp->setProperty("EventHandlers", objToVar(&m_eventHandlers));
    qApp->setProperty("libDir", QDir(libDir).absolutePath());
    qApp->setProperty("libList", objToVar(&m_libraries));
    qApp->setProperty("repoPath", m_settings->value(QStringLiteral("repoPath")).toString());
    qApp->setProperty("Locale", m_settings->value(QStringLiteral("locale"), QStringLiteral("DEFAULT")).toString());
    qApp->setProperty("LocaleDir", QDir(libDir).absoluteFilePath(QStringLiteral("translations")));
    qApp->setProperty("popupList", objToVar(&m_popups));
    qApp->setProperty("bBigDaddy", connection->canDo(QStringLiteral("BigDaddy")));
}
