// The shell as a user starts it: creating the database on first start,
// logging in and rendering its window, all through the real binary.

#include "privateserver.h"
#include "testserver.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QLibrary>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class tst_Shell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startUp_data();
    void startUp();
    void passwordSources_data();
    void passwordSources();
    void privateServerStopsWithItsLastUser_data();
    void privateServerStopsWithItsLastUser();
    void twoFirstStartsAtOnce();
    void quietUnlessAsked_data();
    void quietUnlessAsked();
    void openRecord_data();
    void openRecord();
    void windowThatAsksSomething();

private:
    qlonglong scalar(const QString &statement);
    QLibrary m_driver;
    QImage screenshot(const QStringList &arguments, int *exitCode, QString *output);
    QImage m_plain; // the demo database's window as it opens, without a record

    int runShell(const QStringList &arguments, const QByteArray &input, QString *output,
                 const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    int runProcess(const QStringList &arguments, const QByteArray &input, QString *output,
                   const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
};

void tst_Shell::initTestCase()
{
    QString error;
    // The deals to open, in a database of their own: the one the shell
    // creates below on a configured server gets no demo data.
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_shell_deals"), &error), qPrintable(error));
    qApp->setProperty("bDemoData", true);
    m_driver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::createSchema(&m_driver, &error), qPrintable(error));
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_shell"), &error), qPrintable(error));
}

int tst_Shell::runShell(const QStringList &arguments, const QByteArray &input, QString *output,
                        const QProcessEnvironment &environment)
{
    QStringList all = {QStringLiteral("--db-host"), TestServer::socketDir(), QStringLiteral("--db-name"),
                       QStringLiteral("tst_shell"), QStringLiteral("--db-user"), QStringLiteral("workplace")};
    all += arguments;
    return runProcess(all, input, output, environment);
}

int tst_Shell::runProcess(const QStringList &arguments, const QByteArray &input, QString *output,
                          const QProcessEnvironment &environment)
{
    QProcess shell;
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.setProcessEnvironment(environment);
    shell.start(QStringLiteral(WORKPLACE_SHELL), arguments);
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
    QTest::newRow("no user without GUI") << QStringList{"--no-gui"} << QByteArray() << 2
                                         << "--no-gui needs --user and --password";
    QTest::newRow("no password without GUI") << QStringList{"--no-gui", "--user", "admin"} << QByteArray() << 2
                                             << "--no-gui needs --user and --password";
    QTest::newRow("help") << QStringList{"--help"} << QByteArray() << 2 << "--no-gui";
    QTest::newRow("help with the toolkit's options") << QStringList{"--help-all"} << QByteArray() << 2 << "--no-gui";
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

void tst_Shell::passwordSources_data()
{
    QTest::addColumn<QStringList>("arguments");   // "FILE" stands for the password file
    QTest::addColumn<QByteArray>("fileText");
    QTest::addColumn<int>("fileMode");            // octal
    QTest::addColumn<QString>("environment");     // WORKPLACE_PASSWORD, unset when empty
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");

    const QStringList withFile = {"--no-gui", "--user", "admin", "--password-file", "FILE"};
    const QStringList withoutPassword = {"--no-gui", "--user", "admin"};
    QTest::newRow("password file") << withFile << QByteArray("admin\n") << 0600 << "" << 0 << "Logged in as";
    QTest::newRow("password file written on Windows") << withFile << QByteArray("admin\r\nrest\n") << 0600 << ""
                                                      << 0 << "Logged in as";
    QTest::newRow("password file others can read") << withFile << QByteArray("admin\n") << 0644 << "" << 2
                                                   << "can be read by other users";
    QTest::newRow("wrong password in the file") << withFile << QByteArray("Admin\n") << 0600 << "" << 1
                                                << "Неверное имя пользователя или пароль.";
    QTest::newRow("missing password file") << QStringList{"--no-gui", "--user", "admin", "--password-file", "/no/such/file"}
                                           << QByteArray() << 0600 << "" << 2 << "Cannot read the password file";
    QTest::newRow("environment variable") << withoutPassword << QByteArray() << 0600 << "admin" << 0 << "Logged in as";
    QTest::newRow("the command line wins") << QStringList{"--no-gui", "--user", "admin", "--password", "admin"}
                                           << QByteArray() << 0600 << "wrong" << 0 << "Logged in as";
    QTest::newRow("password twice") << QStringList{"--no-gui", "--user", "admin", "--password", "admin",
                                                   "--password-file", "FILE"}
                                    << QByteArray("admin\n") << 0600 << "" << 2 << "Give the password once";
}

void tst_Shell::passwordSources()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, fileText);
    QFETCH(int, fileMode);
    QFETCH(QString, environment);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("password"));
    QFile password(file);
    QVERIFY(password.open(QIODevice::WriteOnly));
    password.write(fileText);
    password.close();
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), static_cast<mode_t>(fileMode)), 0);
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^FILE$")), file);

    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(QStringLiteral("WORKPLACE_PASSWORD"));
    if (!environment.isEmpty())
        variables.insert(QStringLiteral("WORKPLACE_PASSWORD"), environment);
    QString output;
    QCOMPARE(runShell(arguments, QByteArray(), &output, variables), exitCode);
    QVERIFY2(output.contains(expected), qPrintable(output));
}

