// Diagnostics by category: every line the system promises comes out under its
// workplace.* category, at its level, and a logging rule switches it on and off.

#include "appcontext.h"
#include "eventhandler.h"
#include "liblist.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdbsettings.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QLibrary>
#include <QLoggingCategory>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Line
{
    QString category;
    QtMsgType type;
    QString text;
};

QList<Line> captured;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    captured.append({QString::fromLatin1(context.category), type, message});
}

void ignoreReminder(QString, long long) {}

} // namespace

class TestLogging : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void promisedLines_data();
    void promisedLines();

private:
    void provoke(const QString &action);
    bool seen(const QString &category, QtMsgType type, const QString &start) const;
    void exec(const QString &sql);

    QLibrary m_driver;
    QSqlConnection *m_connection = nullptr;
    QMap<QString, eventHandlerInfo> m_registry;
    libList m_libraries;
    QTemporaryDir m_libDir;
};

void TestLogging::initTestCase()
{
    QString error;
    QVERIFY2(TestServer::prepareDatabase(QStringLiteral("tst_logging"), &error), qPrintable(error));
    m_driver.setFileName(TestServer::driverFile());
    m_connection = new QSqlConnection(nullptr, this);
    QVERIFY2(TestServer::connectAndLogin(&m_driver, m_connection, true, &error), qPrintable(error));
    AppContext::setConnection(m_connection);
    AppContext::setEventHandlers(&m_registry);
    AppContext::setLibDir(m_libDir.path());
    exec(QStringLiteral("create schema tst; create table tst.t_note (id serial primary key, c_text text)"));
}

void TestLogging::cleanup()
{
    QLoggingCategory::setFilterRules(QString());
}

void TestLogging::exec(const QString &sql)
{
    QSqlQuery query(m_connection->database());
    QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
}

void TestLogging::provoke(const QString &action)
{
    const QString select = QStringLiteral("select id, c_text from tst.t_note where id = :id");
    const QString insert = QStringLiteral("insert into tst.t_note (c_text) values (:c_text) returning id, c_text");
    if (action == QLatin1String("empty insert script") || action == QLatin1String("new key")) {
        QDataTable table(QStringLiteral("tst.t_note"), m_connection);
        table.setScripts(select, QString(), action == QLatin1String("new key") ? insert : QString(), QString(), true);
        table.setSelectParam(QStringLiteral("id"), -1);
        table.setKeyField(QStringLiteral("id"));
        QVERIFY(table.open());
        QVERIFY(table.addRow());
        QVERIFY(table.setField(QStringLiteral("c_text"), QStringLiteral("запись")));
        QVERIFY(table.commit());
    } else if (action == QLatin1String("missing table")) {
        QDataSet dataSet;
        QVERIFY(!dataSet.getTable(QStringLiteral("t_none")));
    } else if (action == QLatin1String("reminder handler")) {
        registerEventHandler(QStringLiteral("t_deals"), ignoreReminder, QStringLiteral("deals"));
    } else if (action == QLatin1String("missing library")) {
        QVERIFY(!m_libraries.getLibrary(QStringLiteral("NoSuchModule"), true));
    } else if (action == QLatin1String("settings")) {
        QDbSettings settings;
    } else if (action == QLatin1String("failing script")) {
        QSqlQuery query = m_connection->execScript(QStringLiteral("select * from tst.t_missing where id = :id"),
                                                   QList<QVariant>{1});
        QVERIFY(!query.isActive());
    } else if (action == QLatin1String("unbindable value")) {
        const QString text = m_connection->parseQuery(QStringLiteral("select :x"), QStringLiteral("x"),
                                                      QString(QStringLiteral("a%1b")).arg(QChar(0)));
        QVERIFY(text.startsWith(QLatin1String("DO ")));
    } else {
        QFAIL(qPrintable(QStringLiteral("no such action: ") + action));
    }
}

bool TestLogging::seen(const QString &category, QtMsgType type, const QString &start) const
{
    for (const Line &line : captured) {
        if (line.category == category && line.type == type && line.text.startsWith(start))
            return true;
    }
    return false;
}

void TestLogging::promisedLines_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("category");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("onByDefault");

    QTest::newRow("empty insert script") << "empty insert script" << "workplace.table" << int(QtDebugMsg)
                                         << "WARNING: insert script is empty. tst.t_note" << false;
    QTest::newRow("new key of an inserted row") << "new key" << "workplace.table" << int(QtDebugMsg)
                                                << "emit dataChanged( id" << false;
    QTest::newRow("table not in the data set") << "missing table" << "workplace.table" << int(QtDebugMsg)
                                               << "table not found [t_none]" << false;
    QTest::newRow("reminder handler") << "reminder handler" << "workplace.module" << int(QtDebugMsg)
                                      << "bool registerEventHandler(QString, eventHandlerFunc, QString) t_deals true deals"
                                      << false;
    QTest::newRow("module library missing") << "missing library" << "workplace.module" << int(QtDebugMsg)
                                            << "ERROR LOADING LIBRARY: NoSuchModule :: " << false;
    QTest::newRow("settings object") << "settings" << "workplace.sql" << int(QtDebugMsg)
                                     << "QDbSettings::QDbSettings(QObject*) \"GLOBAL\"" << false;
    QTest::newRow("failing script") << "failing script" << "workplace.sql" << int(QtWarningMsg)
                                    << "Error executing query: " << true;
    QTest::newRow("driver refuses a value") << "unbindable value" << "workplace.driver" << int(QtWarningMsg)
                                            << "Parameter :x cannot be bound" << true;
}

void TestLogging::promisedLines()
{
    QFETCH(QString, action);
    QFETCH(QString, category);
    QFETCH(int, type);
    QFETCH(QString, line);
    QFETCH(bool, onByDefault);
    const auto msgType = static_cast<QtMsgType>(type);
    const QString level = msgType == QtDebugMsg ? QStringLiteral("debug") : QStringLiteral("warning");

    const QtMessageHandler previous = qInstallMessageHandler(capture);
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    const struct { QString rules; bool expected; } runs[] = {
        {QString(), onByDefault},
        {QStringLiteral("%1.%2=true").arg(category, level), true},
        {QStringLiteral("%1.%2=false").arg(category, level), false},
        // One rule for every subsystem, as the shell's --verbose gives.
        {QStringLiteral("workplace.*.%1=true").arg(level), true},
    };
    for (const auto &run : runs) {
        QLoggingCategory::setFilterRules(run.rules);
        captured.clear();
        provoke(action);
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(seen(category, msgType, line) == run.expected,
                 qPrintable(QStringLiteral("rules \"%1\": line %2 expected").arg(run.rules, run.expected ? "" : "not")));
    }
}

QTEST_MAIN(TestLogging)
#include "tst_logging.moc"
