// The user's private server: created on first use, reused while it runs,
// stopped cleanly, and reachable only through its socket folder.

#include "privateserver.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class tst_PrivateServer : public QObject
{
    Q_OBJECT

private slots:
    void lifecycle();
};

void tst_PrivateServer::lifecycle()
{
    QTemporaryDir parent(QStringLiteral("/tmp/wp-private-XXXXXX"));
    // Run as root, the server's own user must be able to pass through.
    QVERIFY(QFile::setPermissions(parent.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                         | QFile::ExeGroup | QFile::ExeOther));
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

QTEST_MAIN(tst_PrivateServer)
#include "tst_privateserver.moc"
