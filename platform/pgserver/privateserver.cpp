#include "privateserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>
#include <QVariant>

#include "securefolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char serviceUser[] = "postgres";

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

QString quoteConfig(const QString &value)
{
    QString body = value;
    body.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + body + QLatin1Char('\'');
}

QString quoteIdentifier(const QString &name)
{
    QString body = name;
    body.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + body + QLatin1Char('"');
}

// The server outlives the process that starts it and would keep every
// descriptor it inherits open (a build lock held by the caller's caller, say)
// for as long as it runs.
void keepDescriptorsFromChildren()
{
    DIR *dir = ::opendir("/proc/self/fd");
    if (!dir)
        return;
    const int own = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        bool isNumber = false;
        const int fd = QByteArray(entry->d_name).toInt(&isNumber);
        if (!isNumber || fd <= STDERR_FILENO || fd == own)
            continue;
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC))
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
    ::closedir(dir);
}

QString describe(const QSqlError &error)
{
    return error.text().trimmed();
}

// A superuser connection to the "postgres" database for one piece of upkeep,
// gone from Qt's list of connections when done so that any thread may make one.
class MaintenanceConnection
{
public:
    explicit MaintenanceConnection(const QString &socketDir)
        : m_name(QStringLiteral("privateserver-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        m_db.setHostName(socketDir);
        m_db.setUserName(PrivateServer::superUser());
        m_db.setDatabaseName(QStringLiteral("postgres"));
        m_db.open();
    }

    ~MaintenanceConnection()
    {
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }

    Q_DISABLE_COPY(MaintenanceConnection)

    bool isOpen() const { return m_db.isOpen(); }
    QSqlError openError() const { return m_db.lastError(); }

    // Collects the first column of each row; an invalid error when the statement succeeded.
    QSqlError exec(const QString &statement, QStringList *rows = nullptr) const
    {
        QSqlQuery query(m_db);
        if (!query.exec(statement))
            return query.lastError();
        while (rows && query.next())
            rows->append(query.value(0).toString());
        return QSqlError();
    }

private:
    QString m_name;
    QSqlDatabase m_db;
};

} // namespace

PrivateServer::PrivateServer(const QString &root)
    : m_root(QDir(root).absolutePath())
{
}

QString PrivateServer::defaultRoot()
{
    // root's home is closed to the service user, so a root process keeps its cluster elsewhere.
    if (runningAsRoot())
        return QStringLiteral("/var/lib/workplace/pgserver");
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/pgserver");
}

QString PrivateServer::socketDir() const
{
    return m_root + QStringLiteral("/socket");
}

QString PrivateServer::dataDir() const
{
    return m_root + QStringLiteral("/pgdata");
}

QString PrivateServer::binary(const QString &tool) const
{
    // Debian keeps the server tools out of PATH, one folder per major version.
    const QDir base(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString &a, const QString &b) { return a.toDouble() > b.toDouble(); });
    for (const QString &version : qAsConst(versions)) {
        const QString path = base.filePath(version + QStringLiteral("/bin/") + tool);
        if (QFile::exists(path))
            return path;
    }
    const QString inPath = QStandardPaths::findExecutable(tool);
    return inPath.isEmpty() ? tool : inPath;
}

