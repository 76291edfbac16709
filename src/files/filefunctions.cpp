#include "filefunctions.h"

#include <QMessageBox>
#include <QStringList>

#include <array>

namespace {

constexpr std::array<quint32, 256> makeCrcTable()
{
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> crcTable = makeCrcTable();

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
    quint32 crc = 0xFFFFFFFFu;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    for (unsigned long long i = offset; i < end; ++i)
        crc = crcTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
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
