// The connection's contract with its driver and the shell: connect statuses,
// creating a database, logging in, driver discovery, conversion, tracing and
// error reporting.

#include "modalanswerer.h"
#include "objvar.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QLibrary>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QSqlError>
#include <QSqlField>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

// Feeds text to the process's standard input for the terminal prompt.
class StdinFeeder
{
public:
    explicit StdinFeeder(const QByteArray &input)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        const ssize_t written = ::write(fds[1], input.constData(), static_cast<size_t>(input.size()));
        Q_UNUSED(written)
        ::close(fds[1]);
        m_savedStdin = ::dup(STDIN_FILENO);
        ::dup2(fds[0], STDIN_FILENO);
        ::close(fds[0]);
        std::clearerr(stdin);
    }
    ~StdinFeeder()
    {
        ::dup2(m_savedStdin, STDIN_FILENO);
        ::close(m_savedStdin);
        std::clearerr(stdin);
    }
    // What the code under test left unread.
    QByteArray rest() const
    {
        QByteArray bytes;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, stdin))
            bytes.append(buffer);
        return bytes;
    }

private:
    int m_savedStdin = -1;
};

void steerFake(const QString &status, const QString &start = QString(), bool batchResult = false)
{
    qApp->setProperty("fakeStatus", status);
    qApp->setProperty("fakeStart", start);
    qApp->setProperty("fakeBatchResult", batchResult);
    qApp->setProperty("fakeBatchScript", QVariant());
}

} // namespace

class tst_SqlConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void connectStatus_data();
    void connectStatus();
    void terminalPrompt_data();
    void terminalPrompt();
    void creationFailures_data();
    void creationFailures();
    void loginFallbacks();

    void realLogin_data();
    void realLogin();
    void scanForDrivers();
    void convertRecord();
    void driverServices();
    void traceAndErrorReporting_data();
    void traceAndErrorReporting();

private:
    QLibrary m_realDriver;
    QSqlConnection m_real;
};

void tst_SqlConnection::initTestCase()
{
    // The promised debug lines are checked by their text, so their categories are on.
    QLoggingCategory::setFilterRules(QStringLiteral("workplace.*.debug=true"));
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_sqlconnection"), &error), qPrintable(error));
    m_realDriver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::connectAndLogin(&m_realDriver, &m_real, true, &error), qPrintable(error));
    qApp->setProperty("Connection", objToVar(&m_real));
}

void tst_SqlConnection::connectStatus_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("answer");         // button pressed in the creation question, 0 = none shown
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("loginError");
    QTest::addColumn<QString>("boxTitle");  // of the error box, empty when none
    QTest::addColumn<QString>("boxText");

    QTest::newRow("ok") << "Ok" << 0 << true << false << "" << "";
    QTest::newRow("ok in other case") << "ok" << 0 << false << false << "ERROR" << "ok";
    QTest::newRow("OK in capitals") << "OK" << 0 << false << false << "ERROR" << "OK";
    QTest::newRow("login error") << "LOGIN ERROR" << 0 << false << true << "" << "";
    QTest::newRow("server message") << "could not connect to server" << 0 << false << false
                                    << "ERROR" << "could not connect to server";
    QTest::newRow("invalid, cancelled") << "INVALID" << int(QMessageBox::Cancel) << false << false << "" << "";
    QTest::newRow("invalid, created") << "INVALID" << int(QMessageBox::Ok) << true << false << "" << "";
}

