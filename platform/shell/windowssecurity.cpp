// Windows about the user's own account.

#include "windowcatalog.h"

#include "appcontext.h"
#include "passworddialog.h"

void addSecurityWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("password"), QStringLiteral("смена пароля (\"Сменить пароль\" на панели)"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         return new PasswordDialog(AppContext::connection(), PasswordDialog::OnRequest, mainWindow);
                     }});
    entries->append({QStringLiteral("password-first"),
                     QStringLiteral("смена пароля по умолчанию, предложенная при первом входе"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         return new PasswordDialog(AppContext::connection(), PasswordDialog::FirstLogin, mainWindow);
                     }});
}
