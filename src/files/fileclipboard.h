#ifndef FILECLIPBOARD_H
#define FILECLIPBOARD_H

#include "dealsglobal.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

class QMimeData;

// Attachments on the clipboard. Between attachment panels they travel as file
// ids in the format "BOLAK/fileid": 8-byte signed integers, little-endian, one
// after another. From the desktop's file manager they come as a list of file
// URLs (text/uri-list).
namespace FileClipboard {

DEALS_EXPORT extern const char *const mimeType; // "BOLAK/fileid"

DEALS_EXPORT QByteArray packIds(const QList<qint64> &ids);
// As many whole ids as the data holds; a trailing partial id is ignored.
DEALS_EXPORT QList<qint64> unpackIds(const QByteArray &data);

// Puts the ids greater than 0 on the system clipboard; false (and the
// clipboard untouched) when there are none.
DEALS_EXPORT bool copyIds(const QList<qint64> &ids);
DEALS_EXPORT QList<qint64> ids(const QMimeData *data);
// The local files among the URLs of the data (folders and remote URLs left out).
DEALS_EXPORT QStringList localFiles(const QMimeData *data);

} // namespace FileClipboard

#endif // FILECLIPBOARD_H