void tst_Shell::privateServerStopsWithItsLastUser_data()
{
    QTest::addColumn<bool>("databaseCannotBeCreated");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");

    // Its own connection, closed by then, must not count as another user.
    QTest::newRow("logged in and out") << false << QByteArray("\ny\n") << 0 << "Logged in as Администратор";
    QTest::newRow("database cannot be created") << true << QByteArray() << 1 << "template1";
}

void tst_Shell::privateServerStopsWithItsLastUser()
{
    QFETCH(bool, databaseCannotBeCreated);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);

    QTemporaryDir parent(QStringLiteral("/tmp/wp-shell-XXXXXX"));
    // Run as root, the server's own user must be able to pass through.
    QVERIFY(QFile::setPermissions(parent.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                         | QFile::ExeGroup | QFile::ExeOther));
    const QString root = parent.filePath(QStringLiteral("server"));
    const auto stopAnyway = qScopeGuard([&root] { PrivateServer(root).stop(nullptr); });
    {
        // A cluster of its own, made quickly and left stopped for the shell to start.
        PrivateServer server(root);
        server.setVolatile(true);
        QString error;
        QVERIFY2(server.start(&error), qPrintable(error));
        if (databaseCannotBeCreated) {
            const QString name = QStringLiteral("template-breaker");
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
                db.setHostName(server.socketDir());
                db.setUserName(PrivateServer::superUser());
                db.setDatabaseName(QStringLiteral("postgres"));
                QVERIFY2(db.open(), qPrintable(db.lastError().text()));
                QSqlQuery query(db);
                QVERIFY(query.exec(QStringLiteral("alter database template1 is_template false")));
                QVERIFY2(query.exec(QStringLiteral("drop database template1")), qPrintable(query.lastError().text()));
            }
            QSqlDatabase::removeDatabase(name);
        }
        QVERIFY2(server.stop(&error), qPrintable(error));
    }

    // Nothing but the data folder may point the shell at a server.
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"PGHOST", "PGHOSTADDR", "PGDATABASE", "PGSERVICE", "PGPORT"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());

    QString output;
    QCOMPARE(runProcess({"--no-gui", "--user", "admin", "--password", "admin", "--data-dir", root}, input, &output,
                        environment), exitCode);
    QVERIFY2(output.contains(expected), qPrintable(output));
    QVERIFY2(!PrivateServer(root).isRunning(), qPrintable(output));
}

namespace {

QByteArray procFile(qint64 pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool waitForOutput(QProcess *process, const QByteArray &text, QByteArray *seen)
{
    QDeadlineTimer deadline(120000);
    while (!seen->contains(text)) {
        if (deadline.hasExpired() || process->state() == QProcess::NotRunning)
            return false;
        process->waitForReadyRead(200);
        seen->append(process->readAll());
    }
    return true;
}

} // namespace

void tst_Shell::twoFirstStartsAtOnce()
{
    QTemporaryDir parent(QStringLiteral("/tmp/wp-shell-XXXXXX"));
    QVERIFY(QFile::setPermissions(parent.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                         | QFile::ExeGroup | QFile::ExeOther));
    const QString root = parent.filePath(QStringLiteral("server"));
    const auto stopAnyway = qScopeGuard([&root] { PrivateServer(root).stop(nullptr); });
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"PGHOST", "PGHOSTADDR", "PGDATABASE", "PGSERVICE", "PGPORT", "WORKPLACE_PASSWORD"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());

