#ifndef MODULEHOST_H
#define MODULEHOST_H

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class MainWindow;
class QAction;
class QLibrary;
class QUserInterface;

// Hosts the module libraries of the shell's library folder in the main
// window: each library that says what it offers (its "getContent") gets a
// tab with its icon and its widget ("getInterface"), and its actions
// ("getToolBarActions") go on the tool bar. The shell's own actions reach
// the module in the current tab: F1 asks it for its help context, F5
// refreshes it, and closing the window lets every module save its user data.
// Reminders go to the handler a module registered for the record's table.
class ModuleHost : public QObject
{
    Q_OBJECT

public:
    explicit ModuleHost(MainWindow *window);

    // Loads the modules found in the library folder; how many were hosted.
    // The first one becomes the current tab.
    int loadModules();

    QList<QUserInterface *> modules() const;
    QUserInterface *currentModule() const;

    // Opens the record as a reminder would: through the handler registered
    // for the table. False when no module handles the table.
    bool openRecord(const QString &table, long long id) const;

public slots:
    void refreshCurrent();
    void showHelpContext();
    // Once per session, however often the window is closed.
    void saveUserData();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool host(QLibrary *library);

    MainWindow *m_window;
    QAction *m_refresh;
    QAction *m_help;
    QList<QPointer<QUserInterface>> m_modules;
    // Module names of the reminder registry and the widget of each.
    QHash<QString, QPointer<QUserInterface>> m_byModuleName;
    bool m_saved = false;
};

#endif // MODULEHOST_H
