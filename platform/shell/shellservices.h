#ifndef SHELLSERVICES_H
#define SHELLSERVICES_H

#include "eventhandler.h"
#include "liblist.h"

#include <QObject>
#include <QWidgetList>

class QDbSettings;
class QSettings;
class QSqlConnection;
struct ShellOptions;

// What the shell shares with the modules it loads, published as properties of
// the application object before any module is loaded. Owns what it publishes.
class ShellServices : public QObject
{
    Q_OBJECT

public:
    explicit ShellServices(QObject *parent = nullptr);
    ~ShellServices() override;

    // Switches that script execution reads on every statement; set before connecting.
    static void publishSwitches(const ShellOptions &options);
    // Module libraries and their translations are looked for where the shell is installed.
    void publish(QSqlConnection *connection);

private:
    QSettings *m_settings;
    QDbSettings *m_userSettings = nullptr;
    eventHandlerRegistry m_eventHandlers;
    libList m_libraries;
    QWidgetList m_popups;
};

#endif // SHELLSERVICES_H
