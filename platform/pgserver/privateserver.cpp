#include "privateserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>
#include <QVariant>

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

bool PrivateServer::handOverToServiceUser(QString *error) const
{
    if (!runningAsRoot())
        return true;
    const passwd *account = ::getpwnam(serviceUser);
    if (!account) {
        *error = QStringLiteral("The system user \"postgres\" is missing; install the postgresql package.");
        return false;
    }
    for (const QString &path : {m_root, socketDir()}) {
        if (::chown(QFile::encodeName(path).constData(), account->pw_uid, account->pw_gid) != 0) {
            *error = QStringLiteral("Cannot hand %1 over to the postgres user.").arg(path);
            return false;
        }
    }
    return true;
}

bool PrivateServer::initialize(QString *error)
{
    if (!QDir().mkpath(socketDir())) {
        *error = QStringLiteral("Cannot create the folder %1.").arg(socketDir());
        return false;
    }
    ::chmod(QFile::encodeName(m_root).constData(), 0700);
    ::chmod(QFile::encodeName(socketDir()).constData(), 0700);
    if (!handOverToServiceUser(error))
        return false;
    if (QFile::exists(dataDir() + QStringLiteral("/PG_VERSION")))
        return true;

    QStringList arguments = {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), superUser(),
                             QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                             QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--lc-messages=C")};
    if (m_volatile)
        arguments.append(QStringLiteral("--no-sync"));
    QString output;
    if (!run(QStringLiteral("initdb"), arguments, &output)) {
        *error = QStringLiteral("initdb failed: ") + output;
        return false;
    }

    QFile config(dataDir() + QStringLiteral("/postgresql.conf"));
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
    config.write(QStringLiteral("\n# Private server of the workplace\n%1\n").arg(lines.join(QLatin1Char('\n'))).toUtf8());
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
        return true;
    QString output;
    const QStringList arguments = {QStringLiteral("-D"), dataDir(), QStringLiteral("-l"), m_root + QStringLiteral("/server.log"),
                                   QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")};
    if (!run(QStringLiteral("pg_ctl"), arguments, &output)) {
        QFile log(m_root + QStringLiteral("/server.log"));
        const QString tail = log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()).right(2000) : QString();
        *error = QStringLiteral("The private database server did not start: %1\n%2").arg(output, tail);
        return false;
    }
    m_startedHere = true;
    return true;
}

bool PrivateServer::stop(QString *error)
{
    if (!isRunning())
        return true;
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

bool PrivateServer::runMaintenance(const QString &statement, QString *error, QStringList *rows) const
{
    const QString connectionName = QStringLiteral("privateserver-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        db.setHostName(socketDir());
        db.setUserName(superUser());
        db.setDatabaseName(QStringLiteral("postgres"));
        if (!db.open()) {
            *error = db.lastError().text().trimmed();
        } else {
            QSqlQuery query(db);
            ok = query.exec(statement);
            if (!ok)
                *error = query.lastError().text().trimmed();
            while (ok && rows && query.next())
                rows->append(query.value(0).toString());
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    return ok;
}

bool PrivateServer::ensureDatabase(const QString &name, QString *error) const
{
    QStringList names;
    if (!runMaintenance(QStringLiteral("select datname from pg_database"), error, &names))
        return false;
    if (names.contains(name))
        return true;
    return runMaintenance(QStringLiteral("create database ") + quoteIdentifier(name), error);
}

bool PrivateServer::dropDatabase(const QString &name, QString *error) const
{
    return runMaintenance(QStringLiteral("drop database if exists %1 with (force)").arg(quoteIdentifier(name)), error);
}
