// The database driver library: the functions the data framework resolves by
// name, over Qt's PostgreSQL driver. Everything stays inside this library's
// own session object; the exports only forward to it.

#include "driverlogging.h"
#include "pgliteral.h"
#include "pgsession.h"

#include <QSqlQuery>

#define DRIVER_EXPORT extern "C" Q_DECL_EXPORT

DRIVER_EXPORT QString fullName()
{
    return QStringLiteral("PostgreSQL (workplace)");
}

DRIVER_EXPORT QVariant Connect(QString name, bool noGui)
{
    const QVariant status = PgSession::instance().connect(name);
    // Without a GUI the caller shows nothing of an error text: say it on the terminal.
    const QString text = status.toString();
    if (noGui && text != QLatin1String("Ok") && text != QLatin1String("INVALID"))
        qCWarning(lcPgDriver).noquote() << QStringLiteral("Database connection: ") + text;
    return status;
}

DRIVER_EXPORT QString getStart()
{
    return PgSession::instance().creationScript();
}

DRIVER_EXPORT bool login(QString user, QString password)
{
    return PgSession::instance().login(user, password);
}

// Beyond the framework's table of functions: found by name when present.
// Empty on success, else a message for the user.
DRIVER_EXPORT QString changePassword(QString login, QString currentPassword, QString newPassword)
{
    return PgSession::instance().changePassword(login, currentPassword, newPassword);
}

DRIVER_EXPORT QString getScript(QString name)
{
    return PgSession::instance().script(name);
}

DRIVER_EXPORT bool canDo(QString action)
{
    return PgSession::instance().canDo(action);
}

DRIVER_EXPORT QVariant getSystemAttr(QString name)
{
    return PgSession::instance().systemAttr(name);
}

DRIVER_EXPORT QString bindQueryParam(QString script, QString param, QVariant value)
{
    return PgLiteral::bind(script, param, value);
}

DRIVER_EXPORT bool GetPanels(QPanelList &list)
{
    return PgSession::instance().panels(list);
}

DRIVER_EXPORT QVariant convert(QVariant value, QVariant::Type type)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (type == QVariant::Invalid || value.type() == type)
        return value;
    QVariant converted = value;
    return converted.convert(static_cast<int>(type)) ? converted : QVariant();
}

DRIVER_EXPORT bool batchExec(QString script, QPlainTextEdit *log, QList<QSqlQuery> *results)
{
    return PgSession::instance().batchExec(script, log, results);
}

DRIVER_EXPORT QVariant resultExecSQL(QString script, QString second)
{
    Q_UNUSED(second)
    return PgSession::instance().resultExec(script);
}

DRIVER_EXPORT void scopeIdentity(QString table, QSqlQuery *query)
{
    PgSession::instance().scopeIdentity(table, query);
}

// Beyond the framework's table of functions: found by name when present.
DRIVER_EXPORT int execRowScripts(QString script, QStringList names, QList<QVariantList> rows, QVector<bool> mustFind,
                                 QList<RowScriptResult> *results, int *failed, QSqlError *error)
{
    return PgSession::instance().execRowScripts(script, names, rows, mustFind, results, failed, error);
}

DRIVER_EXPORT int readRows(QString statement, RowReceiver *receiver, QSqlError *error)
{
    return PgSession::instance().readRows(statement, receiver, error);
}