bool PrivateServer::run(const QString &tool, const QStringList &arguments, QString *output, int *exitCode) const
{
    keepDescriptorsFromChildren();
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_root);
    if (runningAsRoot()) {
        QStringList wrapped = {QStringLiteral("-u"), QString::fromLatin1(serviceUser), QStringLiteral("--"), binary(tool)};
        wrapped.append(arguments);
        process.start(QStringLiteral("runuser"), wrapped);
    } else {
        process.start(binary(tool), arguments);
    }
    if (!process.waitForStarted(10000)) {
        if (output)
            *output = QStringLiteral("%1 could not be started: %2").arg(tool, process.errorString());
        return false;
    }
    process.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll()).trimmed();
    if (exitCode)
        *exitCode = process.exitCode();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PrivateServer::prepareFolders(QString *error) const
{
    // As root the folders go to the service user, who must also pass through
    // the parents this creates; otherwise they stay the user's own.
    uid_t serviceUid = static_cast<uid_t>(-1);
    gid_t serviceGid = static_cast<gid_t>(-1);
    if (runningAsRoot()) {
        const passwd *account = ::getpwnam(serviceUser);
        if (!account) {
            *error = QStringLiteral("The system user \"postgres\" is missing; install the postgresql package.");
            return false;
        }
        serviceUid = account->pw_uid;
        serviceGid = account->pw_gid;
    }
    const SecureFolder root = SecureFolder::open(m_root, serviceUid, runningAsRoot() ? 0711 : 0700, error);
    if (!root.isValid())
        return false;
    const SecureFolder socket = root.child(QStringLiteral("socket"), serviceUid, error);
    if (!socket.isValid())
        return false;
    if (!runningAsRoot())
        return true;
    return root.handOver(serviceUid, serviceGid, error) && socket.handOver(serviceUid, serviceGid, error);
}

bool PrivateServer::initialize(QString *error)
{
    if (!prepareFolders(error))
        return false;
    if (QFile::exists(dataDir() + QStringLiteral("/PG_VERSION")))
        return true;

    // The cluster is made aside and moved into place whole: a workplace starting at
    // the same time makes its own, and neither ever finds half of the other's.
    const QString folder = m_root + QStringLiteral("/pgdata.new-") + QUuid::createUuid().toString(QUuid::Id128);
    if (!createCluster(folder, error)) {
        QDir(folder).removeRecursively();
        return false;
    }
    if (::rename(QFile::encodeName(folder).constData(), QFile::encodeName(dataDir()).constData()) == 0)
        return true;
    const int reason = errno;
    QDir(folder).removeRecursively();
    if (QFile::exists(dataDir() + QStringLiteral("/PG_VERSION")))
        return true;
    *error = QStringLiteral("Cannot move the new cluster to %1: %2").arg(dataDir(), QString::fromLocal8Bit(std::strerror(reason)));
    return false;
}

bool PrivateServer::createCluster(const QString &folder, QString *error) const
{
    QStringList arguments = {QStringLiteral("-D"), folder, QStringLiteral("-U"), superUser(),
                             QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                             QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--lc-messages=C")};
    if (m_volatile)
        arguments.append(QStringLiteral("--no-sync"));
    QString output;
    if (!run(QStringLiteral("initdb"), arguments, &output)) {
        *error = QStringLiteral("initdb failed: ") + output;
        return false;
    }

    QFile config(folder + QStringLiteral("/postgresql.conf"));
    if (!config.open(QIODevice::Append | QIODevice::Text)) {
        *error = QStringLiteral("Cannot write %1.").arg(config.fileName());
        return false;
    }
    QStringList lines = {
        QStringLiteral("listen_addresses = ''"),
        QStringLiteral("unix_socket_directories = ") + quoteConfig(socketDir()),
        QStringLiteral("unix_socket_permissions = 0700"),
    };
    if (m_volatile) {
        lines << QStringLiteral("fsync = off") << QStringLiteral("synchronous_commit = off")
              << QStringLiteral("full_page_writes = off");
    }
    const QByteArray text = QStringLiteral("\n# Private server of the workplace\n%1\n").arg(lines.join(QLatin1Char('\n'))).toUtf8();
    if (config.write(text) != text.size() || !config.flush()) {
        *error = QStringLiteral("Cannot write %1.").arg(config.fileName());
        return false;
    }
    return true;
}

bool PrivateServer::isRunning() const
{
    if (!QFile::exists(dataDir() + QStringLiteral("/postmaster.pid")))
        return false;
    int exitCode = -1;
    run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(), QStringLiteral("status")}, nullptr, &exitCode);
    return exitCode == 0;
}

