#ifndef PRIVATESERVER_H
#define PRIVATESERVER_H

#include <QString>
#include <QStringList>

// A PostgreSQL cluster of the user's own, the way desktop suites embed their
// database: created in a data folder on first use, listening only on a Unix
// socket in a private folder (no TCP port), reused while it runs.
//
// initdb and postgres refuse to run as root; a root process runs them as the
// "postgres" system user, which then owns the folder.
class PrivateServer
{
public:
    explicit PrivateServer(const QString &root);

    static QString defaultRoot();

    // For throw-away clusters (tests): no fsync, nothing waits for the disk.
    void setVolatile(bool isVolatile) { m_volatile = isVolatile; }

    // Succeeds too when another process starts the same server at the same time;
    // startedHere() then tells the one that did.
    bool start(QString *error);
    bool stop(QString *error);
    // Stops the server unless a client other than this call is connected to it:
    // another workplace may still be working with it.
    bool stopIfUnused(QString *error);
    bool isRunning() const;
    bool startedHere() const { return m_startedHere; }

    QString root() const { return m_root; }
    QString socketDir() const;
    QString dataDir() const;
    static QString superUser() { return QStringLiteral("workplace"); }

    // Creates the database when the cluster does not hold it yet, also when
    // another process creates it at the same time.
    bool ensureDatabase(const QString &name, QString *error) const;
    bool dropDatabase(const QString &name, QString *error) const;

private:
    bool initialize(QString *error);
    bool createCluster(const QString &folder, QString *error) const;
    bool waitUntilReady(QString *error) const;
    bool hasOtherClients(bool *hasOthers, QString *error) const;
    bool run(const QString &tool, const QStringList &arguments, QString *output, int *exitCode = nullptr) const;
    // Creates or checks the server's folder and its socket folder: private, not
    // links, this user's own (or, as root, handed to the service user).
    bool prepareFolders(QString *error) const;
    QString binary(const QString &tool) const;

    QString m_root;
    bool m_volatile = false;
    bool m_startedHere = false;
};

#endif // PRIVATESERVER_H
