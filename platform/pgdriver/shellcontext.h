#ifndef SHELLCONTEXT_H
#define SHELLCONTEXT_H

#include <QString>

// What the shell tells the driver through properties of the application
// object: where the database is and whether a new one gets demo data. The
// driver does not link the library's AppContext, which writes them.
namespace ShellContext {

QString databaseHost();
QString databasePort();
QString databaseName();
QString databaseUser();
QString databasePassword();
QString connectOptions();
bool demoData();

} // namespace ShellContext

#endif // SHELLCONTEXT_H
