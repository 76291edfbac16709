#include "filerecords.h"

#include "appcontext.h"
#include "filefunctions.h"
#include "filestore.h"
#include "qsqlconnection.h"
#include "workplacelogging.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Runs a plain statement with positional values; an inactive query when it
// could not run.
bool runStatement(const QString &text, const QVariantList &values, QSqlQuery *query)
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection || !connection->isConnected())
        return false;
    connection->execScript(text, query, values);
    return query->isActive() && query->lastError().type() == QSqlError::NoError;
}

QSqlRecord firstRecord(const QString &text, const QVariant &value)
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection)
        return QSqlRecord();
    QSqlQuery query(connection->database());
    if (!runStatement(text, {value}, &query) || !query.isSelect() || !query.isValid())
        return QSqlRecord();
    return query.record();
}

} // namespace

QSqlRecord FileRecords::findByCrc(qint64 crc)
{
    return firstRecord(QStringLiteral("SELECT * FROM lrg.t_file WHERE n_crc = :1 ;"), crc);
}

QSqlRecord FileRecords::findByName(const QString &name)
{
    return firstRecord(QStringLiteral("SELECT * FROM lrg.t_file WHERE c_file = :1 ;"), name);
}

QSqlRecord FileRecords::findById(qint64 id)
{
    return firstRecord(QStringLiteral("SELECT * FROM lrg.t_file WHERE id = :id ;"), id);
}

QString FileRecords::sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

bool FileRecords::holds(const QSqlRecord &record, const QByteArray &bytes)
{
    QString hash;
    return holds(record, bytes, ::crc32(bytes), &hash);
}

bool FileRecords::holds(const QSqlRecord &record, const QByteArray &bytes, quint32 crc, QString *sha256)
{
    if (record.isEmpty() || record.value(QStringLiteral("n_size")).toLongLong() != bytes.size()
        || record.value(QStringLiteral("n_crc")).toLongLong() != static_cast<qint64>(crc)) {
        return false;
    }
    const QString stored = record.value(QStringLiteral("c_sha256")).toString();
    if (!stored.isEmpty()) {
        if (sha256->isEmpty())
            *sha256 = FileRecords::sha256(bytes);
        return stored == *sha256;
    }
    // Recorded before hashes were kept: the stored bytes decide.
    return FileStore::read(record.value(QStringLiteral("c_file")).toString()) == bytes;
}

QSqlRecord FileRecords::findSameContent(const QByteArray &bytes)
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection)
        return QSqlRecord();
    QSqlQuery query(connection->database());
    const quint32 crc = ::crc32(bytes);
    if (!runStatement(QStringLiteral("SELECT * FROM lrg.t_file WHERE n_crc = :1 ;"), {qint64(crc)}, &query)
        || !query.isSelect()) {
        return QSqlRecord();
    }
    // Hashed only when a record has the same checksum and size: usually never.
    QString hash;
    for (bool row = query.isValid(); row; row = query.next()) {
        const QSqlRecord record = query.record();
        if (holds(record, bytes, crc, &hash))
            return record;
        qCDebug(lcFiles) << "same CRC, other content:" << record.value(QStringLiteral("c_file")).toString();
    }
    return QSqlRecord();
}

bool FileRecords::run(const QString &scriptName, const QVariantList &values, QVariant *result)
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection)
        return false;
    const QString text = connection->getScript(scriptName);
    if (text.isEmpty()) {
        qCWarning(lcFiles) << "no script" << scriptName;
        return false;
    }
    QSqlQuery query(connection->database());
    if (!runStatement(text, values, &query))
        return false;
    if (result)
        *result = query.isSelect() && query.isValid() ? query.value(0) : QVariant();
    return true;
}

QSqlRecord FileRecords::runForRecord(const QString &scriptName, const QVariantList &values, bool *ok)
{
    if (ok)
        *ok = false;
    QSqlConnection *connection = AppContext::connection();
    if (!connection)
        return QSqlRecord();
    const QString text = connection->getScript(scriptName);
    QSqlQuery query(connection->database());
    if (text.isEmpty() || !runStatement(text, values, &query))
        return QSqlRecord();
    if (ok)
        *ok = true;
    return query.isSelect() && query.isValid() ? query.record() : QSqlRecord();
}
