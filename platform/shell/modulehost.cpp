#include "modulehost.h"

#include "mainwindow.h"

#include "appcontext.h"
#include "eventhandler.h"
#include "liblist.h"
#include "quserinterface.h"
#include "workplacelogging.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLibrary>
#include <QSet>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

#include <dlfcn.h>

namespace {

using IconFunc = QIcon (*)();
using ContentFunc = QStringList (*)();
using InterfaceFunc = QUserInterface *(*)(QWidget *parent);
using ActionsFunc = QList<QAction *> *(*)();

// Module libraries by the names the library list loads them with: the file
// name without its suffix, each file once however many links point to it.
QStringList libraryNames(const QString &folder)
{
    QStringList names;
    QSet<QString> seen;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.so")}, QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        const QString canonical = file.canonicalFilePath();
        if (seen.contains(canonical))
            continue;
        seen.insert(canonical);
        names.append(file.completeBaseName());
    }
    return names;
}

// The library's own function `symbol`: a look-up in a library also finds the
// functions of the libraries it links, and a sibling linking a module must
// not pass for that module.
QFunctionPointer ownFunction(QLibrary *library, const char *symbol)
{
    const QFunctionPointer function = library->resolve(symbol);
    Dl_info info;
    if (!function || !dladdr(reinterpret_cast<void *>(function), &info) || !info.dli_fname)
        return nullptr;
    const QString definedIn = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
    return definedIn == QFileInfo(library->fileName()).canonicalFilePath() ? function : nullptr;
}

} // namespace

ModuleHost::ModuleHost(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_refresh(new QAction(QIcon::fromTheme(QStringLiteral("view-refresh")), QStringLiteral("Обновить"), window))
    , m_help(new QAction(QStringLiteral("Справка"), window))
{
    m_refresh->setObjectName(QStringLiteral("acRefresh"));
    m_refresh->setShortcut(QKeySequence::Refresh);
    m_help->setObjectName(QStringLiteral("acHelp"));
    m_help->setShortcut(QKeySequence::HelpContents);
    connect(m_refresh, &QAction::triggered, this, &ModuleHost::refreshCurrent);
    connect(m_help, &QAction::triggered, this, &ModuleHost::showHelpContext);
    window->addAction(m_help);
    window->toolBar()->addAction(m_refresh);
    window->installEventFilter(this);
}

int ModuleHost::loadModules()
{
    libList *libraries = AppContext::libraries();
    if (!libraries)
        return 0;
    for (const QString &name : libraryNames(AppContext::libDir())) {
        if (QLibrary *library = libraries->getLibrary(name, true))
            host(library);
    }
    if (!m_modules.isEmpty())
        m_window->moduleArea()->setCurrentWidget(m_modules.first());
    return m_modules.size();
}

bool ModuleHost::host(QLibrary *library)
{
    // A library that does not say what it offers is a sibling (a dictionary,
    // a report) that modules call themselves.
    const auto content = reinterpret_cast<ContentFunc>(ownFunction(library, "getContent"));
    if (!content)
        return false;
    // The module registers its reminder handlers when asked for its icon;
    // what appears in the registry then is this module's.
    const eventHandlerRegistry *registry = AppContext::eventHandlers();
    const QList<QString> before = registry ? registry->keys() : QList<QString>();
    const auto iconFunc = reinterpret_cast<IconFunc>(ownFunction(library, "getIcon"));
    const QIcon icon = iconFunc ? iconFunc() : QIcon();
    QStringList handledModules;
    if (registry) {
        for (auto it = registry->cbegin(); it != registry->cend(); ++it) {
            if (!before.contains(it.key()))
                handledModules.append(it.value().module);
        }
    }

    QUserInterface *widget = nullptr;
    QList<QAction *> actions;
    for (const QString &entry : content()) {
        if (entry == QLatin1String("getInterface")) {
            if (const auto make = reinterpret_cast<InterfaceFunc>(ownFunction(library, "getInterface")))
                widget = make(m_window->moduleArea());
        } else if (entry == QLatin1String("getToolBarActions")) {
            const auto list = reinterpret_cast<ActionsFunc>(ownFunction(library, "getToolBarActions"));
            if (list && list())
                actions = *list();
        }
    }
    if (!widget) {
        qCWarning(lcShell) << "module" << library->fileName() << "gave no widget";
        return false;
    }

    m_window->moduleArea()->addTab(widget, icon, widget->windowTitle());
    if (!actions.isEmpty()) {
        m_window->toolBar()->addSeparator();
        m_window->toolBar()->addActions(actions);
    }
    m_modules.append(widget);
    for (const QString &module : qAsConst(handledModules))
        m_byModuleName.insert(module, widget);
    qCDebug(lcShell) << "module" << library->fileName() << "hosted";
    // A module loads its data when it is first refreshed.
    widget->refresh();
    return true;
}

QList<QUserInterface *> ModuleHost::modules() const
{
    QList<QUserInterface *> alive;
    for (const QPointer<QUserInterface> &module : m_modules) {
        if (module)
            alive.append(module);
    }
    return alive;
}

QUserInterface *ModuleHost::currentModule() const
{
    return qobject_cast<QUserInterface *>(m_window->moduleArea()->currentWidget());
}

bool ModuleHost::openRecord(const QString &table, long long id) const
{
    const eventHandlerInfo handler = getEventHandler(table);
    if (!handler.handler)
        return false;
    if (QUserInterface *module = m_byModuleName.value(handler.module))
        m_window->moduleArea()->setCurrentWidget(module);
    handler.handler(table, id);
    return true;
}

void ModuleHost::refreshCurrent()
{
    if (QUserInterface *module = currentModule())
        module->refresh();
}

void ModuleHost::showHelpContext()
{
    if (QUserInterface *module = currentModule())
        m_window->statusBar()->showMessage(QStringLiteral("Справка: %1").arg(module->helpContext()));
}

void ModuleHost::saveUserData()
{
    if (m_saved)
        return;
    m_saved = true;
    for (QUserInterface *module : modules())
        module->saveUserData();
}

bool ModuleHost::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close && !m_saved) {
        // A module's unsaved work would go with the window: it may keep it open.
        for (QUserInterface *module : modules()) {
            if (!module->canClose()) {
                event->ignore();
                return true;
            }
        }
        saveUserData();
    }
    return QObject::eventFilter(watched, event);
}
