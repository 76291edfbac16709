// workplace-pg: starts and stops a private server from scripts (test runs).
#include "privateserver.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.size() < 3) {
        err << "usage: workplace-pg start|stop|status FOLDER [--volatile]\n";
        return 2;
    }
    PrivateServer server(arguments.at(2));
    server.setVolatile(arguments.contains(QStringLiteral("--volatile")));
    const QString command = arguments.at(1);
    QString error;
    if (command == QLatin1String("start")) {
        if (!server.start(&error)) {
            err << error << '\n';
            return 1;
        }
        out << server.socketDir() << '\n';
        return 0;
    }
    if (command == QLatin1String("stop")) {
        if (!server.stop(&error)) {
            err << error << '\n';
            return 1;
        }
        return 0;
    }
    if (command == QLatin1String("status")) {
        out << (server.isRunning() ? "running" : "stopped") << '\n';
        return server.isRunning() ? 0 : 3;
    }
    err << "unknown command: " << command << '\n';
    return 2;
}
