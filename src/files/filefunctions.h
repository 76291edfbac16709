#ifndef FILEFUNCTIONS_H
#define FILEFUNCTIONS_H

#include "dealsglobal.h"

#include <QByteArray>
#include <QString>

class QDataTable;

// CRC-32 (IEEE 802.3) of `length` bytes of `data` from `offset`; a length of
// 0 means up to the end. 0 for an empty range. Attachments are first matched
// by it, then by size and SHA-256 (see FileRecords::findSameContent).
DEALS_EXPORT quint32 crc32(const QByteArray &data, unsigned long long offset = 0, unsigned long long length = 0);

// Whether a name can be kept in the database store, which takes only lower-case
// Latin letters, digits, blanks and ! ? ( ) - _ = + * / . , < > : ; [ ] { }.
// Otherwise tells the user which characters are in the way and returns false.
DEALS_EXPORT bool checkFileName(QString &name);

// Brings a stored attachment to the user's disk: into a folder the user picks,
// or into the temporary folder and opens it with its program. False when
// nothing was written (cancelled, not found, or the user kept an existing file).
DEALS_EXPORT bool getFileFromBase(QString fileName, bool toChosenDirectory = false, bool help = false);

// Saves the files of every row of an attachment table into a folder the user
// picks, optionally a new subfolder of it.
DEALS_EXPORT void loadFileAllFromBase(QDataTable *table, bool help = false);

#endif // FILEFUNCTIONS_H
