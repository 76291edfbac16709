// The user's private server: created on first use, reused while it runs,
// stopped cleanly, and reachable only through its socket folder.

#include "privateserver.h"
#include "securefolder.h"

#include <QFile>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <future>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder for a server under /tmp that, run as root, the server's own user can pass through.
bool makeReachable(const QTemporaryDir &parent)
{
    return QFile::setPermissions(parent.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                        | QFile::ExeGroup | QFile::ExeOther);
}

struct Outcome
{
    bool ok = false;
    bool startedHere = false;
    QString error;
};

// What one workplace does on opening: start or reuse the server, then make sure of its database.
Outcome openServer(const QString &root, const QString &database)
{
    PrivateServer server(root);
    server.setVolatile(true);
    Outcome outcome;
    outcome.ok = server.start(&outcome.error) && server.ensureDatabase(database, &outcome.error);
    outcome.startedHere = server.startedHere();
    return outcome;
}

} // namespace

class tst_PrivateServer : public QObject
{
    Q_OBJECT

private slots:
    void lifecycle();
    void stopIfUnused_data();
    void stopIfUnused();
    void concurrentStarts_data();
    void concurrentStarts();
    void concurrentDatabaseCreation();
    void refusesFoldersOthersControl_data();
    void refusesFoldersOthersControl();
    void closesAnEmptyFolderMadeByHand();
};

void tst_PrivateServer::lifecycle()
{
    QTemporaryDir parent(QStringLiteral("/tmp/wp-private-XXXXXX"));
    QVERIFY(makeReachable(parent));
    const QString root = parent.filePath(QStringLiteral("server"));
    PrivateServer first(root);
    first.setVolatile(true);
    QString error;
    QVERIFY2(first.start(&error), qPrintable(error));
    QVERIFY(first.startedHere());
    QVERIFY(first.isRunning());

    // Only the owner may reach the socket folder.
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(first.socketDir()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0700u);
    QFile config(first.dataDir() + QStringLiteral("/postgresql.conf"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    QVERIFY(config.readAll().contains("listen_addresses = ''"));

    // A second start finds it running and leaves it to its owner.
    PrivateServer second(root);
    QVERIFY2(second.start(&error), qPrintable(error));
    QVERIFY(!second.startedHere());

    QVERIFY2(second.ensureDatabase(QStringLiteral("it's \"odd\""), &error), qPrintable(error));
    QVERIFY2(second.ensureDatabase(QStringLiteral("it's \"odd\""), &error), qPrintable(error));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("probe"));
        db.setHostName(first.socketDir());
        db.setUserName(PrivateServer::superUser());
        db.setDatabaseName(QStringLiteral("it's \"odd\""));
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("show listen_addresses")) && query.next());
        QCOMPARE(query.value(0).toString(), QString());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    QVERIFY2(second.dropDatabase(QStringLiteral("it's \"odd\""), &error), qPrintable(error));

    QVERIFY2(first.stop(&error), qPrintable(error));
    QVERIFY(!first.isRunning());
    QVERIFY(!QFile::exists(first.dataDir() + QStringLiteral("/postmaster.pid")));

    // The cluster is kept: starting again reuses the data folder.
    QVERIFY2(first.start(&error), qPrintable(error));
    QVERIFY(first.startedHere());
    QVERIFY(first.stop(&error));
}

void tst_PrivateServer::stopIfUnused_data()
{
    QTest::addColumn<bool>("otherClientStays");
    QTest::addColumn<bool>("keepsRunning");

    QTest::newRow("another client connected") << true << true;
    // Its backend may still be on its way out when the server is asked.
    QTest::newRow("the last client has just left") << false << false;
}

void tst_PrivateServer::stopIfUnused()
{
    QFETCH(bool, otherClientStays);
    QFETCH(bool, keepsRunning);

    QTemporaryDir parent(QStringLiteral("/tmp/wp-private-XXXXXX"));
    QVERIFY(makeReachable(parent));
    PrivateServer server(parent.filePath(QStringLiteral("server")));
    server.setVolatile(true);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    const auto stopAnyway = qScopeGuard([&server] { server.stop(nullptr); });

    const QString client = QStringLiteral("other-client");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), client);
        db.setHostName(server.socketDir());
        db.setUserName(PrivateServer::superUser());
        db.setDatabaseName(QStringLiteral("postgres"));
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("select now()")));
    }
    if (!otherClientStays)
        QSqlDatabase::removeDatabase(client);

    QVERIFY2(server.stopIfUnused(&error), qPrintable(error));
    QCOMPARE(server.isRunning(), keepsRunning);
    QCOMPARE(server.startedHere(), keepsRunning);
    if (otherClientStays) {
        QSqlQuery query(QSqlDatabase::database(client, false));
        QVERIFY2(query.exec(QStringLiteral("select now()")), qPrintable(query.lastError().text()));
    }
    QSqlDatabase::removeDatabase(client);
}

void tst_PrivateServer::concurrentStarts_data()
{
    QTest::addColumn<bool>("existingCluster");

    QTest::newRow("fresh folder") << false;
    QTest::newRow("existing cluster") << true;
}

