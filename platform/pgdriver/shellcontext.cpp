#include "shellcontext.h"

#include <QCoreApplication>
#include <QVariant>

namespace {

QVariant property(const char *name)
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application ? application->property(name) : QVariant();
}

} // namespace

namespace ShellContext {

QString databaseHost() { return property("DbHost").toString(); }
QString databasePort() { return property("DbPort").toString(); }
QString databaseName() { return property("DbName").toString(); }
QString databaseUser() { return property("DbUser").toString(); }
QString databasePassword() { return property("DbPassword").toString(); }
QString connectOptions() { return property("DbOptions").toString(); }
bool demoData() { return property("bDemoData").toBool(); }

} // namespace ShellContext
