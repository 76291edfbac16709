#include "replacefile.h"

#include <QFile>

#include <cstdio>

bool ReportFiles::replaceFile(const QString &finished, const QString &target)
{
    if (std::rename(QFile::encodeName(finished).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
#ifdef Q_OS_WIN
    // Windows refuses to rename onto an existing file.
    return QFile::remove(target) && QFile::rename(finished, target);
#else
    return false;
#endif
}
