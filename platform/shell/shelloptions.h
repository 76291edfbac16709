#ifndef SHELLOPTIONS_H
#define SHELLOPTIONS_H

#include <QString>
#include <QStringList>

// What the shell was asked to do on its command line.
struct ShellOptions
{
    QString driverDir;
    QString driverName;
    QString user;
    QString password;
    bool hasUser = false;
    bool hasPassword = false;
    bool noGui = false;
    QString sqlTrace;
    bool debugDb = false;
    bool noStoredProc = false;
    QString screenshot;
    bool widgetsDemo = false;  // show the common widgets instead of logging in
    QString window;            // a window of the catalog to open after logging in
    QString windowArgument;    // the text after "NAME:"
    bool listWindows = false;
    bool verbose = false;      // every workplace logging category's debug output
    QString openRecordTable;   // --open-record TABLE ID: open the record as a reminder would
    long long openRecordId = 0;
    QString dataDir;       // folder of the private server
    QString dbHost;
    QString dbPort;
    QString dbName;
    QString dbUser;

    // Parses the arguments; false with a message for the user when they make no sense.
    // The password comes from --password, --password-file or the environment
    // variable passwordVariable(), in that order.
    bool parse(const QStringList &arguments, QString *error);

    static const char *passwordVariable() { return "WORKPLACE_PASSWORD"; }
    // Once parsed: blanks a password given on the command line out of the
    // process's own argument memory (what the process list shows) and drops
    // the environment variable, so that no program started later inherits it.
    static void forgetSecrets(int argc, char **argv);
};

#endif // SHELLOPTIONS_H
