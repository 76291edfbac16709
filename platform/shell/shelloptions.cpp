#include "shelloptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

// The first line of a file that only its owner may read.
bool readPasswordFile(const QString &path, QString *password, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read the password file %1: %2").arg(path, file.errorString());
        return false;
    }
    const QFileInfo info(path);
    if (info.isFile() && (info.permissions() & (QFile::ReadGroup | QFile::ReadOther))) {
        *error = QStringLiteral("The password file %1 can be read by other users; make it private (chmod 600).")
                         .arg(path);
        return false;
    }
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    *password = QString::fromUtf8(line);
    return true;
}

} // namespace

bool ShellOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Workplace: the trade deals desktop"));
    parser.addHelpOption();
    const QCommandLineOption driverDirOption(QStringLiteral("driver-dir"), QStringLiteral("Folder of database driver libraries."), QStringLiteral("folder"));
    const QCommandLineOption driverOption(QStringLiteral("driver"), QStringLiteral("Driver to use when there are several (display name)."), QStringLiteral("name"));
    const QCommandLineOption userOption(QStringLiteral("user"), QStringLiteral("Log in as this user."), QStringLiteral("login"));
    const QCommandLineOption passwordOption(QStringLiteral("password"), QStringLiteral("Password for --user (visible to other users while the shell starts; prefer --password-file)."), QStringLiteral("password"));
    const QCommandLineOption passwordFileOption(QStringLiteral("password-file"), QStringLiteral("Read the password for --user from the first line of this file (mode 600). Also: the environment variable WORKPLACE_PASSWORD."), QStringLiteral("file"));
    const QCommandLineOption noGuiOption(QStringLiteral("no-gui"), QStringLiteral("Ask on the terminal, show no window; exit after logging in."));
    const QCommandLineOption traceOption(QStringLiteral("sql-trace"), QStringLiteral("Append every executed statement to this file."), QStringLiteral("file"));
    const QCommandLineOption debugDbOption(QStringLiteral("debug-db"), QStringLiteral("Show database errors in a message box."));
    const QCommandLineOption noStoredProcOption(QStringLiteral("no-stored-proc"), QStringLiteral("Take new keys from the driver instead of insert scripts."));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"), QStringLiteral("Save the main window as a PNG file and exit."), QStringLiteral("file"));
    const QCommandLineOption widgetsDemoOption(QStringLiteral("widgets-demo"), QStringLiteral("Show the common widgets; needs no database."));
    const QCommandLineOption windowOption(QStringLiteral("window"), QStringLiteral("Open this window after logging in (see --list-windows); with --screenshot, save its picture."), QStringLiteral("name[:argument]"));
    const QCommandLineOption listWindowsOption(QStringLiteral("list-windows"), QStringLiteral("Print the windows that --window opens and exit."));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"), QStringLiteral("Print the diagnostics of every subsystem (the workplace.* logging categories)."));
    const QCommandLineOption openRecordOption(QStringLiteral("open-record"), QStringLiteral("After logging in, open a record as its reminder would: --open-record TABLE ID."), QStringLiteral("table"));
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"), QStringLiteral("Folder of the private database server."), QStringLiteral("folder"));
    const QCommandLineOption dbHostOption(QStringLiteral("db-host"), QStringLiteral("Database server host or socket folder."), QStringLiteral("host"));
    const QCommandLineOption dbPortOption(QStringLiteral("db-port"), QStringLiteral("Database server port."), QStringLiteral("port"));
    const QCommandLineOption dbNameOption(QStringLiteral("db-name"), QStringLiteral("Database name."), QStringLiteral("name"));
    const QCommandLineOption dbUserOption(QStringLiteral("db-user"), QStringLiteral("Database role."), QStringLiteral("role"));
    parser.addOptions({driverDirOption, driverOption, userOption, passwordOption, passwordFileOption, noGuiOption, traceOption,
                       debugDbOption, noStoredProcOption, screenshotOption, widgetsDemoOption, windowOption,
                       listWindowsOption, verboseOption, openRecordOption, dataDirOption,
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
    if (parser.isSet(passwordOption) && parser.isSet(passwordFileOption)) {
        *error = QStringLiteral("Give the password once: --password or --password-file.");
        return false;
    }
    hasPassword = true;
    if (parser.isSet(passwordOption)) {
        password = parser.value(passwordOption);
    } else if (parser.isSet(passwordFileOption)) {
        if (!readPasswordFile(parser.value(passwordFileOption), &password, error))
            return false;
    } else if (qEnvironmentVariableIsSet(passwordVariable())) {
        password = qEnvironmentVariable(passwordVariable());
    } else {
        hasPassword = false;
    }
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
    if (parser.isSet(openRecordOption)) {
        // The id follows the table as the next argument (or as "TABLE:ID").
        QString table = parser.value(openRecordOption);
        QString id = table.section(QLatin1Char(':'), 1);
        table = table.section(QLatin1Char(':'), 0, 0);
        if (id.isEmpty() && !parser.positionalArguments().isEmpty())
            id = parser.positionalArguments().constFirst();
        bool numeric = false;
        openRecordId = id.toLongLong(&numeric);
        if (table.isEmpty() || !numeric) {
            *error = QStringLiteral("--open-record needs a table and a record id: --open-record t_deals 42.");
            return false;
        }
        openRecordTable = table;
    }
    dataDir = parser.value(dataDirOption);
    dbHost = parser.value(dbHostOption);
    dbPort = parser.value(dbPortOption);
    dbName = parser.value(dbNameOption);
    dbUser = parser.value(dbUserOption);
    // Without a window nobody can be asked for what is missing.
    if (noGui && (!hasUser || !hasPassword)) {
        *error = QStringLiteral("--no-gui needs --user and --password (or --password-file, or WORKPLACE_PASSWORD) to log in.");
        return false;
    }
    return true;
}

void ShellOptions::forgetSecrets(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        char *value = nullptr;
        if (std::strcmp(argv[i], "--password") == 0 && i + 1 < argc)
            value = argv[i + 1];
        else if (std::strncmp(argv[i], "--password=", 11) == 0)
            value = argv[i] + 11;
        // Same length, so the other arguments stay where the toolkit found them.
        if (value)
            std::memset(value, 'x', std::strlen(value));
    }
    qunsetenv(passwordVariable());
}
