#include "shellpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString besideBinary(const QString &relative)
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') + relative);
}

bool isInstalled()
{
    return QFileInfo(besideBinary(QStringLiteral(WORKPLACE_LIBDIR_FROM_BIN))).isDir();
}

} // namespace

namespace ShellPaths {

QString libraryDir()
{
    return isInstalled() ? besideBinary(QStringLiteral(WORKPLACE_LIBDIR_FROM_BIN))
                         : QCoreApplication::applicationDirPath();
}

QString driverDir()
{
    return libraryDir() + QStringLiteral("/drivers");
}

QString translationsDir()
{
    return isInstalled() ? besideBinary(QStringLiteral(WORKPLACE_DATADIR_FROM_BIN "/translations"))
                         : libraryDir() + QStringLiteral("/translations");
}

} // namespace ShellPaths
