// The shell as a user starts it: creating the database on first start,
// logging in and rendering its window, all through the real binary.

#include "testserver.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class tst_Shell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startUp_data();
    void startUp();
    void screenshotShowsTheLoggedInWindow();

private:
    int runShell(const QStringList &arguments, const QByteArray &input, QString *output);
};

void tst_Shell::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_shell"), &error), qPrintable(error));
}

int tst_Shell::runShell(const QStringList &arguments, const QByteArray &input, QString *output)
{
    QProcess shell;
    shell.setProcessChannelMode(QProcess::MergedChannels);
    QStringList all = {QStringLiteral("--db-host"), TestServer::socketDir(), QStringLiteral("--db-name"),
                       QStringLiteral("tst_shell"), QStringLiteral("--db-user"), QStringLiteral("workplace")};
    all += arguments;
    shell.start(QStringLiteral(WORKPLACE_SHELL), all);
    if (!shell.waitForStarted())
        return -1;
    shell.write(input);
    shell.closeWriteChannel();
    if (!shell.waitForFinished(60000)) {
        shell.kill();
        return -2;
    }
    *output = QString::fromLocal8Bit(shell.readAll());
    return shell.exitCode();
}

void tst_Shell::startUp_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");

    // In this order: the first start finds an empty database.
    QTest::newRow("refused creation") << QStringList{"--no-gui", "--user", "admin", "--password", "admin"}
                                      << QByteArray("n\n") << 1 << "Want for create? (y/n)";
    QTest::newRow("creation and login") << QStringList{"--no-gui", "--user", "admin", "--password", "admin"}
                                        << QByteArray("\ny\n") << 0 << "Logged in as Администратор";
    QTest::newRow("second start asks nothing") << QStringList{"--no-gui", "--user", "admin", "--password", "admin"}
                                               << QByteArray() << 0 << "Logged in as Администратор";
    QTest::newRow("wrong password") << QStringList{"--no-gui", "--user", "admin", "--password", "wrong"}
                                    << QByteArray() << 1 << "Неверное имя пользователя или пароль.";
    QTest::newRow("missing database") << QStringList{"--no-gui", "--user", "admin", "--password", "admin", "--db-name", "no_such_db"}
                                      << QByteArray() << 1 << "database \"no_such_db\" does not exist";
    QTest::newRow("no user without GUI") << QStringList{"--no-gui"} << QByteArray() << 2 << "--no-gui needs --user";
    QTest::newRow("no drivers") << QStringList{"--no-gui", "--user", "admin", "--password", "admin", "--driver-dir", "/nonexistent"}
                                << QByteArray() << 1 << "Нет драйверов базы данных";
}

void tst_Shell::startUp()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);

    QString output;
    QCOMPARE(runShell(arguments, input, &output), exitCode);
    QVERIFY2(output.contains(expected), qPrintable(output));
}

void tst_Shell::screenshotShowsTheLoggedInWindow()
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("shell.png"));
    QString output;
    QCOMPARE(runShell({"--user", "admin", "--password", "admin", "--screenshot", picture},
                      QByteArray(), &output), 0);
    const QImage image(picture);
    QVERIFY2(!image.isNull(), qPrintable(output));
    QVERIFY(image.width() >= 640 && image.height() >= 400);
}

QTEST_MAIN(tst_Shell)
#include "tst_shell.moc"
