#include "filefunctions.h"

#include <QMessageBox>
#include <QStringList>

#include <zlib.h>

namespace {

bool allowedInDatabaseStore(QChar c)
{
    static const QString punctuation = QStringLiteral("!?()-_=+*/.,<>:;[]{} ");
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || punctuation.contains(c);
}

} // namespace

quint32 crc32(const QByteArray &data, unsigned long long offset, unsigned long long length)
{
    const auto size = static_cast<unsigned long long>(data.size());
    const unsigned long long end = length == 0 ? size : qMin(size, offset + length);
    if (offset >= end)
        return 0;
    // zlib's CRC-32 is the IEEE 802.3 one, several times faster than a byte-wise table.
    const auto *bytes = reinterpret_cast<const Bytef *>(data.constData()) + offset;
    return static_cast<quint32>(::crc32_z(0L, bytes, static_cast<z_size_t>(end - offset)));
}

bool checkFileName(QString &name)
{
    QStringList refused;
    for (const QChar c : qAsConst(name)) {
        if (!allowedInDatabaseStore(c))
            refused.append(QString(c));
    }
    if (refused.isEmpty())
        return true;
    const QString text = QStringLiteral("Не удалось загрузить файл :") + QLatin1Char('\n') + name + QLatin1Char('\n')
            + QStringLiteral("Следующие символы в имени файла не могут быть обработаны:") + QLatin1Char('\n')
            + refused.join(QStringLiteral(", "));
    QMessageBox::critical(nullptr, QStringLiteral("Внимание"), text, QMessageBox::Ok);
    return false;
}
