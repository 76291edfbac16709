#ifndef FILERECORDS_H
#define FILERECORDS_H

#include "dealsglobal.h"

#include <QByteArray>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

// File records (lrg.t_file) as the attachment code looks them up. Each lookup
// returns the first matching record, or an empty record when there is none
// or no connection.
class DEALS_EXPORT FileRecords
{
public:
    static QSqlRecord findByCrc(qint64 crc);
    static QSqlRecord findByName(const QString &name);
    static QSqlRecord findById(qint64 id);

    // The record of a stored file with exactly these bytes: same CRC-32, same
    // size, and the same SHA-256 (or, for a record made before hashes were
    // kept, the same stored bytes). A CRC match alone never counts.
    static QSqlRecord findSameContent(const QByteArray &bytes);
    static bool holds(const QSqlRecord &record, const QByteArray &bytes);
    // The same with the content's CRC-32 known and its SHA-256 computed on
    // first need into *sha256 (empty until then), for checking many records.
    static bool holds(const QSqlRecord &record, const QByteArray &bytes, quint32 crc, QString *sha256);

    static QString sha256(const QByteArray &bytes);

    // Runs a named script with positional values on the shell's connection;
    // false when it failed or there is no connection. *result gets the first
    // column of its first row.
    static bool run(const QString &scriptName, const QVariantList &values, QVariant *result = nullptr);
    // The same for a named script that returns a record.
    static QSqlRecord runForRecord(const QString &scriptName, const QVariantList &values, bool *ok = nullptr);
};

#endif // FILERECORDS_H