void tst_SqlConnection::connectStatus()
{
    QFETCH(QString, status);
    QFETCH(int, answer);
    QFETCH(bool, connected);
    QFETCH(bool, loginError);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);

    QLibrary driver(QStringLiteral(FAKE_DRIVER_WITH_START));
    QSqlConnection connection(&driver);
    steerFake(status, QStringLiteral("create table x (id int)"), true);

    ModalAnswerer answerer;
    if (answer)
        answerer.pressButton(answer);
    if (!boxTitle.isEmpty())
        answerer.pressButton(QMessageBox::Ok);

    QCOMPARE(connection.Connect(QStringLiteral("fake"), false), connected);
    QCOMPARE(connection.isConnected(), connected);
    QCOMPARE(connection.loginError(), loginError);
    QCOMPARE(answerer.pending(), 0);
    if (answer) {
        QCOMPARE(answerer.titles.value(0), QStringLiteral("Unknown database"));
        QCOMPARE(answerer.texts.value(0), QStringLiteral("Database is invalid or corrupted. Want for create?"));
        QCOMPARE(qApp->property("fakeBatchScript").isValid(), answer == QMessageBox::Ok);
    }
    if (!boxTitle.isEmpty()) {
        QCOMPARE(answerer.titles.value(0), boxTitle);
        QCOMPARE(answerer.texts.value(0), boxText);
    }
}

void tst_SqlConnection::terminalPrompt_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("created");
    QTest::addColumn<QByteArray>("unread");

    QTest::newRow("y") << QByteArray("y\nleft\n") << true << QByteArray("left\n");
    QTest::newRow("Yes") << QByteArray("Yes\n") << true << QByteArray();
    QTest::newRow("n") << QByteArray("n\nleft\n") << false << QByteArray("left\n");
    QTest::newRow("No") << QByteArray("No\n") << false << QByteArray();
    QTest::newRow("empty line asks again") << QByteArray("\ny\n") << true << QByteArray();
    QTest::newRow("other text asks again") << QByteArray("maybe\n?\nN\nleft\n") << false << QByteArray("left\n");
    QTest::newRow("end of input refuses") << QByteArray("maybe\n") << false << QByteArray();
}

void tst_SqlConnection::terminalPrompt()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, created);
    QFETCH(QByteArray, unread);

    QLibrary driver(QStringLiteral(FAKE_DRIVER_WITH_START));
    QSqlConnection connection(&driver);
    steerFake(QStringLiteral("INVALID"), QStringLiteral("create table x (id int)"), true);

    StdinFeeder feeder(input);
    QCOMPARE(connection.Connect(QStringLiteral("fake"), true), created);
    QCOMPARE(qApp->property("fakeBatchScript").isValid(), created);
    QCOMPARE(feeder.rest(), unread);
}

void tst_SqlConnection::creationFailures_data()
{
    QTest::addColumn<QString>("driverFile");
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("batchResult");
    QTest::addColumn<QString>("number");

    QTest::newRow("no getStart") << QStringLiteral(FAKE_DRIVER_NO_START) << "create table x (id int)" << true << "#1001";
    QTest::newRow("empty script") << QStringLiteral(FAKE_DRIVER_WITH_START) << "" << true << "#1002";
    QTest::newRow("script fails") << QStringLiteral(FAKE_DRIVER_WITH_START) << "create table x (id int)" << false << "#1003";
}

void tst_SqlConnection::creationFailures()
{
    QFETCH(QString, driverFile);
    QFETCH(QString, start);
    QFETCH(bool, batchResult);
    QFETCH(QString, number);

    QLibrary driver(driverFile);
    QSqlConnection connection(&driver);
    steerFake(QStringLiteral("INVALID"), start, batchResult);

    // On the terminal: a debug line ending in a full stop.
    {
        StdinFeeder feeder("y\n");
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("Internal error %1. System can not startup.").arg(number)));
        QVERIFY(!connection.Connect(QStringLiteral("fake"), true));
    }
    // In the GUI: a box whose text ends in a comma.
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    answerer.pressButton(QMessageBox::Ok);
    QVERIFY(!connection.Connect(QStringLiteral("fake"), false));
    QCOMPARE(answerer.titles, (QStringList{"Unknown database", "ERROR"}));
    QCOMPARE(answerer.texts.value(1), QStringLiteral("Internal error %1. System can not startup,").arg(number));
    QVERIFY(!connection.isConnected());
}

