#ifndef QSQLCONNECTION_H
#define QSQLCONNECTION_H

#include "colinfo.h"
#include "dealsglobal.h"
#include "drivertypes.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

class QLibrary;
class QPlainTextEdit;

// The one way this library reaches the database: a handle opened by a
// separately loaded driver library, and the driver's functions resolved by name.
class DEALS_EXPORT QSqlConnection : public QObject
{
    Q_OBJECT

public:
    explicit QSqlConnection(QLibrary *lib = nullptr, QObject *parent = nullptr);
    ~QSqlConnection() override;

    void init(QLibrary *lib);
    void clear();
    bool Connect(QString name, bool noGui);
    bool remakeConnection(QLibrary *lib, QString name);
    bool login(QString user, QString password);
    // Sets the password of `user` through the driver's "changePassword", when
    // the driver has one: the logged-in user's own, or anybody's for an
    // administrator; `currentPassword` is the logged-in user's. The driver
    // makes the hash itself, so no statement carries a password. False with a
    // message for the user in *error.
    bool changePassword(const QString &user, const QString &currentPassword, const QString &newPassword,
                        QString *error);

    Q_INVOKABLE QString getScript(QString scriptName);
    bool canDo(QString action);
    QVariant getSystemAttr(QString name);

    QVariant convert(QVariant value, QVariant::Type type);
    QSqlRecord convert(QSqlRecord source, infoList &columns);

    bool GetList(QPanelList &list);
    bool batchExec(QString script, QPlainTextEdit *log, QList<QSqlQuery> *results);
    QLibrary *currentDriver() const { return m_library; }

    bool isConnected() const { return m_connected; }
    bool loginError() const { return m_loginError; }
    QSqlDatabase database() const { return m_database; }
    QSqlDatabase *databasePointer() { return &m_database; }

    // Parameter binding and execution.
    Q_INVOKABLE QString parseQuery(QString script, QString param = QString(), QVariant data = QVariant());
    QString parseQuery(QString script, QSqlRecord *record);

    void execScript(QString script, QSqlQuery *query, QList<QVariant> params);
    void execScript(QString script, QSqlQuery *query, QSqlRecord record, bool printQuery);
    QSqlQuery execScript(QString script, QList<QVariant> params);
    QSqlQuery execScript(QString script, QSqlRecord record);
    Q_INVOKABLE QVariant execScript(QString script);

    void scopeIdentity(QString name, QSqlQuery *query);

    // Runs a row script once for each record, bound as execScript binds a
    // record, in one go where the driver can send the executions together.
    // RowScriptsDone: every execution ran and is kept, *results has their
    // answers. Otherwise nothing of the batch is kept and nothing is reported:
    // the driver has no such function or does not take the script or a value
    // (RowScriptsNotSent), or record *failed failed or found no row although
    // `mustFind` asked for one (RowScriptsFailed). The caller then runs the
    // records one by one, which reports the failure as it always does.
    int execRowScripts(const QString &script, const QList<QSqlRecord> &records, const QVector<bool> &mustFind,
                       QList<RowScriptResult> *results, int *failed);

    // Runs a select script bound as execScript binds a record and hands its
    // whole result to `receiver`, where the driver can read it in one go.
    // RowsNotRead: nothing ran, the caller reads through QSqlQuery.
    // RowsReadFailed: the failure is reported as execScript reports it and
    // kept in lastError() (invalid when the statement was no select).
    int readRows(const QString &script, QSqlRecord record, bool printQuery, RowReceiver *receiver);

    // The error of the most recent statement, transaction command or
    // reconnection that failed; invalid once the next statement succeeds.
    QSqlError lastError() const { return m_lastError; }
    // Reports a failure the way script execution does (the "Error executing
    // query: " warning, the "Database error" box when asked for) and keeps it
    // as lastError(). An empty statement leaves the statement out of the line.
    void reportFailure(const QString &statement, const QSqlError &error);

    // Transactions through the connection, so that it knows when a lost server
    // connection took a transaction with it: inside one, nothing is re-made or
    // run until the transaction is ended; a failed COMMIT is reported like any
    // failed statement.
    bool beginTransaction();
    bool commitTransaction();
    bool rollbackTransaction();
    bool inTransaction() const { return m_inTransaction; }

    // The server connection broke and has not been re-made yet: a reconnection
    // failed, or it broke inside a transaction that is still to be ended.
    bool connectionLost() const { return m_lost; }
    // Before writing: re-makes a connection known to be lost, outside a
    // transaction. False, with the failure reported once, when statements
    // cannot be sent now (also when the connection was never made).
    bool ensureConnected();
    // Re-makes the connection through the driver with the remembered library
    // and connection name, as remakeConnection does but without asking anybody
    // anything; the driver keeps the logged-in user.
    bool reconnect();

    // The parameter tokens of a script, in order and with repeats.
    static QStringList parameterTokens(const QString &script);

private:
    bool askForCreation(bool noGui);
    bool createDatabase(bool noGui);
    bool reportStartupFailure(int number, bool noGui);
    void resetEntryPoints();
    void execute(const QString &text, QSqlQuery *query, bool recordForm, bool printQuery);
    void noticeFailure(const QString &text, QSqlError error, bool recordForm);
    // Makes sure a statement can be sent: re-makes a connection known to be
    // lost (never inside a transaction). False when the statement must not run.
    bool readyToRun(QSqlQuery *query = nullptr);
    void noticeLostConnection();
    bool handleIsDead() const;
    QSqlError lostConnectionError() const;
    QSqlError asConnectionError(const QSqlError &error) const;
    static bool endsSession(const QSqlError &error);

    bool m_loginError = false;
    QLibrary *m_library = nullptr;

    DriverApi::ConnectFn m_connect = nullptr;
    DriverApi::GetScriptFn m_getScript = nullptr;
    DriverApi::CanDoFn m_canDo = nullptr;
    DriverApi::GetSystemAttrFn m_getSystemAttr = nullptr;
    DriverApi::BindQueryParamFn m_bindQueryParam = nullptr;
    DriverApi::GetPanelsFn m_getPanels = nullptr;
    DriverApi::ConvertFn m_convert = nullptr;
    DriverApi::LoginFn m_login = nullptr;
    DriverApi::BatchExecFn m_batchExec = nullptr;
    DriverApi::ResultExecSqlFn m_resultExecSql = nullptr;
    DriverApi::ScopeIdentityFn m_scopeIdentity = nullptr;
    DriverApi::ExecRowScriptsFn m_execRowScripts = nullptr;
    DriverApi::ReadRowsFn m_readRows = nullptr;

    bool m_connected = false;
    QSqlDatabase m_database;

    QString m_connectionName;
    QSqlError m_lastError;
    bool m_lost = false;
    bool m_inTransaction = false;
};

// Finds driver libraries in a folder: every loadable library that exports "fullName".
DEALS_EXPORT QList<drvInfo> scanForDrivers(QString folder);

// Runs a named script on the shell's connection ("Connection" property) over
// a query on the "MainConnection" database.
DEALS_EXPORT void runScript(QString scriptName, QList<QVariant> params);
DEALS_EXPORT void runScript(QString scriptName, QSqlQuery *query, QList<QVariant> params);

// The connection the shell published, or null.
DEALS_EXPORT QSqlConnection *currentConnection();

#endif // QSQLCONNECTION_H