void tst_PrivateServer::concurrentStarts()
{
    QFETCH(bool, existingCluster);

    QTemporaryDir parent(QStringLiteral("/tmp/wp-private-XXXXXX"));
    QVERIFY(makeReachable(parent));
    const QString root = parent.filePath(QStringLiteral("server"));
    const auto stopAnyway = qScopeGuard([&root] { PrivateServer(root).stop(nullptr); });
    if (existingCluster) {
        PrivateServer server(root);
        server.setVolatile(true);
        QString error;
        QVERIFY2(server.start(&error) && server.stop(&error), qPrintable(error));
    }

    const QString database = QStringLiteral("shared");
    auto first = std::async(std::launch::async, openServer, root, database);
    auto second = std::async(std::launch::async, openServer, root, database);
    const Outcome one = first.get();
    const Outcome other = second.get();
    QVERIFY2(one.ok, qPrintable(one.error));
    QVERIFY2(other.ok, qPrintable(other.error));
    // Exactly one of them owns the server, so exactly one will stop it.
    QCOMPARE(int(one.startedHere) + int(other.startedHere), 1);
}

void tst_PrivateServer::concurrentDatabaseCreation()
{
    QTemporaryDir parent(QStringLiteral("/tmp/wp-private-XXXXXX"));
    QVERIFY(makeReachable(parent));
    const QString root = parent.filePath(QStringLiteral("server"));
    PrivateServer server(root);
    server.setVolatile(true);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    const auto stopAnyway = qScopeGuard([&server] { server.stop(nullptr); });

    std::vector<std::future<Outcome>> openings;
    for (int i = 0; i < 4; ++i)
        openings.push_back(std::async(std::launch::async, openServer, root, QStringLiteral("raced")));
    for (auto &opening : openings) {
        const Outcome outcome = opening.get();
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QVERIFY(!outcome.startedHere);
    }
}

void tst_PrivateServer::refusesFoldersOthersControl_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("link at the folder") << "link" << "is a symbolic link";
    QTest::newRow("link to a missing folder") << "dangling link" << "is a symbolic link";
    QTest::newRow("link at the socket folder") << "socket link" << "is a symbolic link";
    QTest::newRow("folder of another user") << "foreign" << "belongs to another user";
    QTest::newRow("folder open to others") << "open" << "is open to other users";
    QTest::newRow("parent that others may change") << "open parent" << "others may change";
}

void tst_PrivateServer::refusesFoldersOthersControl()
{
    QFETCH(QString, setup);
    QFETCH(QString, refusal);

    QTemporaryDir parent(QStringLiteral("/tmp/wp-private-XXXXXX"));
    QVERIFY(makeReachable(parent));
    QString root = parent.filePath(QStringLiteral("server"));
    // What an attacker would like the server's owner to take over.
    const QString target = parent.filePath(QStringLiteral("target"));
    QVERIFY(QDir().mkdir(target));
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                                  | QFile::ExeOther));
    QFile keep(target + QStringLiteral("/keep"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();

    if (setup == QLatin1String("link")) {
        QVERIFY(QFile::link(target, root));
    } else if (setup == QLatin1String("dangling link")) {
        QVERIFY(QFile::link(parent.filePath(QStringLiteral("nowhere")), root));
    } else if (setup == QLatin1String("socket link")) {
        QVERIFY(QDir().mkdir(root));
        QVERIFY(QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QFile::link(target, root + QStringLiteral("/socket")));
    } else if (setup == QLatin1String("foreign")) {
        if (::geteuid() != 0)
            QSKIP("only root can give a folder to another user");
        QVERIFY(QDir().mkdir(root));
        QCOMPARE(::chown(QFile::encodeName(root).constData(), 65534, 65534), 0);
        QVERIFY(QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    } else if (setup == QLatin1String("open")) {
        QVERIFY(QDir().mkdir(root));
        QFile inside(root + QStringLiteral("/something"));
        QVERIFY(inside.open(QIODevice::WriteOnly));
    } else if (setup == QLatin1String("open parent")) {
        const QString open = parent.filePath(QStringLiteral("open"));
        QVERIFY(QDir().mkdir(open));
        QCOMPARE(::chmod(QFile::encodeName(open).constData(), 0777), 0);
        root = open + QStringLiteral("/server");
    }
    struct stat before;
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &before), 0);

    PrivateServer server(root);
    server.setVolatile(true);
    QString error;
    QVERIFY(!server.start(&error));
    QVERIFY2(error.contains(refusal), qPrintable(error));

    // The target is as it was: same owner, same mode, nothing added.
    struct stat after;
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &after), 0);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(QDir(target).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"keep"});
    QVERIFY(!QFile::exists(parent.filePath(QStringLiteral("nowhere"))));
}

void tst_PrivateServer::closesAnEmptyFolderMadeByHand()
{
    QTemporaryDir parent(QStringLiteral("/tmp/wp-private-XXXXXX"));
    QVERIFY(makeReachable(parent));
    const QString made = parent.filePath(QStringLiteral("made/by/hand"));
    QVERIFY(QDir().mkpath(made));
    QCOMPARE(::chmod(QFile::encodeName(made).constData(), 0755), 0);

    QString error;
    const SecureFolder folder = SecureFolder::open(made, static_cast<uid_t>(-1), 0700, &error);
    QVERIFY2(folder.isValid(), qPrintable(error));
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(made).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0700u);

    // Missing parents are made as asked, the folder itself private.
    const QString fresh = parent.filePath(QStringLiteral("new/parents/server"));
    QVERIFY2(SecureFolder::open(fresh, static_cast<uid_t>(-1), 0711, &error).isValid(), qPrintable(error));
    QCOMPARE(::stat(QFile::encodeName(parent.filePath(QStringLiteral("new"))).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0711u);
    QCOMPARE(::stat(QFile::encodeName(fresh).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0700u);
    QVERIFY(!SecureFolder::open(QStringLiteral("relative/path"), static_cast<uid_t>(-1), 0700, &error).isValid());
}

QTEST_MAIN(tst_PrivateServer)
#include "tst_privateserver.moc"