    // The first gives its password in the environment and starts the server;
    // the second on the command line. Both stop at the question about creating
    // the database, which they are then answered at the same moment.
    const QString secret = QStringLiteral("admin");
    QProcessEnvironment withVariable = environment;
    withVariable.insert(QStringLiteral("WORKPLACE_PASSWORD"), secret);
    QProcess first;
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.setProcessEnvironment(withVariable);
    first.start(QStringLiteral(WORKPLACE_SHELL), {"--no-gui", "--user", "admin", "--data-dir", root});
    QByteArray firstOutput;
    QVERIFY2(waitForOutput(&first, "Want for create?", &firstOutput), firstOutput.constData());

    QProcess second;
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(WORKPLACE_SHELL), {"--no-gui", "--user", "admin", "--password", secret, "--data-dir", root});
    QByteArray secondOutput;
    QVERIFY2(waitForOutput(&second, "Want for create?", &secondOutput), secondOutput.constData());

    // Neither the process list nor the server the first one started shows the password.
    const QList<QByteArray> arguments = procFile(second.processId(), "cmdline").split('\0');
    const int option = arguments.indexOf("--password");
    QVERIFY(option > 0);
    QCOMPARE(arguments.value(option + 1), QByteArray("xxxxx"));
    QFile pidFile(root + QStringLiteral("/pgdata/postmaster.pid"));
    QVERIFY(pidFile.open(QIODevice::ReadOnly));
    const qint64 postmaster = pidFile.readLine().trimmed().toLongLong();
    QVERIFY(postmaster > 0);
    QVERIFY(!procFile(postmaster, "environ").contains("WORKPLACE_PASSWORD"));

    first.write("y\n");
    second.write("y\n");
    first.closeWriteChannel();
    second.closeWriteChannel();
    QVERIFY(first.waitForFinished(120000));
    QVERIFY(second.waitForFinished(120000));
    firstOutput += first.readAll();
    secondOutput += second.readAll();
    QVERIFY2(first.exitCode() == 0 && firstOutput.contains("Logged in as"), firstOutput.constData());
    QVERIFY2(second.exitCode() == 0 && secondOutput.contains("Logged in as"), secondOutput.constData());
}

void tst_Shell::quietUnlessAsked_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QStringList>("expected");   // lines in this order, nothing else
    QTest::addColumn<QStringList>("included");   // among other lines

    const QStringList login = {"--no-gui", "--user", "admin", "--password", "admin"};
    const QString loggedIn = QStringLiteral("Logged in as Администратор on tst_shell");
    // Qt names the category before the text of each line.
    const QString settingsLine = QStringLiteral("workplace.sql: QDbSettings::QDbSettings(QObject*) \"GLOBAL\"");
    QTest::newRow("normal start") << login << QString() << QStringList{loggedIn} << QStringList();
    QTest::newRow("window saved as a picture") << QStringList{"--user", "admin", "--password", "admin", "--screenshot", "%1"}
                                               << QString() << QStringList() << QStringList();
    QTest::newRow("verbose") << login + QStringList{"--verbose"} << QString() << QStringList()
                             << QStringList{settingsLine, loggedIn};
    QTest::newRow("one category by rule") << login << "workplace.sql.debug=true"
                                          << QStringList{settingsLine, loggedIn} << QStringList();
    QTest::newRow("verbose, but the rules keep a category quiet")
            << login + QStringList{"--verbose"} << "workplace.sql.debug=false" << QStringList()
            << QStringList{loggedIn};
}

