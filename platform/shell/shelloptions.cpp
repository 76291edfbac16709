#include "shelloptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

bool ShellOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Workplace: the trade deals desktop"));
    parser.addHelpOption();
    const QCommandLineOption driverDirOption(QStringLiteral("driver-dir"), QStringLiteral("Folder of database driver libraries."), QStringLiteral("folder"));
    const QCommandLineOption driverOption(QStringLiteral("driver"), QStringLiteral("Driver to use when there are several (display name)."), QStringLiteral("name"));
    const QCommandLineOption userOption(QStringLiteral("user"), QStringLiteral("Log in as this user."), QStringLiteral("login"));
    const QCommandLineOption passwordOption(QStringLiteral("password"), QStringLiteral("Password for --user."), QStringLiteral("password"));
    const QCommandLineOption noGuiOption(QStringLiteral("no-gui"), QStringLiteral("Ask on the terminal, show no window; exit after logging in."));
    const QCommandLineOption traceOption(QStringLiteral("sql-trace"), QStringLiteral("Append every executed statement to this file."), QStringLiteral("file"));
    const QCommandLineOption debugDbOption(QStringLiteral("debug-db"), QStringLiteral("Show database errors in a message box."));
    const QCommandLineOption noStoredProcOption(QStringLiteral("no-stored-proc"), QStringLiteral("Take new keys from the driver instead of insert scripts."));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"), QStringLiteral("Save the main window as a PNG file and exit."), QStringLiteral("file"));
    const QCommandLineOption widgetsDemoOption(QStringLiteral("widgets-demo"), QStringLiteral("Show the common widgets; needs no database."));
    const QCommandLineOption windowOption(QStringLiteral("window"), QStringLiteral("Open this window after logging in (see --list-windows); with --screenshot, save its picture."), QStringLiteral("name[:argument]"));
    const QCommandLineOption listWindowsOption(QStringLiteral("list-windows"), QStringLiteral("Print the windows that --window opens and exit."));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"), QStringLiteral("Print the diagnostics of every subsystem (the workplace.* logging categories)."));
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"), QStringLiteral("Folder of the private database server."), QStringLiteral("folder"));
    const QCommandLineOption dbHostOption(QStringLiteral("db-host"), QStringLiteral("Database server host or socket folder."), QStringLiteral("host"));
    const QCommandLineOption dbPortOption(QStringLiteral("db-port"), QStringLiteral("Database server port."), QStringLiteral("port"));
    const QCommandLineOption dbNameOption(QStringLiteral("db-name"), QStringLiteral("Database name."), QStringLiteral("name"));
    const QCommandLineOption dbUserOption(QStringLiteral("db-user"), QStringLiteral("Database role."), QStringLiteral("role"));
    parser.addOptions({driverDirOption, driverOption, userOption, passwordOption, noGuiOption, traceOption,
                       debugDbOption, noStoredProcOption, screenshotOption, widgetsDemoOption, windowOption,
                       listWindowsOption, verboseOption, dataDirOption,
                       dbHostOption, dbPortOption, dbNameOption, dbUserOption});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    // The parser also accepts "--help-all"; left unanswered, it would open the shell.
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        *error = parser.helpText();
        return false;
    }
    driverDir = parser.value(driverDirOption);
    driverName = parser.value(driverOption);
    hasUser = parser.isSet(userOption);
    user = parser.value(userOption);
    hasPassword = parser.isSet(passwordOption);
    password = parser.value(passwordOption);
    noGui = parser.isSet(noGuiOption);
    sqlTrace = parser.value(traceOption);
    debugDb = parser.isSet(debugDbOption);
    noStoredProc = parser.isSet(noStoredProcOption);
    screenshot = parser.value(screenshotOption);
    widgetsDemo = parser.isSet(widgetsDemoOption);
    listWindows = parser.isSet(listWindowsOption);
    verbose = parser.isSet(verboseOption);
    const QString windowValue = parser.value(windowOption);
    const int colon = windowValue.indexOf(QLatin1Char(':'));
    window = colon < 0 ? windowValue : windowValue.left(colon);
    windowArgument = colon < 0 ? QString() : windowValue.mid(colon + 1);
    dataDir = parser.value(dataDirOption);
    dbHost = parser.value(dbHostOption);
    dbPort = parser.value(dbPortOption);
    dbName = parser.value(dbNameOption);
    dbUser = parser.value(dbUserOption);
    // Without a window nobody can be asked for what is missing.
    if (noGui && (!hasUser || !hasPassword)) {
        *error = QStringLiteral("--no-gui needs --user and --password to log in.");
        return false;
    }
    return true;
}
