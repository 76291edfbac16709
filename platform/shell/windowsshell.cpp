// The shell's own windows.

#include "windowcatalog.h"

void addShellWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("main"), QStringLiteral("главное окно"),
                     [](QWidget *mainWindow, const QString &, QString *) { return mainWindow; }});
}
