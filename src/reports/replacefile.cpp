#include "replacefile.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// The finished file was made as a private temporary file (owner only). A
// saved document is the user's file like any other: it gets the permissions
// of the file it replaces, or those every new file of the user gets.
void givePermissionsOfTarget(const QString &finished, const QString &target)
{
    if (QFileInfo::exists(target)) {
        QFile::setPermissions(finished, QFile::permissions(target));
        return;
    }
#ifdef Q_OS_UNIX
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(finished).constData(), 0666 & ~mask);
#endif
}

} // namespace

bool ReportFiles::replaceFile(const QString &finished, const QString &target)
{
    givePermissionsOfTarget(finished, target);
    if (std::rename(QFile::encodeName(finished).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
#ifdef Q_OS_WIN
    // Windows refuses to rename onto an existing file.
    return QFile::remove(target) && QFile::rename(finished, target);
#else
    return false;
#endif
}
