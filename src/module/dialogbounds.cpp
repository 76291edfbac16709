#include "dialogbounds.h"

#include <QApplication>
#include <QWidget>

QRect bounds()
{
    const QWidget *mainWindow = nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows) {
        const QString name = window->objectName();
        if (name == QLatin1String("WorkplaceWindowWindow") || name == QLatin1String("ZMAWindow"))
            mainWindow = window;
    }
    if (!mainWindow)
        return {};

    const QRect window = mainWindow->geometry();
    QRect result(0, 0, window.width() - 40, window.height() - 40);
    result.moveCenter(window.center());
    return result;
}
