#include "filestore.h"

#include "appcontext.h"
#include "filefunctions.h"
#include "filerecords.h"
#include "qsqlconnection.h"
#include "workplacelogging.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString &cachedPath(bool help)
{
    static QString files;
    static QString helpFiles;
    return help ? helpFiles : files;
}

QString readAttribute(const QString &attribute)
{
    QSqlConnection *connection = AppContext::connection();
    if (!connection || !connection->isConnected())
        return QString();
    // The attribute name is the system's own constant, never a user's value.
    const QString text = attribute == QLatin1String("FileHelpPath")
            ? QStringLiteral("SELECT c_value FROM sys.t_sys_attr WHERE c_attr = 'FileHelpPath';")
            : QStringLiteral("SELECT c_value FROM sys.t_sys_attr WHERE c_attr = 'FilePath';");
    QSqlQuery query(connection->database());
    connection->execScript(text, &query, QList<QVariant>());
    return query.isSelect() && query.isValid() ? query.value(0).toString().trimmed() : QString();
}

QString cachedDirectory(bool help)
{
    QString &path = cachedPath(help);
    if (path.isEmpty())
        path = readAttribute(help ? QStringLiteral("FileHelpPath") : QStringLiteral("FilePath"));
    return path;
}

// A name that stays inside the directory it is joined to.
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
            && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

// Makes a finished write survive a power cut before anything refers to it.
void syncToDisk(int handle, const QString &directory)
{
#ifdef Q_OS_UNIX
    if (handle >= 0)
        ::fsync(handle);
    const int dir = ::open(QFile::encodeName(directory).constData(), O_RDONLY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#else
    Q_UNUSED(handle)
    Q_UNUSED(directory)
#endif
}

// Writes bytes into a hidden file of the directory, ready to be renamed into
// place. The caller owns the returned file and removes it if it is not used.
QTemporaryFile *writeAside(const QString &directory, const QByteArray &bytes, QString *error)
{
    auto *temp = new QTemporaryFile(QDir(directory).filePath(QStringLiteral(".upload-XXXXXX")));
    temp->setAutoRemove(false);
    if (!temp->open()) {
        *error = temp->errorString();
        delete temp;
        return nullptr;
    }
    const bool written = temp->write(bytes) == bytes.size() && temp->flush();
    if (!written) {
        *error = temp->errorString();
        temp->remove();
        delete temp;
        return nullptr;
    }
    syncToDisk(temp->handle(), directory);
    temp->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                         | QFileDevice::ReadOther);
    return temp;
}

} // namespace

QString FileStore::filePath()
{
    return cachedDirectory(false);
}

QString FileStore::fileHelpPath()
{
    return cachedDirectory(true);
}

void FileStore::forgetPaths()
{
    cachedPath(false).clear();
    cachedPath(true).clear();
}

void FileStore::setDefaultPaths(const QString &files, const QString &help)
{
    const QList<QPair<QString, QString>> defaults = {{QStringLiteral("FilePath"), files},
                                                     {QStringLiteral("FileHelpPath"), help}};
    for (const auto &entry : defaults) {
        if (entry.second.isEmpty())
            continue;
        FileRecords::run(QStringLiteral("SYS_ATTR_DEFAULT"), {entry.first, entry.second});
        // Only a directory that is ours to make: a site's own path is left alone.
        if (QDir::cleanPath(readAttribute(entry.first)) == QDir::cleanPath(entry.second)
            && !QDir().mkpath(entry.second)) {
            qCWarning(lcFiles) << "cannot create the storage directory" << entry.second;
        }
    }
    forgetPaths();
}

bool FileStore::exists(const QString &directory)
{
    return !directory.isEmpty() && QFileInfo(directory).isDir();
}

bool FileStore::fileHolds(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != bytes.size())
        return false;
    return file.readAll() == bytes;
}

QString FileStore::numberedName(const QString &name, int number)
{
    const QFileInfo info(name);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix();
    if (base.isEmpty() || suffix.isEmpty())
        return name + QLatin1Char('_') + QString::number(number);
    return base + QLatin1Char('_') + QString::number(number) + QLatin1Char('.') + suffix;
}

FileStore::Outcome FileStore::writeToDirectory(const QString &directory, const QString &name,
                                               const QByteArray &bytes, QString *error)
{
    QString ignored;
    QString &why = error ? *error : ignored;
    if (!exists(directory)) {
        why = QStringLiteral("Нет каталога хранилища %1").arg(directory);
        return Failed;
    }
    if (!isPlainName(name)) {
        why = QStringLiteral("Недопустимое имя файла «%1»").arg(name);
        return Failed;
    }
    const QString target = QDir(directory).filePath(name);
    if (QFileInfo::exists(target))
        return fileHolds(target, bytes) ? AlreadyStored : NameTaken;

    QScopedPointer<QTemporaryFile> temp(writeAside(directory, bytes, &why));
    if (!temp)
        return Failed;
    // The rename refuses to replace a file that appeared meanwhile.
    if (!temp->rename(target)) {
        why = temp->errorString();
        temp->remove();
        if (QFileInfo::exists(target))
            return fileHolds(target, bytes) ? AlreadyStored : NameTaken;
        return Failed;
    }
    syncToDisk(-1, directory);
    qCDebug(lcFiles) << "stored" << target << bytes.size() << "bytes";
    return Stored;
}

FileStore::Outcome FileStore::writeToDatabase(const QString &name, const QByteArray &bytes, bool help)
{
    QVariant holds;
    if (!FileRecords::run(QStringLiteral("FILE_BYTEA_INSERT"), {name, bytes, help}, &holds))
        return Failed;
    return holds.toBool() ? Stored : NameTaken;
}