bool PrivateServer::start(QString *error)
{
    m_startedHere = false;
    if (!initialize(error))
        return false;
    if (isRunning())
        return waitUntilReady(error);
    QString output;
    const QStringList arguments = {QStringLiteral("-D"), dataDir(), QStringLiteral("-l"), m_root + QStringLiteral("/server.log"),
                                   QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")};
    if (run(QStringLiteral("pg_ctl"), arguments, &output)) {
        m_startedHere = true;
        return true;
    }
    // Another workplace may have started it meanwhile: then its lock file is all
    // that stopped this start, and the server is that workplace's to stop.
    if (isRunning())
        return waitUntilReady(error);
    QFile log(m_root + QStringLiteral("/server.log"));
    const QString tail = log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()).right(2000) : QString();
    *error = QStringLiteral("The private database server did not start: %1\n%2").arg(output, tail);
    return false;
}

bool PrivateServer::waitUntilReady(QString *error) const
{
    // A server that another process has just started accepts connections only
    // once it has finished starting up.
    const QDeadlineTimer deadline(60000);
    forever {
        const MaintenanceConnection connection(socketDir());
        if (connection.isOpen())
            return true;
        if (deadline.hasExpired() || !isRunning()) {
            *error = QStringLiteral("The private database server does not accept connections: ")
                    + describe(connection.openError());
            return false;
        }
        QThread::msleep(100);
    }
}

bool PrivateServer::stop(QString *error)
{
    if (!isRunning()) {
        m_startedHere = false;
        return true;
    }
    QString output;
    if (!run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"), QStringLiteral("fast"),
                                        QStringLiteral("-w"), QStringLiteral("stop")}, &output)) {
        if (error)
            *error = QStringLiteral("The private database server did not stop: ") + output;
        return false;
    }
    m_startedHere = false;
    return true;
}

bool PrivateServer::stopIfUnused(QString *error)
{
    if (!isRunning())
        return stop(error);
    bool hasOthers = false;
    if (!hasOtherClients(&hasOthers, error))
        return false;
    if (hasOthers)
        return true;
    return stop(error);
}

bool PrivateServer::hasOtherClients(bool *hasOthers, QString *error) const
{
    const MaintenanceConnection connection(socketDir());
    if (!connection.isOpen()) {
        if (error)
            *error = QStringLiteral("Cannot ask the private database server for its clients: ") + describe(connection.openError());
        return false;
    }
    // The backend of a client that has just disconnected lingers for a moment;
    // only a client still there after a short while counts.
    const QDeadlineTimer patience(1000);
    forever {
        QStringList backendTypes;
        const QSqlError failure = connection.exec(
                QStringLiteral("select backend_type from pg_stat_activity where pid <> pg_backend_pid()"), &backendTypes);
        if (failure.isValid()) {
            if (error)
                *error = QStringLiteral("Cannot ask the private database server for its clients: ") + describe(failure);
            return false;
        }
        *hasOthers = backendTypes.contains(QStringLiteral("client backend"));
        if (!*hasOthers || patience.hasExpired())
            return true;
        QThread::msleep(50);
    }
}

bool PrivateServer::ensureDatabase(const QString &name, QString *error) const
{
    const MaintenanceConnection connection(socketDir());
    if (!connection.isOpen()) {
        *error = describe(connection.openError());
        return false;
    }
    QStringList names;
    QSqlError failure = connection.exec(QStringLiteral("select datname from pg_database"), &names);
    if (failure.isValid()) {
        *error = describe(failure);
        return false;
    }
    if (names.contains(name))
        return true;
    failure = connection.exec(QStringLiteral("create database ") + quoteIdentifier(name));
    // Another workplace may have created it since the names were read. The server
    // says "already exists", or, when both got past that check, reports the
    // duplicate name in its catalog.
    static const QStringList createdMeanwhile = {QStringLiteral("42P04"), QStringLiteral("23505")};
    if (!failure.isValid() || createdMeanwhile.contains(failure.nativeErrorCode()))
        return true;
    *error = describe(failure);
    return false;
}

bool PrivateServer::dropDatabase(const QString &name, QString *error) const
{
    const MaintenanceConnection connection(socketDir());
    if (!connection.isOpen()) {
        *error = describe(connection.openError());
        return false;
    }
    const QSqlError failure = connection.exec(QStringLiteral("drop database if exists %1 with (force)").arg(quoteIdentifier(name)));
    if (failure.isValid()) {
        *error = describe(failure);
        return false;
    }
    return true;
}
