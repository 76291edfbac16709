// A module library built twice with different versions; it tells which build it is.

#include <QIcon>
#include <QPixmap>
#include <QString>

#define MODULE_EXPORT extern "C" Q_DECL_EXPORT

MODULE_EXPORT QString libraryBuild()
{
    return QStringLiteral(MODULE_BUILD);
}

MODULE_EXPORT QString getSysName()
{
    return QStringLiteral("versioned");
}

MODULE_EXPORT QIcon getIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::darkGreen);
    return QIcon(pixmap);
}
