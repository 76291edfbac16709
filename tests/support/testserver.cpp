#include "testserver.h"

#include "appcontext.h"
#include "privateserver.h"
#include "qsqlconnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QPlainTextEdit>
#include <QSqlQuery>

#include <cstdlib>
#include <unistd.h>

namespace TestServer {

namespace {

PrivateServer *server()
{
    static PrivateServer *instance = nullptr;
    if (!instance) {
        QString root = qEnvironmentVariable("WORKPLACE_TEST_SERVER");
        if (root.isEmpty())
            root = QStringLiteral("/tmp/workplace-%1/test").arg(::geteuid());
        instance = new PrivateServer(root);
        instance->setVolatile(true);
    }
    return instance;
}

void stopServerStartedHere()
{
    if (server()->startedHere())
        server()->stop(nullptr);
}

} // namespace

QString driverFile()
{
    return QStringLiteral(WORKPLACE_DRIVER_FILE);
}

QString databaseSourceDir()
{
    return QStringLiteral(WORKPLACE_DB_SOURCE_DIR);
}

QString socketDir()
{
    return server()->socketDir();
}

QString serverLogFile()
{
    return server()->root() + QStringLiteral("/server.log");
}

bool prepareDatabase(const QString &name, QString *error)
{
    if (!server()->start(error))
        return false;
    if (server()->startedHere())
        std::atexit(stopServerStartedHere);
    if (!server()->dropDatabase(name, error) || !server()->ensureDatabase(name, error))
        return false;
    qApp->setProperty("DbHost", server()->socketDir());
    qApp->setProperty("DbName", name);
    qApp->setProperty("DbUser", PrivateServer::superUser());
    return true;
}

bool createSchema(QLibrary *driver, QString *error)
{
    if (!driver->isLoaded() && !driver->load()) {
        *error = driver->errorString();
        return false;
    }
    const auto connect = reinterpret_cast<DriverApi::ConnectFn>(driver->resolve("Connect"));
    const auto getStart = reinterpret_cast<DriverApi::GetStartFn>(driver->resolve("getStart"));
    const auto batchExec = reinterpret_cast<DriverApi::BatchExecFn>(driver->resolve("batchExec"));
    if (!connect || !getStart || !batchExec) {
        *error = QStringLiteral("the driver lacks Connect, getStart or batchExec");
        return false;
    }
    const QString status = connect(QStringLiteral("MainConnection"), true).toString();
    if (status == QLatin1String("Ok"))
        return true;
    if (status != QLatin1String("INVALID")) {
        *error = status;
        return false;
    }
    QPlainTextEdit *noLog = nullptr;
    if (!batchExec(getStart(), noLog, nullptr)) {
        *error = QStringLiteral("the creation script failed");
        return false;
    }
    return true;
}

bool connectAndLogin(QLibrary *driver, QSqlConnection *connection, bool createSchemaFirst, QString *error)
{
    if (createSchemaFirst && !createSchema(driver, error))
        return false;
    connection->init(driver);
    if (!connection->Connect(QStringLiteral("MainConnection"), true)) {
        *error = QStringLiteral("Connect failed");
        return false;
    }
    if (!connection->login(QStringLiteral("admin"), QStringLiteral("admin"))) {
        *error = QStringLiteral("login as admin failed");
        return false;
    }
    return true;
}

bool openMainConnection(const QString &name, QLibrary *driver, QSqlConnection *connection, bool demoData,
                        QString *error)
{
    AppContext::setDemoData(demoData);
    if (!prepareDatabase(name, error))
        return false;
    driver->setFileName(driverFile());
    if (!connectAndLogin(driver, connection, true, error))
        return false;
    AppContext::setConnection(connection);
    return true;
}

} // namespace TestServer