void tst_SqlConnection::loginFallbacks()
{
    QLibrary driver(QStringLiteral(FAKE_DRIVER_WITH_START));
    QSqlConnection connection(&driver);
    steerFake(QStringLiteral("Ok"));
    QVERIFY(connection.Connect(QStringLiteral("fake"), true));
    qApp->setProperty("fakeSuperAdmin", QStringLiteral("root-admin"));

    // The fake's database has no users table, so the name query fails.
    qApp->setProperty("fakeLoginResult", true);
    QVERIFY(connection.login(QString(), QStringLiteral("secret")));
    QCOMPARE(qApp->property("LogedIn").toString(), QStringLiteral("root-admin"));
    QCOMPARE(qApp->property("LogedUser").toString(), QString());
    QCOMPARE(qApp->property("LogedPass").toString(), QStringLiteral("secret"));

    QVERIFY(connection.login(QStringLiteral("bob"), QStringLiteral("pw")));
    QCOMPARE(qApp->property("LogedIn").toString(), QStringLiteral("bob"));

    // A refused login changes nothing.
    qApp->setProperty("fakeLoginResult", false);
    QVERIFY(!connection.login(QStringLiteral("eve"), QStringLiteral("x")));
    QCOMPARE(qApp->property("LogedUser").toString(), QStringLiteral("bob"));
}

void tst_SqlConnection::realLogin_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("shownName");

    QTest::newRow("administrator") << "admin" << "admin" << true << "Администратор";
    QTest::newRow("wrong password") << "admin" << "Admin" << false << "";
    QTest::newRow("unknown user") << "nobody" << "admin" << false << "";
    QTest::newRow("quote in the name") << "o'brien" << "pa'ss\\" << true << "O'Brien, Pat";
    QTest::newRow("injection attempt") << "x' or '1'='1" << "x' or '1'='1" << false << "";
    QTest::newRow("blocked user") << "blocked" << "blocked" << false << "";
}

void tst_SqlConnection::realLogin()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QFETCH(QString, shownName);

    QSqlQuery query(m_real.database());
    m_real.execScript(QStringLiteral("insert into sys.t_user (c_name, c_login, c_pass_hash, b_blocked) "
                                     "values (:name, :login, sys.hash_password( :pass ), :blocked) "
                                     "on conflict (c_login) do nothing"),
                      &query, QVariantList{"O'Brien, Pat", "o'brien", "pa'ss\\", false});
    QVERIFY2(query.isActive(), qPrintable(query.lastError().text()));
    m_real.execScript(QStringLiteral("insert into sys.t_user (c_name, c_login, c_pass_hash, b_blocked) "
                                     "values (:name, :login, sys.hash_password( :pass ), :blocked) "
                                     "on conflict (c_login) do nothing"),
                      &query, QVariantList{"Blocked", "blocked", "blocked", true});

    qApp->setProperty("LogedIn", QStringLiteral("unchanged"));
    QCOMPARE(m_real.login(login, password), accepted);
    QCOMPARE(qApp->property("LogedIn").toString(), accepted ? shownName : QStringLiteral("unchanged"));
    if (accepted && login != QLatin1String("admin")) {
        // An ordinary user may do only what the rights table grants.
        QVERIFY(!m_real.canDo(QStringLiteral("BigDaddy")));
        m_real.execScript(QStringLiteral("insert into sys.t_right (id_user, c_action) "
                                         "select id, :action from sys.t_user where c_login = :login"),
                          &query, QVariantList{"BigDaddy", login});
        QVERIFY(m_real.canDo(QStringLiteral("BigDaddy")));
        QVERIFY(!m_real.canDo(QStringLiteral("Other")));
    }
    // Later tests run as the administrator.
    QVERIFY(m_real.login(QStringLiteral("admin"), QStringLiteral("admin")));
}

