#include "fileversion.h"

#include <QFile>
#include <QHash>

#include <cstring>
#include <elf.h>

namespace {

const char versionSection[] = ".wpversion";
const char versionTag[] = "WPVERSION1";

// Limits that keep a damaged or foreign file from making us read megabytes.
const qint64 maxNameTableSize = 1 << 20;
const qint64 maxRecordSize = 1 << 16;

struct VersionRecord
{
    verInfo version = 0;
    QString language;
    QHash<QString, QString> strings;
};

QByteArray readRange(QFile &file, quint64 offset, quint64 size, qint64 limit)
{
    if (size == 0 || size > quint64(limit) || offset + size > quint64(file.size()))
        return {};
    if (!file.seek(qint64(offset)))
        return {};
    const QByteArray bytes = file.read(qint64(size));
    return bytes.size() == qint64(size) ? bytes : QByteArray();
}

template<typename Ehdr, typename Shdr>
QByteArray readElfSection(QFile &file, const char *wanted)
{
    Ehdr header;
    if (!file.seek(0) || file.read(reinterpret_cast<char *>(&header), sizeof header) != qint64(sizeof header))
        return {};
    if (header.e_shoff == 0 || header.e_shentsize != sizeof(Shdr) || header.e_shstrndx >= header.e_shnum)
        return {};

    const QByteArray table = readRange(file, header.e_shoff, quint64(header.e_shnum) * sizeof(Shdr),
                                       qint64(0xffff) * qint64(sizeof(Shdr)));
    if (table.isEmpty())
        return {};
    const auto sectionAt = [&table](int index) {
        Shdr section;
        std::memcpy(&section, table.constData() + index * sizeof(Shdr), sizeof section);
        return section;
    };

    const Shdr nameSection = sectionAt(header.e_shstrndx);
    const QByteArray names = readRange(file, nameSection.sh_offset, nameSection.sh_size, maxNameTableSize);
    if (names.isEmpty())
        return {};

    for (int index = 0; index < header.e_shnum; ++index) {
        const Shdr section = sectionAt(index);
        // QByteArray keeps a terminating zero past its size, so the name is always terminated.
        if (section.sh_name >= quint64(names.size()) || std::strcmp(names.constData() + section.sh_name, wanted) != 0)
            continue;
        if (section.sh_type == SHT_NOBITS)
            return {};
        return readRange(file, section.sh_offset, section.sh_size, maxRecordSize);
    }
    return {};
}

QByteArray readVersionSection(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};

    unsigned char ident[EI_NIDENT];
    if (file.read(reinterpret_cast<char *>(ident), EI_NIDENT) != EI_NIDENT
        || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return {};
    // Only files for this machine's byte order; a foreign library is not ours to load anyway.
    const unsigned char hostOrder = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB;
    if (ident[EI_DATA] != hostOrder)
        return {};

    switch (ident[EI_CLASS]) {
    case ELFCLASS64:
        return readElfSection<Elf64_Ehdr, Elf64_Shdr>(file, versionSection);
    case ELFCLASS32:
        return readElfSection<Elf32_Ehdr, Elf32_Shdr>(file, versionSection);
    default:
        return {};
    }
}

bool parseVersion(const QString &text, verInfo *version)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    verInfo result = 0;
    for (const QString &part : parts) {
        bool ok = false;
        const uint number = part.toUInt(&ok);
        if (!ok || number > 0xffff)
            return false;
        result = (result << 16) | number;
    }
    *version = result;
    return true;
}

// The record is a run of zero-terminated texts: tag, version, language, then
// key/value pairs up to an empty key.
VersionRecord readVersionRecord(const QString &path)
{
    const QList<QByteArray> fields = readVersionSection(path).split('\0');
    VersionRecord record;
    if (fields.size() < 3 || fields.at(0) != versionTag || !parseVersion(QString::fromLatin1(fields.at(1)), &record.version))
        return {};
    record.language = QString::fromLatin1(fields.at(2));
    for (int index = 3; index + 1 < fields.size() && !fields.at(index).isEmpty(); index += 2)
        record.strings.insert(QString::fromUtf8(fields.at(index)), QString::fromUtf8(fields.at(index + 1)));
    return record;
}

} // namespace

verInfo fileVersionW(QString path)
{
    return readVersionRecord(path).version;
}

verInfo fileVersion(QString path)
{
    return fileVersionW(path);
}

QString stringVersion(verInfo version)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg((version >> 48) & 0xffff)
        .arg((version >> 32) & 0xffff)
        .arg((version >> 16) & 0xffff)
        .arg(version & 0xffff);
}

QString strFileInfoW(QString path, QString key, QStringList languages)
{
    if (key.isEmpty() || languages.isEmpty())
        return {};
    const VersionRecord record = readVersionRecord(path);
    // Windows would query "\StringFileInfo\<language>\<key>" for each language in turn.
    for (const QString &language : qAsConst(languages)) {
        if (language.compare(record.language, Qt::CaseInsensitive) == 0 && record.strings.contains(key))
            return record.strings.value(key);
    }
    return {};
}

QString stringFileInfoVar(QString path, QString key, QStringList languages)
{
    return strFileInfoW(path, key, languages);
}
