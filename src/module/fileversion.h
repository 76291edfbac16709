#ifndef FILEVERSION_H
#define FILEVERSION_H

#include "dealsglobal.h"

#include <QString>
#include <QStringList>

// A file version: bits 63-48 major, 47-32 minor, 31-16 build, 15-0 revision.
typedef quint64 verInfo;

// The fixed version of a library file, 0 when the file has none.
//
// Windows keeps it in the file's version resource. Our libraries carry the
// same record in an ELF section that the build embeds (cmake/WorkplaceVersion.cmake),
// and it is read from the file without loading the library.
DEALS_EXPORT verInfo fileVersionW(QString path);
DEALS_EXPORT verInfo fileVersion(QString path);

// "major.minor.build.revision" in decimal.
DEALS_EXPORT QString stringVersion(verInfo version);

// A string of the file's version record ("FileVersion", "ProductName", ...):
// the value of `key` in the first of `languages` (language and code page in
// hexadecimal, e.g. "041904b0") that the file holds; empty when none does.
DEALS_EXPORT QString strFileInfoW(QString path, QString key, QStringList languages);
DEALS_EXPORT QString stringFileInfoVar(QString path, QString key, QStringList languages);

#endif // FILEVERSION_H
