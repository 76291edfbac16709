#ifndef TESTSERVER_H
#define TESTSERVER_H

#include <QString>

class QLibrary;
class QSqlConnection;

// The suite's real database: a private PostgreSQL server (the one ctest started,
// or one started for this process) and a fresh database for each test program.
namespace TestServer {

// Starts or reuses the server, recreates the database `name` empty and points
// the driver at it through the application properties. Call from initTestCase.
bool prepareDatabase(const QString &name, QString *error);

// Path of the real driver library and of the SQL files it carries.
QString driverFile();
QString databaseSourceDir();

// Socket folder of the running server.
QString socketDir();
// The file the running server writes its log to.
QString serverLogFile();

// Creates our schema in the prepared database through the driver's own
// "Connect", "getStart" and "batchExec", as a first start of the shell would.
bool createSchema(QLibrary *driver, QString *error);

// Loads the driver into connection, connects as "MainConnection" (creating the
// schema first when asked to) and logs in as the administrator.
bool connectAndLogin(QLibrary *driver, QSqlConnection *connection, bool createSchemaFirst, QString *error);

// What most suites start with: the fresh database `name` with the schema (and
// the demo data when asked), the administrator logged in through the real
// driver, and the connection published as the shell publishes it.
bool openMainConnection(const QString &name, QLibrary *driver, QSqlConnection *connection, bool demoData,
                        QString *error);

} // namespace TestServer

#endif // TESTSERVER_H
