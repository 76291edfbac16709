// workplace: the desktop shell. Finds a database driver, connects, logs the
// user in, publishes its services and shows the main window.

#include "databaselocation.h"
#include "logindialog.h"
#include "mainwindow.h"
#include "messageboxdismisser.h"
#include "modulehost.h"
#include "passworddialog.h"
#include "shelllocale.h"
#include "shelllogging.h"
#include "shelloptions.h"
#include "shellpaths.h"
#include "shellservices.h"
#include "widgetsdemo.h"
#include "windowcatalog.h"

#include "appcontext.h"
#include "filestore.h"
#include "qsqlconnection.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QIcon>
#include <QInputDialog>
#include <QLibrary>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

void reportError(const ShellOptions &options, const QString &text)
{
    // A screenshot run has nobody to close a message box.
    if (options.noGui || !options.screenshot.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(text));
    else
        QMessageBox::critical(nullptr, QStringLiteral("Ошибка"), text);
}

// The driver's file, asking the user to pick when the folder holds several.
QString chooseDriver(const ShellOptions &options, const QString &folder, QString *error)
{
    const QList<drvInfo> drivers = scanForDrivers(folder);
    if (drivers.isEmpty()) {
        *error = QStringLiteral("Нет драйверов базы данных в папке %1.").arg(folder);
        return QString();
    }
    QStringList names;
    for (const drvInfo &driver : drivers) {
        if (driver.name == options.driverName)
            return QDir(folder).absoluteFilePath(driver.fileName);
        names.append(driver.name);
    }
    if (!options.driverName.isEmpty()) {
        *error = QStringLiteral("Драйвер \"%1\" не найден.").arg(options.driverName);
        return QString();
    }
    if (drivers.size() == 1 || options.noGui)
        return QDir(folder).absoluteFilePath(drivers.first().fileName);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(nullptr, QStringLiteral("Драйвер базы данных"),
                                                 QStringLiteral("Драйвер:"), names, 0, false, &ok);
    if (!ok)
        return QString();
    return QDir(folder).absoluteFilePath(drivers.at(names.indexOf(chosen)).fileName);
}

bool logIn(const ShellOptions &options, QSqlConnection *connection)
{
    if (options.hasUser && options.hasPassword)
        return connection->login(options.user, options.password);
    if (options.noGui)
        return false;
    LoginDialog dialog(connection, options.user);
    return dialog.exec() == QDialog::Accepted;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/workplace/workplace-%1.png").arg(size), QSize(size, size));
    return icon;
}

bool saveScreenshot(QWidget *window, const QString &path)
{
    window->show();
    window->repaint();
    QApplication::processEvents();
    return window->grab().save(path, "PNG");
}

// Everything that uses the database, all of it closed again when this returns.
int runSession(const ShellOptions &options, const DatabaseLocation &location)
{
    QString error;
    const QString driverFolder = options.driverDir.isEmpty() ? ShellPaths::driverDir() : options.driverDir;
    const QString driverFile = chooseDriver(options, driverFolder, &error);
    if (driverFile.isEmpty()) {
        if (!error.isEmpty())
            reportError(options, error);
        return 1;
    }

    QLibrary driver(driverFile);
    QSqlConnection connection(&driver);
    if (!connection.Connect(QStringLiteral("MainConnection"), options.noGui)) {
        if (connection.loginError())
            reportError(options, QStringLiteral("Сервер базы данных отклонил учётные данные."));
        return 1;
    }
    if (!logIn(options, &connection)) {
        if (options.hasUser)
            reportError(options, QStringLiteral("Неверное имя пользователя или пароль."));
        return 1;
    }

    ShellServices services;
    services.publish(&connection);
    // A private database belongs to one workstation: its attachments live beside it.
    const QString privateFolder = location.privateFolder();
    if (!privateFolder.isEmpty())
        FileStore::setDefaultPaths(privateFolder + QStringLiteral("/files"), privateFolder + QStringLiteral("/help"));
    const QString databaseDescription = location.description();

    if (options.noGui) {
        std::printf("Logged in as %s on %s\n", qPrintable(AppContext::loggedInName()),
                    qPrintable(databaseDescription));
        return 0;
    }
    // The default password is known to everybody: offer to change it to
    // whoever logs in with it, unless nobody is there to answer.
    if (options.screenshot.isEmpty() && PasswordDialog::usesDefaultPassword()) {
        PasswordDialog offer(&connection, PasswordDialog::FirstLogin);
        offer.exec();
    }

    MainWindow window(databaseDescription);
    ModuleHost modules(&window);
    modules.loadModules();
    if (!options.openRecordTable.isEmpty() && !modules.openRecord(options.openRecordTable, options.openRecordId)) {
        reportError(options, QStringLiteral("Записи таблицы \"%1\" не открывает ни один модуль.").arg(options.openRecordTable));
        return 1;
    }
    QWidget *shown = &window;
    if (!options.window.isEmpty()) {
        const WindowCatalog::Entry *entry = WindowCatalog::find(options.window);
        std::unique_ptr<MessageBoxDismisser> dismisser;
        if (!options.screenshot.isEmpty())
            dismisser = std::make_unique<MessageBoxDismisser>();
        shown = entry ? entry->make(&window, options.windowArgument, &error) : nullptr;
        if (!entry)
            error = QStringLiteral("Нет окна \"%1\". Окна:\n%2").arg(options.window, WindowCatalog::listing());
        if (!shown) {
            reportError(options, error);
            return 1;
        }
    }
    if (!options.screenshot.isEmpty())
        return saveScreenshot(shown, options.screenshot) ? 0 : 1;
    window.show();
    if (auto *dialog = qobject_cast<QDialog *>(shown))
        return dialog->exec() == QDialog::Accepted ? 0 : 1;
    shown->show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    ShellLogging::prepareRuntimeDir();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Workplace"));
    QApplication::setApplicationName(QStringLiteral("workplace"));
    QApplication::setDesktopFileName(QStringLiteral("workplace"));
    QApplication::setWindowIcon(applicationIcon());

    ShellOptions options;
    QString error;
    const bool parsed = options.parse(app.arguments(), &error);
    ShellOptions::forgetSecrets(argc, argv);
    if (!parsed) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    ShellLogging::setUp(options.verbose);
    // The command line speaks English; the windows speak the user's language.
    ShellLocale locale(ShellPaths::translationsDir());
    locale.apply(ShellLocale::userSetting());
    ShellServices::publishSwitches(options);
    if (options.listWindows) {
        std::printf("%s", qPrintable(WindowCatalog::listing()));
        return 0;
    }

    // The common widgets need no database, so their demo runs before one is prepared.
    if (options.widgetsDemo) {
        WidgetsDemo demo;
        if (!options.screenshot.isEmpty())
            return demo.saveScreenshot(options.screenshot) ? 0 : 1;
        demo.show();
        return app.exec();
    }

    DatabaseLocation location;
    if (!location.prepare(options, &error)) {
        reportError(options, error);
        return 1;
    }
    const int exitCode = runSession(options, location);
    // Only with the shell's own connection gone can the private server tell
    // whether another workplace still works with it.
    location.release();
    return exitCode;
}