bool FileStore::put(const QString &directory, const QString &name, const QByteArray &bytes, QString *storedName,
                    QString *error)
{
    QString ignored;
    QString &why = error ? *error : ignored;
    why.clear();
    // Names are tried in order; each try either stores the content or finds
    // the name held by other bytes. The numbers run out only on a broken store.
    for (int number = 0; number < 1000; ++number) {
        const QString candidate = number == 0 ? name : numberedName(name, number);
        if (!FileRecords::findByName(candidate).isEmpty())
            continue;
        if (exists(directory)) {
            QString directoryError;
            const Outcome outcome = writeToDirectory(directory, candidate, bytes, &directoryError);
            if (outcome == Stored || outcome == AlreadyStored) {
                *storedName = candidate;
                return true;
            }
            if (outcome == NameTaken)
                continue;
            qCWarning(lcFiles) << "storage directory refused" << candidate << directoryError;
        }
        QString checked = candidate;
        if (!checkFileName(checked))
            return false;
        const Outcome outcome = writeToDatabase(candidate, bytes);
        if (outcome == Stored || outcome == AlreadyStored) {
            *storedName = candidate;
            return true;
        }
        if (outcome == NameTaken)
            continue;
        why = QStringLiteral("Не удалось сохранить файл %1 в базе данных.").arg(candidate);
        return false;
    }
    why = QStringLiteral("Не удалось подобрать свободное имя для файла %1.").arg(name);
    return false;
}

bool FileStore::replace(const QString &directory, const QString &name, const QByteArray &bytes, QString *error)
{
    QString ignored;
    QString &why = error ? *error : ignored;
    why.clear();
    const QString target = QDir(directory).filePath(name);
    if (exists(directory) && isPlainName(name) && QFileInfo::exists(target)) {
        if (fileHolds(target, bytes))
            return true;
        QScopedPointer<QTemporaryFile> temp(writeAside(directory, bytes, &why));
        if (!temp)
            return false;
        const QString retired = QDir(directory).filePath(QStringLiteral("DELETE/") + name);
        if (!retire(directory, name)) {
            why = QStringLiteral("Не удалось убрать прежний файл %1 в каталог DELETE.").arg(name);
            temp->remove();
            return false;
        }
        if (!temp->rename(target)) {
            why = temp->errorString();
            temp->remove();
            // The old bytes go back where the record expects them.
            QFile::rename(retired, target);
            return false;
        }
        syncToDisk(-1, directory);
        return true;
    }
    if (exists(directory)) {
        const Outcome outcome = writeToDirectory(directory, name, bytes, &why);
        if (outcome == Stored || outcome == AlreadyStored) {
            // The directory is read first; the database's old bytes stay, retired.
            FileRecords::run(QStringLiteral("FILE_BYTEA_RETIRE"), {name, false});
            return true;
        }
        qCWarning(lcFiles) << "storage directory refused" << name << why;
    }
    QString checked = name;
    if (!checkFileName(checked)) {
        why.clear();
        return false;
    }
    QVariant replaced;
    if (!FileRecords::run(QStringLiteral("FILE_BYTEA_REPLACE"), {name, bytes, false}, &replaced)
        || !replaced.toBool()) {
        why = QStringLiteral("Не удалось сохранить файл %1 в базе данных.").arg(name);
        return false;
    }
    return true;
}

QByteArray FileStore::read(const QString &name, bool help)
{
    if (name.isEmpty())
        return QByteArray();
    // A name the directory cannot hold may still be a database store name ("a/b").
    const QString dir = directory(help);
    if (exists(dir) && isPlainName(name)) {
        QFile file(QDir(dir).filePath(name));
        if (file.exists() && file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            if (!bytes.isEmpty())
                return bytes;
        }
    }
    QSqlConnection *connection = AppContext::connection();
    if (!connection || !connection->isConnected())
        return QByteArray();
    QSqlQuery query(connection->database());
    connection->execScript(QStringLiteral("SELECT lrg.bl_get_file( :cfile , :bHelp );"), &query,
                           {name, help});
    if (!query.isSelect() || !query.isValid())
        return QByteArray();
    return query.value(0).toByteArray();
}

bool FileStore::retire(const QString &directory, const QString &name)
{
    if (!exists(directory) || !isPlainName(name))
        return false;
    const QDir storage(directory);
    const QString source = storage.filePath(name);
    if (!QFileInfo::exists(source) || !storage.mkpath(QStringLiteral("DELETE")))
        return false;
    const QString target = storage.filePath(QStringLiteral("DELETE/") + name);
    if (QFileInfo::exists(target)) {
        QFile current(source);
        if (current.open(QIODevice::ReadOnly) && fileHolds(target, current.readAll())) {
            current.close();
            return QFile::remove(source);
        }
        // An older retired file of the same name stays, under the time it was moved aside.
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
        const QFileInfo info(name);
        const QString aside = info.suffix().isEmpty() || info.completeBaseName().isEmpty()
                ? name + QLatin1Char('~') + stamp
                : info.completeBaseName() + QLatin1Char('~') + stamp + QLatin1Char('.') + info.suffix();
        if (!QFile::rename(target, storage.filePath(QStringLiteral("DELETE/") + aside)))
            return false;
    }
    if (QFile::rename(source, target))
        return true;
    // DELETE may be a mount of its own.
    return QFile::copy(source, target) && QFile::remove(source);
}