void tst_SqlConnection::scanForDrivers()
{
    QTemporaryDir folder;
    QVERIFY(QFile::copy(TestServer::driverFile(), folder.filePath(QStringLiteral("libpgdriver.so"))));
    QVERIFY(QFile::copy(QStringLiteral(FAKE_DRIVER_NO_START), folder.filePath(QStringLiteral("libfake.so"))));
    QFile broken(folder.filePath(QStringLiteral("libbroken.so")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a library");
    broken.close();
    QFile text(folder.filePath(QStringLiteral("readme.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.close();
    QVERIFY(QFile::link(folder.filePath(QStringLiteral("libfake.so")), folder.filePath(QStringLiteral("liblink.so"))));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("libbroken\\.so")));
    const QList<drvInfo> drivers = ::scanForDrivers(folder.path());
    QStringList found;
    for (const drvInfo &driver : drivers)
        found.append(driver.name + QLatin1Char('=') + driver.fileName);
    found.sort();
    QCOMPARE(found, (QStringList{"Fake without start=libfake.so", "PostgreSQL (workplace)=libpgdriver.so"}));

    QTest::ignoreMessage(QtWarningMsg, "Folder /no/such/folder not found.");
    QVERIFY(::scanForDrivers(QStringLiteral("/no/such/folder")).isEmpty());
}

void tst_SqlConnection::convertRecord()
{
    infoList columns;
    colInfo id;
    id.fieldName = QStringLiteral("id");
    id.dataType = QVariant::Int;
    colInfo name;
    name.fieldName = QStringLiteral("c_name");
    name.dataType = QVariant::String;
    name.defValue = QStringLiteral("без имени");
    colInfo amount;
    amount.fieldName = QStringLiteral("n_amount");
    amount.dataType = QVariant::Double;
    columns << id << name << amount;
    QVERIFY(columns.contains(QStringLiteral("C_NAME")));
    QVERIFY(!columns.contains(QStringLiteral("c_other")));

    QSqlRecord source;
    source.append(QSqlField(QStringLiteral("extra"), QVariant::String));
    source.append(QSqlField(QStringLiteral("n_amount"), QVariant::String));
    source.append(QSqlField(QStringLiteral("id"), QVariant::String));
    source.setValue(QStringLiteral("extra"), QStringLiteral("dropped"));
    source.setValue(QStringLiteral("n_amount"), QStringLiteral("not a number"));
    source.setValue(QStringLiteral("id"), QStringLiteral("42"));

    const QSqlRecord result = m_real.convert(source, columns);
    QCOMPARE(result.count(), 3);
    QCOMPARE(result.fieldName(0), QStringLiteral("id"));
    QCOMPARE(result.value(0), QVariant(42));
    QCOMPARE(result.fieldName(1), QStringLiteral("c_name"));
    QCOMPARE(result.value(1).toString(), QStringLiteral("без имени"));
    // A value the driver cannot convert stays as it came.
    QCOMPARE(result.value(2), QVariant(QStringLiteral("not a number")));
    QVERIFY(!result.contains(QStringLiteral("extra")));
}

void tst_SqlConnection::driverServices()
{
    QVERIFY(m_real.getScript(QStringLiteral("USER_ATTR_READ")).contains(QLatin1String(":group")));
    // Served ready for binding: a parameter at the end of a line is still a token of its own.
    QCOMPARE(QSqlConnection::parameterTokens(m_real.getScript(QStringLiteral("USER_ATTR_READ"))),
             (QStringList{":group", ":key"}));
    QVERIFY(m_real.getScript(QStringLiteral("NO_SUCH_SCRIPT")).isEmpty());
    QCOMPARE(m_real.getSystemAttr(QStringLiteral("superAdminId")).toString(), QStringLiteral("1"));
    QVERIFY(m_real.getSystemAttr(QStringLiteral("FilePath")).isValid());
    QVERIFY(!m_real.getSystemAttr(QStringLiteral("NoSuchAttr")).isValid());
    QVERIFY(m_real.canDo(QStringLiteral("anything"))); // the administrator may do everything
    QCOMPARE(m_real.execScript(QStringLiteral("select 40 + 2")).toInt(), 42);
    QPanelList panels;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^bool QSqlConnection::GetList")));
    QTest::ignoreMessage(QtDebugMsg, "Loading plugin list");
    QVERIFY(m_real.GetList(panels));

    // The key that the last insert generated, under the table's key name.
    QSqlQuery query(m_real.database());
    QVERIFY(query.exec(QStringLiteral("create table public.t_scoped (id_scoped serial primary key, c_name text)")));
    // A trigger that draws from another sequence after the insert must not mislead it.
    QVERIFY(query.exec(QStringLiteral(
            "create table public.t_scoped_log (id serial primary key, c_note text);"
            "alter sequence public.t_scoped_log_id_seq restart with 1000;"
            "create function public.f_scoped_log() returns trigger language plpgsql as"
            "  $$ begin insert into public.t_scoped_log (c_note) values (new.c_name); return new; end $$;"
            "create trigger tr_scoped after insert on public.t_scoped for each row execute function public.f_scoped_log()")));
    QVERIFY(query.exec(QStringLiteral("insert into public.t_scoped (c_name) values ('a'), ('b')")));
    m_real.scopeIdentity(QStringLiteral("t_scoped"), &query);
    QVERIFY(query.isValid());
    QCOMPARE(query.record().fieldName(0), QStringLiteral("id_scoped"));
    QCOMPARE(query.value(0).toInt(), 2);

    // runScript finds the connection through the application.
    QSqlQuery viaRun(QSqlDatabase::database(QStringLiteral("MainConnection")));
    ::runScript(QStringLiteral("USER_ATTR_WRITE"), &viaRun, QVariantList{"g", "k", "v", 10});
    QVERIFY2(viaRun.isActive(), qPrintable(viaRun.lastError().text()));
    QCOMPARE(m_real.execScript(QStringLiteral("select count(*) from sys.t_user_attr")).toInt(), 1);
}

void tst_SqlConnection::traceAndErrorReporting_data()
{
    QTest::addColumn<bool>("debugDb");
    QTest::addColumn<bool>("noGui");
    QTest::addColumn<bool>("boxShown");

    QTest::newRow("quiet") << false << false << false;
    QTest::newRow("debug, no GUI") << true << true << false;
    QTest::newRow("debug with GUI") << true << false << true;
}

void tst_SqlConnection::traceAndErrorReporting()
{
    QFETCH(bool, debugDb);
    QFETCH(bool, noGui);
    QFETCH(bool, boxShown);

    QTemporaryDir folder;
    const QString trace = folder.filePath(QStringLiteral("trace.sql"));
    qApp->setProperty("SQLTraceFile", trace);
    qApp->setProperty("bDebugDB", debugDb);
    qApp->setProperty("bNoGUI", noGui);

    ModalAnswerer answerer;

    QSqlQuery good = m_real.execScript(QStringLiteral("select :a"), QVariantList{"it's"});
    QVERIFY(good.isValid());
    QSqlRecord record;
    record.append(QSqlField(QStringLiteral("a"), QVariant::Int));
    record.setValue(0, 5);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^Error executing query: select 1 / \\( 5 - 5 \\)\n.*division by zero")));
    QSqlQuery bad = m_real.execScript(QStringLiteral("select 1 / ( :a - 5 )"), record);
    QVERIFY(!bad.isActive());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error executing query: ERROR:  relation")));
    m_real.execScript(QStringLiteral("select * from no_such_table"), QVariantList());

    qApp->setProperty("SQLTraceFile", QString());
    qApp->setProperty("bDebugDB", false);
    qApp->setProperty("bNoGUI", false);

    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("select 'it''s'\r\nselect 1 / ( 5 - 5 )\r\nselect * from no_such_table\r\n"));
    if (boxShown) {
        QCOMPARE(answerer.titles, (QStringList{"Database error", "Database error"}));
        QVERIFY(answerer.texts.first().contains(QLatin1String("division by zero")));
    } else {
        QVERIFY(answerer.titles.isEmpty());
    }
}

QTEST_MAIN(tst_SqlConnection)
#include "tst_sqlconnection.moc"
