#include "fileclipboard.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QtEndian>

namespace FileClipboard {

const char *const mimeType = "BOLAK/fileid";

QByteArray packIds(const QList<qint64> &ids)
{
    QByteArray data(ids.size() * int(sizeof(qint64)), Qt::Uninitialized);
    uchar *out = reinterpret_cast<uchar *>(data.data());
    for (qint64 id : ids) {
        qToLittleEndian<qint64>(id, out);
        out += sizeof(qint64);
    }
    return data;
}

QList<qint64> unpackIds(const QByteArray &data)
{
    QList<qint64> ids;
    const int count = data.size() / int(sizeof(qint64));
    const uchar *in = reinterpret_cast<const uchar *>(data.constData());
    for (int i = 0; i < count; ++i)
        ids.append(qFromLittleEndian<qint64>(in + i * sizeof(qint64)));
    return ids;
}

bool copyIds(const QList<qint64> &ids)
{
    QList<qint64> valid;
    for (qint64 id : ids) {
        if (id > 0)
            valid.append(id);
    }
    if (valid.isEmpty())
        return false;
    auto *data = new QMimeData;
    data->setData(QString::fromLatin1(mimeType), packIds(valid));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

QList<qint64> ids(const QMimeData *data)
{
    if (!data || !data->hasFormat(QString::fromLatin1(mimeType)))
        return {};
    return unpackIds(data->data(QString::fromLatin1(mimeType)));
}

QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isFile())
            files.append(path);
    }
    return files;
}

} // namespace FileClipboard