void tst_Shell::quietUnlessAsked()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, rules);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, included);

    QTemporaryDir dir;
    arguments.replaceInStrings(QStringLiteral("%1"), dir.filePath(QStringLiteral("shell.png")));
    // No runtime folder, as in a bare login session: the shell makes one without a word.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    if (!rules.isEmpty())
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), rules);

    QString output;
    QCOMPARE(runShell(arguments, QByteArray(), &output, environment), 0);
    if (arguments.contains(QStringLiteral("--screenshot")))
        QVERIFY(!QImage(dir.filePath(QStringLiteral("shell.png"))).isNull());
    const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!expected.isEmpty() || included.isEmpty())
        QCOMPARE(lines, expected);
    for (const QString &line : qAsConst(included))
        QVERIFY2(lines.contains(line), qPrintable(output));
    if (rules.endsWith(QLatin1String("=false")))
        QVERIFY2(!output.contains(QLatin1String("QDbSettings::")), qPrintable(output));
}

qlonglong tst_Shell::scalar(const QString &statement)
{
    const QString name = QStringLiteral("tst_shell-reader");
    qlonglong value = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(TestServer::socketDir());
        db.setUserName(PrivateServer::superUser());
        db.setDatabaseName(QStringLiteral("tst_shell_deals"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(statement) && query.next() && !query.isNull(0))
                value = query.value(0).toLongLong();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

QImage tst_Shell::screenshot(const QStringList &arguments, int *exitCode, QString *output)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("shell.png"));
    // The last --db-name counts.
    *exitCode = runShell(QStringList{"--db-name", "tst_shell_deals", "--user", "admin", "--password", "admin",
                                     "--screenshot", picture} + arguments,
                         QByteArray(), output);
    return QImage(picture);
}

void tst_Shell::openRecord_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("record");      // the statement that finds the record's id
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("editorOpens");
    QTest::addColumn<QString>("expected");    // in the output

    // The list opens on the planned deals: a closed one has to be brought into it.
    QTest::newRow("closed deal") << "t_deals" << "select min(id) from jur.t_deals where id_state = 5" << 0 << true
                                 << QString();
    QTest::newRow("table name in capitals") << "T_DEALS" << "select max(id) from jur.t_deals where id_state = 1"
                                            << 0 << true << QString();
    QTest::newRow("deal that does not exist") << "t_deals" << "select max(id) + 1000 from jur.t_deals" << 0 << false
                                              << QString();
    QTest::newRow("positions have no reminders")
            << "t_deal_details" << "select min(id) from jur.t_deal_details" << 1 << false
            << "Записи таблицы \"t_deal_details\" не открывает ни один модуль.";
    QTest::newRow("unknown table") << "t_nothing" << "select 1" << 1 << false
                                   << "Записи таблицы \"t_nothing\" не открывает ни один модуль.";
}

void tst_Shell::openRecord()
{
    QFETCH(QString, table);
    QFETCH(QString, record);
    QFETCH(int, exitCode);
    QFETCH(bool, editorOpens);
    QFETCH(QString, expected);

    const qlonglong id = scalar(record);
    QVERIFY2(id > 0, "the demo deals are missing");
    QString output;
    if (m_plain.isNull()) {
        int plainExit = -1;
        m_plain = screenshot({}, &plainExit, &output);
        QVERIFY2(plainExit == 0 && !m_plain.isNull(), qPrintable(output));
        QVERIFY(m_plain.width() >= 640 && m_plain.height() >= 400);
    }

    int exit = -1;
    const QImage opened = screenshot({"--open-record", table, QString::number(id)}, &exit, &output);
    QCOMPARE(exit, exitCode);
    QVERIFY2(output.contains(expected), qPrintable(output));
    if (exitCode != 0) {
        QVERIFY2(opened.isNull(), "a refused record still rendered the window");
        return;
    }
    QVERIFY2(!opened.isNull(), qPrintable(output));
    // The editor takes the lower part of the module: the picture changes
    // only when it opened.
    QCOMPARE(opened.size(), m_plain.size());
    QCOMPARE(opened != m_plain, editorOpens);
}

// A window whose building asks something (a search that finds nothing) is
// still pictured: nobody is there to answer, and the question goes to the output.
void tst_Shell::windowThatAsksSomething()
{
    int exit = -1;
    QString output;
    const QImage tree = screenshot({"--window", "ItemTree:нет такого изделия"}, &exit, &output);
    QCOMPARE(exit, 0);
    QVERIFY2(!tree.isNull(), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("По вашему запросу ничего не найдено")), qPrintable(output));
}

QTEST_MAIN(tst_Shell)
#include "tst_shell.moc"
