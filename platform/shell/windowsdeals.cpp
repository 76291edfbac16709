// The deals module's windows: the list in the main window and the editor of
// a deal on each of its tabs.

#include "windowcatalog.h"

#include "dealsentrypoints.h"
#include "qdataeditor.h"
#include "qdeals.h"
#include "qdealeditor.h"
#include "qdealsview.h"

#include <QTabWidget>

namespace {

// "ID" or "ID/TAB" with TAB one of the editor's tab names.
QWidget *openDeals(QWidget *mainWindow, const QString &argument, QString *error)
{
    auto *deals = qobject_cast<QDeals *>(getInterface(mainWindow));
    if (!deals) {
        *error = QStringLiteral("Модуль сделок не загружен.");
        return nullptr;
    }
    if (auto *tabs = mainWindow->findChild<QTabWidget *>(QStringLiteral("twModules")))
        tabs->setCurrentWidget(deals);
    if (argument.isEmpty())
        return mainWindow;

    bool numeric = false;
    const long long id = argument.section(QLatin1Char('/'), 0, 0).toLongLong(&numeric);
    const QString tab = argument.section(QLatin1Char('/'), 1);
    if (!numeric || deals->view()->setCurrentRowByID(id) < 0) {
        *error = QStringLiteral("Нет сделки \"%1\".").arg(argument.section(QLatin1Char('/'), 0, 0));
        return nullptr;
    }
    deals->setCurrentRowByID(id);
    if (!tab.isEmpty()) {
        QWidget *page = deals->editor()->tabWidget->findChild<QWidget *>(tab);
        if (!page || deals->editor()->tabWidget->indexOf(page) < 0) {
            *error = QStringLiteral("Нет вкладки \"%1\": tabDeal, tabDetail, tabFile, tabDoc.").arg(tab);
            return nullptr;
        }
        deals->editor()->tabWidget->setCurrentWidget(page);
    }
    return mainWindow;
}

} // namespace

void addDealsWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("deals"),
                     QStringLiteral("сделки; deals:ID открывает сделку, deals:ID/tabDetail - вкладку редактора"),
                     openDeals});
}
