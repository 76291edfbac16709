// Passwords stay in the process: logins and password changes check and make
// bcrypt hashes here, and no statement the server sees holds a password.

#include "objvar.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QFile>
#include <QLibrary>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QtTest>

class tst_Secrets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void changePassword_data();
    void changePassword();
    void noStatementHoldsAPassword();

private:
    QString storedHash(const QString &login);

    QLibrary m_driver;
    QSqlConnection m_connection;
};

void tst_Secrets::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_secrets"), &error), qPrintable(error));
    m_driver.setFileName(TestServer::driverFile());
    QVERIFY2(TestServer::connectAndLogin(&m_driver, &m_connection, true, &error), qPrintable(error));
    qApp->setProperty("Connection", objToVar(&m_connection));
}

void tst_Secrets::init()
{
    // Users made the way the schema's demo data makes them: hashes by the server's pgcrypto.
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral(
            "delete from sys.t_user where c_login <> 'admin';"
            "update sys.t_user set c_pass_hash = sys.hash_password('admin') where c_login = 'admin';"
            "insert into sys.t_user (c_name, c_login, c_pass_hash) values"
            " ('Иванов Иван Иванович', 'ivanov', sys.hash_password('ivanov')),"
            " ('Петрова Мария Сергеевна', 'petrova', sys.hash_password('petrova'))")));
}

void tst_Secrets::cleanup()
{
    QVERIFY(m_connection.login(QStringLiteral("admin"), QStringLiteral("admin")));
}

QString tst_Secrets::storedHash(const QString &login)
{
    QSqlQuery query = m_connection.execScript(QStringLiteral("select c_pass_hash from sys.t_user where c_login = :login"),
                                              QVariantList{login});
    return query.isValid() ? query.value(0).toString() : QString();
}

void tst_Secrets::changePassword_data()
{
    QTest::addColumn<QString>("actor");          // who is logged in; the password equals the login
    QTest::addColumn<QString>("target");         // whose password changes
    QTest::addColumn<QString>("current");        // the actor's password as typed
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("refusal");        // part of the message; empty when the change is made

    QTest::newRow("own password") << "ivanov" << "ivanov" << "ivanov" << "Берёза-2024" << "";
    QTest::newRow("own, wrong current password") << "ivanov" << "ivanov" << "Ivanov" << "Берёза-2024"
                                                 << "Текущий пароль указан неверно";
    QTest::newRow("another user's, not an administrator") << "ivanov" << "petrova" << "ivanov" << "Берёза-2024"
                                                          << "только администратор";
    QTest::newRow("reset by the administrator") << "admin" << "petrova" << "admin" << "Осина-2025" << "";
    QTest::newRow("reset, administrator's password wrong") << "admin" << "petrova" << "petrova" << "Осина-2025"
                                                           << "Текущий пароль указан неверно";
    QTest::newRow("too short") << "petrova" << "petrova" << "petrova" << "abc12" << "не короче 6";
    QTest::newRow("equal to the login") << "petrova" << "petrova" << "petrova" << "petrova"
                                        << "не должен совпадать с именем";
    QTest::newRow("unknown user") << "admin" << "nobody" << "admin" << "Берёза-2024" << "не найден";
}

void tst_Secrets::changePassword()
{
    QFETCH(QString, actor);
    QFETCH(QString, target);
    QFETCH(QString, current);
    QFETCH(QString, newPassword);
    QFETCH(QString, refusal);

    QVERIFY(m_connection.login(actor, actor));
    const QString hashBefore = storedHash(target);
    QString error;
    QCOMPARE(m_connection.changePassword(target, current, newPassword, &error), refusal.isEmpty());
    QVERIFY2(refusal.isEmpty() ? error.isEmpty() : error.contains(refusal), qPrintable(error));
    if (!refusal.isEmpty()) {
        QCOMPARE(storedHash(target), hashBefore);
        QCOMPARE(qApp->property("LogedPass").toString(), actor);
        return;
    }
    // A fresh bcrypt hash made here; the new password logs in, the old one no longer.
    QVERIFY(storedHash(target).startsWith(QLatin1String("$2b$10$")));
    QCOMPARE(qApp->property("LogedPass").toString(), target == actor ? newPassword : actor);
    QVERIFY(m_connection.login(target, newPassword));
    QVERIFY(!m_connection.login(target, target));
}

void tst_Secrets::noStatementHoldsAPassword()
{
    // Every statement of this session goes to the server's log.
    QSqlQuery query(m_connection.database());
    QVERIFY(query.exec(QStringLiteral("set log_statement = 'all'")));

    const auto unique = [] { return QStringLiteral("pw-") + QUuid::createUuid().toString(QUuid::Id128); };
    const QString reset = unique();
    const QString wrong = unique();
    const QString own = unique();
    QString error;
    QVERIFY2(m_connection.changePassword(QStringLiteral("ivanov"), QStringLiteral("admin"), reset, &error), qPrintable(error));
    QVERIFY(!m_connection.login(QStringLiteral("ivanov"), wrong));
    QVERIFY(m_connection.login(QStringLiteral("ivanov"), reset));
    QVERIFY2(m_connection.changePassword(QStringLiteral("ivanov"), reset, own, &error), qPrintable(error));
    QVERIFY(m_connection.login(QStringLiteral("ivanov"), own));
    QVERIFY(query.exec(QStringLiteral("set log_statement = 'none'")));

    QFile log(TestServer::serverLogFile());
    QVERIFY2(log.open(QIODevice::ReadOnly), qPrintable(log.fileName()));
    const QByteArray text = log.readAll();
    // The log did record the logins, and none of the passwords.
    QVERIFY(text.contains("c_pass_hash from sys.t_user where c_login = 'ivanov'"));
    for (const QString &password : {reset, wrong, own})
        QVERIFY2(!text.contains(password.toUtf8()), qPrintable(password));
}

QTEST_MAIN(tst_Secrets)
#include "tst_secrets.moc"
