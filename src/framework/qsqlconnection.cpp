#include "qsqlconnection.h"

#include "appcontext.h"
#include "objvar.h"
#include "workplacelogging.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>

#include <cstdio>

namespace {

template<typename Fn>
Fn resolveEntry(QLibrary *lib, const char *name)
{
    return reinterpret_cast<Fn>(lib->resolve(name));
}

// Appends an executed text to the SQL trace file named by the application.
void traceStatement(const QString &text)
{
    const QString path = AppContext::sqlTraceFile();
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(text.toLocal8Bit());
    file.write("\r\n");
}

// Reads one answer line from standard input; false at the end of input.
bool readAnswerLine(QString *line)
{
    QByteArray bytes;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        bytes.append(buffer);
        if (bytes.endsWith('\n'))
            break;
    }
    if (bytes.isEmpty())
        return false;
    *line = QString::fromLocal8Bit(bytes).trimmed();
    return true;
}

} // namespace

QSqlConnection::QSqlConnection(QLibrary *lib, QObject *parent)
    : QObject(parent)
{
    m_database.close();
    if (lib)
        init(lib);
}

QSqlConnection::~QSqlConnection()
{
    clear();
    const QString name = m_database.connectionName();
    m_database = QSqlDatabase();
    if (!name.isEmpty())
        QSqlDatabase::removeDatabase(name);
}

void QSqlConnection::resetEntryPoints()
{
    m_connect = nullptr;
    m_getScript = nullptr;
    m_canDo = nullptr;
    m_getSystemAttr = nullptr;
    m_bindQueryParam = nullptr;
    m_execRowScripts = nullptr;
    m_readRows = nullptr;
    m_getPanels = nullptr;
    m_convert = nullptr;
    m_login = nullptr;
    m_batchExec = nullptr;
    m_resultExecSql = nullptr;
    m_scopeIdentity = nullptr;
}

void QSqlConnection::init(QLibrary *lib)
{
    if (!lib)
        return;
    if (!lib->isLoaded() && !lib->load())
        qCWarning(lcDriver).noquote() << lib->errorString();
    m_database.close();
    m_loginError = false;
    m_connected = false;
    m_lost = false;
    m_inTransaction = false;
    resetEntryPoints();

    using namespace DriverApi;
    m_bindQueryParam = resolveEntry<BindQueryParamFn>(lib, "bindQueryParam");
    m_execRowScripts = resolveEntry<ExecRowScriptsFn>(lib, "execRowScripts");
    m_readRows = resolveEntry<ReadRowsFn>(lib, "readRows");
    m_connect = resolveEntry<ConnectFn>(lib, "Connect");
    m_getScript = resolveEntry<GetScriptFn>(lib, "getScript");
    m_canDo = resolveEntry<CanDoFn>(lib, "canDo");
    m_getSystemAttr = resolveEntry<GetSystemAttrFn>(lib, "getSystemAttr");
    m_getPanels = resolveEntry<GetPanelsFn>(lib, "GetPanels");
    m_convert = resolveEntry<ConvertFn>(lib, "convert");
    m_login = resolveEntry<LoginFn>(lib, "login");
    m_batchExec = resolveEntry<BatchExecFn>(lib, "batchExec");
    m_resultExecSql = resolveEntry<ResultExecSqlFn>(lib, "resultExecSQL");
    m_scopeIdentity = resolveEntry<ScopeIdentityFn>(lib, "scopeIdentity");
    m_library = lib;
}

void QSqlConnection::clear()
{
    m_database.close();
    m_loginError = false;
    m_connected = false;
    m_lost = false;
    m_inTransaction = false;
    resetEntryPoints();
}

bool QSqlConnection::Connect(QString name, bool noGui)
{
    if (!m_connect) {
        qCWarning(lcDriver, "The driver library has no \"Connect\" entry point.");
        return false;
    }
    const QString status = m_connect(name, noGui).toString();
    m_database = QSqlDatabase::database(name, true);
    m_connectionName = name;
    m_inTransaction = false;
    m_lost = false;

    if (status == QLatin1String("Ok")) {
        m_connected = true;
        m_lost = false;
        return true;
    }
    if (status == QLatin1String("LOGIN ERROR")) {
        m_loginError = true;
        return m_connected;
    }
    if (status != QLatin1String("INVALID")) {
        if (!noGui)
            QMessageBox::critical(nullptr, QStringLiteral("ERROR"), status);
        return m_connected;
    }
    if (!askForCreation(noGui))
        return false;
    return createDatabase(noGui);
}

bool QSqlConnection::askForCreation(bool noGui)
{
    if (!noGui) {
        const auto answer = QMessageBox::question(nullptr, QStringLiteral("Unknown database"),
                                                  QStringLiteral("Database is invalid or corrupted. Want for create?"),
                                                  QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton);
        return answer == QMessageBox::Ok;
    }
    forever {
        std::fputs("Database is invalid or corrupted. Want for create? (y/n): ", stdout);
        std::fflush(stdout);
        QString line;
        // Nobody left to answer: creating a database unasked would be worse than refusing.
        if (!readAnswerLine(&line))
            return false;
        const QChar first = line.isEmpty() ? QChar() : line.at(0).toUpper();
        if (first == QLatin1Char('Y'))
            return true;
        if (first == QLatin1Char('N'))
            return false;
    }
}

bool QSqlConnection::createDatabase(bool noGui)
{
    const auto getStart = m_library ? resolveEntry<DriverApi::GetStartFn>(m_library, "getStart") : nullptr;
    if (!getStart)
        return reportStartupFailure(1001, noGui);
    const QString script = getStart();
    if (script.isEmpty())
        return reportStartupFailure(1002, noGui);
    m_connected = batchExec(script, nullptr, nullptr);
    if (m_connected)
        return true;
    return reportStartupFailure(1003, noGui);
}

bool QSqlConnection::reportStartupFailure(int number, bool noGui)
{
    const QString numberPiece = QStringLiteral("#%1. ").arg(number);
    if (noGui) {
        qCDebug(lcSql).noquote() << QStringLiteral("Internal error %1System can not startup.").arg(numberPiece);
    } else {
        QMessageBox::critical(nullptr, QStringLiteral("ERROR"),
                              tr("Internal error ") + numberPiece + tr("System can not startup,"));
    }
    return false;
}

bool QSqlConnection::remakeConnection(QLibrary *lib, QString name)
{
    if (!lib)
        return false;
    clear();
    init(lib);
    return Connect(name, false);
}

bool QSqlConnection::login(QString user, QString password)
{
    if (!m_login)
        qFatal("login procedure not valid");
    if (!m_login(user, password))
        return false;

    QSqlQuery query(m_database);
    const QString text = parseQuery(QStringLiteral("select c_name from sys.t_user where c_login = :login"),
                                    QStringLiteral("login"), user);
    // Without a driver that binds, the name cannot be written safely: treat it as a failed query.
    const bool executed = m_bindQueryParam && query.exec(text);
    QString name;
    if (executed)
        name = query.first() ? query.value(0).toString() : QString();
    else
        name = user.isEmpty() ? getSystemAttr(QStringLiteral("superAdminId")).toString() : user;
    query.finish();
    AppContext::setLogin(name, user, password);
    return true;
}

bool QSqlConnection::changePassword(const QString &user, const QString &currentPassword, const QString &newPassword,
                                    QString *error)
{
    const auto change = m_library ? resolveEntry<DriverApi::ChangePasswordFn>(m_library, "changePassword") : nullptr;
    QString message;
    if (!change)
        message = QStringLiteral("Драйвер базы данных не умеет менять пароли.");
    else if (!readyToRun())
        message = m_lastError.text().trimmed();
    else
        message = change(user, currentPassword, newPassword);
    if (error)
        *error = message;
    if (!message.isEmpty())
        return false;
    // Whoever reads the logged-in user's password reads the new one.
    if (user == AppContext::loggedUser())
        AppContext::setLogin(AppContext::loggedInName(), user, newPassword);
    return true;
}

QString QSqlConnection::getScript(QString scriptName)
{
    if (!m_getScript || (m_lost && !readyToRun()))
        return QString();
    const QString text = m_getScript(scriptName);
    if (!handleIsDead())
        return text;
    // Reading a script changes nothing, so it may be read again once the
    // connection is back; inside a transaction it stays lost, and callers
    // that commit see connectionLost() rather than a missing script.
    noticeLostConnection();
    return m_lost || !m_getScript ? QString() : m_getScript(scriptName);
}

bool QSqlConnection::canDo(QString action)
{
    return m_canDo ? m_canDo(action) : false;
}

QVariant QSqlConnection::getSystemAttr(QString name)
{
    return m_getSystemAttr ? m_getSystemAttr(name) : QVariant();
}

QVariant QSqlConnection::convert(QVariant value, QVariant::Type type)
{
    return m_convert ? m_convert(value, type) : QVariant();
}

QSqlRecord QSqlConnection::convert(QSqlRecord source, infoList &columns)
{
    QSqlRecord result;
    for (const colInfo &column : qAsConst(columns)) {
        const int index = source.indexOf(column.fieldName);
        if (index < 0) {
            QSqlField field(column.fieldName, static_cast<QVariant::Type>(column.dataType));
            field.setValue(column.defValue);
            result.append(field);
            continue;
        }
        QSqlField field = source.field(index);
        const QVariant converted = convert(field.value(), static_cast<QVariant::Type>(column.dataType));
        if (!converted.isNull())
            field.setValue(converted);
        result.append(field);
    }
    return result;
}

bool QSqlConnection::GetList(QPanelList &list)
{
    qCDebug(lcSql) << "bool QSqlConnection::GetList(QPanelList&)" << reinterpret_cast<void *>(m_getPanels);
    if (!m_getPanels)
        return false;
    qCDebug(lcSql) << "Loading plugin list";
    return m_getPanels(list);
}

bool QSqlConnection::batchExec(QString script, QPlainTextEdit *log, QList<QSqlQuery> *results)
{
    if (!m_batchExec)
        return false;
    if (m_lost && !readyToRun())
        return false;
    const bool done = m_batchExec(script, log, results);
    if (!done && handleIsDead()) {
        m_lastError = lostConnectionError();
        noticeLostConnection();
    }
    return done;
}

QStringList QSqlConnection::parameterTokens(const QString &script)
{
    static const QRegularExpression separators(QStringLiteral("[ ,()]"));
    QStringList tokens;
    const QVector<QStringRef> pieces = script.splitRef(separators);
    for (const QStringRef &piece : pieces) {
        if (piece.startsWith(QLatin1Char(':')))
            tokens.append(piece.toString());
    }
    return tokens;
}

static QString parameterName(QString token)
{
    return token.remove(QLatin1Char(':'));
}

QString QSqlConnection::parseQuery(QString script, QString param, QVariant data)
{
    return m_bindQueryParam ? m_bindQueryParam(script, param, data) : QString();
}

QString QSqlConnection::parseQuery(QString script, QSqlRecord *record)
{
    const QStringList tokens = parameterTokens(script);
    QString text = script;
    for (const QString &token : tokens) {
        const QString name = parameterName(token);
        const QVariant value = record ? record->value(name) : QVariant();
        text = parseQuery(text, name, value);
    }
    return text;
}

void QSqlConnection::execScript(QString script, QSqlQuery *query, QList<QVariant> params)
{
    if (!query || !readyToRun(query))
        return;
    QString text = parseQuery(script, QStringLiteral("NULL"), QStringLiteral("NULL"));
    const QStringList tokens = parameterTokens(text);
    if (!tokens.isEmpty() && tokens.size() == params.size()) {
        for (int i = 0; i < tokens.size(); ++i)
            text = parseQuery(text, parameterName(tokens.at(i)), params.at(i));
    }
    execute(text, query, false, false);
}

void QSqlConnection::execScript(QString script, QSqlQuery *query, QSqlRecord record, bool printQuery)
{
    if (!readyToRun(query))
        return;
    const QString text = parseQuery(script, &record);
    if (!query)
        return;
    execute(text, query, true, printQuery);
}

QSqlQuery QSqlConnection::execScript(QString script, QList<QVariant> params)
{
    QSqlQuery query(m_database);
    execScript(script, &query, params);
    return query;
}

QSqlQuery QSqlConnection::execScript(QString script, QSqlRecord record)
{
    QSqlQuery query(m_database);
    execScript(script, &query, record, false);
    return query;
}

QVariant QSqlConnection::execScript(QString script)
{
    if (!m_resultExecSql || (m_lost && !readyToRun()))
        return QVariant();
    const QVariant result = m_resultExecSql(script, QString());
    if (handleIsDead()) {
        // The driver has reported the statement; what is left is to come back.
        m_lastError = lostConnectionError();
        noticeLostConnection();
    }
    return result;
}

int QSqlConnection::execRowScripts(const QString &script, const QList<QSqlRecord> &records,
                                   const QVector<bool> &mustFind, QList<RowScriptResult> *results, int *failed)
{
    *failed = -1;
    if (!m_execRowScripts || !m_bindQueryParam || records.isEmpty() || !readyToRun())
        return RowScriptsNotSent;
    // The names in the order execScript binds them, each to its record's value.
    QStringList names;
    const QStringList tokens = parameterTokens(script);
    for (const QString &token : tokens)
        names.append(parameterName(token));
    // A table's records share one shape: the fields are found by name once.
    QVector<int> fieldOf(names.size());
    for (int i = 0; i < names.size(); ++i)
        fieldOf[i] = records.first().indexOf(names.at(i));
    QList<QVariantList> rows;
    rows.reserve(records.size());
    for (const QSqlRecord &record : records) {
        QVariantList values;
        values.reserve(names.size());
        for (int i = 0; i < names.size(); ++i) {
            const int field = fieldOf.at(i);
            const bool sameShape = field >= 0 && field < record.count() && record.fieldName(field) == names.at(i);
            values.append(sameShape ? record.value(field) : record.value(names.at(i)));
        }
        rows.append(values);
    }
    QSqlError error;
    m_lastError = QSqlError();
    const int outcome = m_execRowScripts(script, names, rows, mustFind, results, failed, &error);
    if (outcome != RowScriptsDone) {
        // Nothing of the batch stayed; whoever runs the rows again reports what fails.
        qCDebug(lcSql).noquote() << "Row script batch not kept at row" << *failed << error.text();
        return outcome;
    }
    // A trace shows every execution as the row-by-row path would have sent it.
    if (!AppContext::sqlTraceFile().isEmpty()) {
        for (QSqlRecord record : records)
            traceStatement(parseQuery(script, &record));
    }
    return outcome;
}

void QSqlConnection::execute(const QString &text, QSqlQuery *query, bool recordForm, bool printQuery)
{
    traceStatement(text);
    if (printQuery)
        qCDebug(lcSql).noquote() << text;
    m_lastError = QSqlError();
    if (query->exec(text)) {
        query->first();
        return;
    }
    noticeFailure(text, query->lastError(), recordForm);
}

int QSqlConnection::readRows(const QString &script, QSqlRecord record, bool printQuery, RowReceiver *receiver)
{
    if (!m_readRows || !m_bindQueryParam || m_lost || handleIsDead())
        return RowsNotRead;
    const QString text = parseQuery(script, &record);

    // The statement is traced once it ran and before its rows are stored,
    // since storing them may run statements of its own; a read the driver
    // left to QSqlQuery is traced there.
    class Tracing : public RowReceiver
    {
    public:
        Tracing(const QString &text, bool printQuery, RowReceiver *receiver)
            : m_text(text), m_printQuery(printQuery), m_receiver(receiver)
        {
        }
        void begin(const QSqlRecord &fields, int rowCount) override
        {
            trace();
            m_receiver->begin(fields, rowCount);
        }
        bool take(QVariant *values) override { return m_receiver->take(values); }
        void trace()
        {
            traceStatement(m_text);
            if (m_printQuery)
                qCDebug(lcSql).noquote() << m_text;
        }

    private:
        const QString &m_text;
        bool m_printQuery;
        RowReceiver *m_receiver;
    };

    Tracing tracing(text, printQuery, receiver);
    QSqlError error;
    m_lastError = QSqlError();
    const int outcome = m_readRows(text, &tracing, &error);
    if (outcome == RowsReadFailed) {
        tracing.trace();
        noticeFailure(text, error, true);
    }
    return outcome;
}

void QSqlConnection::noticeFailure(const QString &text, QSqlError error, bool recordForm)
{
    const bool lost = handleIsDead() || endsSession(error) || error.type() == QSqlError::ConnectionError;
    if (lost)
        error = asConnectionError(error);
    if (!error.text().trimmed().isEmpty())
        reportFailure(recordForm ? text : QString(), error);
    if (lost)
        noticeLostConnection();
}

void QSqlConnection::reportFailure(const QString &statement, const QSqlError &error)
{
    m_lastError = error;
    const QString text = error.text().trimmed();
    if (statement.isEmpty())
        qCWarning(lcSql).noquote() << QStringLiteral("Error executing query: ") + text;
    else
        qCWarning(lcSql).noquote() << QStringLiteral("Error executing query: ") + statement + QLatin1Char('\n') + text;
    if (AppContext::debugDb() && !AppContext::noGui())
        QMessageBox::critical(nullptr, QStringLiteral("Database error"), text, QMessageBox::Ok);
}

bool QSqlConnection::handleIsDead() const
{
    // Only a handle that the driver opened can die; a driver that keeps none is left alone.
    return m_connected && !m_connectionName.isEmpty() && m_database.isValid() && !m_database.isOpen();
}

bool QSqlConnection::endsSession(const QSqlError &error)
{
    // The server ended the session (shutdown, a terminated backend, a crash)
    // or the connection itself failed; the client library may notice only
    // on its next read, so the error's code decides.
    const QString code = error.nativeErrorCode();
    return code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01")
            || code == QLatin1String("57P02") || code == QLatin1String("57P03");
}

QSqlError QSqlConnection::lostConnectionError() const
{
    return QSqlError(QString(), QStringLiteral("Соединение с сервером базы данных потеряно."),
                     QSqlError::ConnectionError);
}

QSqlError QSqlConnection::asConnectionError(const QSqlError &error) const
{
    // The toolkit refuses a query on a closed handle without saying why.
    if (error.text().trimmed().isEmpty())
        return lostConnectionError();
    return QSqlError(error.driverText(), error.databaseText(), QSqlError::ConnectionError, error.nativeErrorCode());
}

void QSqlConnection::noticeLostConnection()
{
    m_lost = true;
    if (m_inTransaction) {
        qCWarning(lcSql) << "The database connection was lost inside a transaction;"
                            " it is re-made when the transaction is ended.";
        return;
    }
    qCWarning(lcSql) << "The database connection was lost; re-making it.";
    reconnect();
}

bool QSqlConnection::ensureConnected()
{
    return readyToRun();
}

bool QSqlConnection::readyToRun(QSqlQuery *query)
{
    if (!m_lost && !handleIsDead())
        return m_connected;
    if (m_inTransaction) {
        // Whatever ran before belonged to a transaction the server has dropped;
        // running this on a new connection would write it on its own.
        reportFailure(QString(), QSqlError(QString(),
                                           QStringLiteral("Соединение с сервером базы данных потеряно во время "
                                                          "транзакции; транзакция отменена."),
                                           QSqlError::ConnectionError));
        m_lost = true;
        return false;
    }
    if (!reconnect()) {
        reportFailure(QString(), m_lastError);
        return false;
    }
    // A query made on the handle before it was re-made belongs to the old session.
    if (query) {
        const bool forwardOnly = query->isForwardOnly();
        const QSql::NumericalPrecisionPolicy precision = query->numericalPrecisionPolicy();
        *query = QSqlQuery(m_database);
        query->setForwardOnly(forwardOnly);
        query->setNumericalPrecisionPolicy(precision);
    }
    return true;
}

bool QSqlConnection::reconnect()
{
    if (!m_library || m_connectionName.isEmpty())
        return false;
    const QString name = m_connectionName;
    init(m_library);
    m_inTransaction = false;
    if (!m_connect) {
        m_lost = true;
        return false;
    }
    const QString status = m_connect(name, true).toString();
    m_database = QSqlDatabase::database(name, false);
    m_connectionName = name;
    m_connected = status == QLatin1String("Ok");
    m_lost = !m_connected;
    if (!m_connected) {
        m_lastError = QSqlError(QString(), QStringLiteral("Нет соединения с сервером базы данных: %1").arg(status),
                                QSqlError::ConnectionError);
        qCWarning(lcSql) << "Reconnecting to the database failed.";
        return false;
    }
    qCInfo(lcSql) << "Reconnected to the database.";
    return true;
}

bool QSqlConnection::beginTransaction()
{
    if (!readyToRun())
        return false;
    m_lastError = QSqlError();
    if (m_database.transaction()) {
        m_inTransaction = true;
        return true;
    }
    QSqlError error = m_database.lastError();
    const bool lost = handleIsDead() || endsSession(error);
    if (lost)
        error = asConnectionError(error);
    // A driver without transactions refuses without an error: nothing to report.
    if (error.isValid() && !error.text().trimmed().isEmpty())
        reportFailure(QStringLiteral("BEGIN"), error);
    if (lost)
        noticeLostConnection();
    return false;
}

bool QSqlConnection::commitTransaction()
{
    m_lastError = QSqlError();
    if (!m_inTransaction) {
        reportFailure(QStringLiteral("COMMIT"), QSqlError(QString(), QStringLiteral("Нет открытой транзакции."),
                                                          QSqlError::TransactionError));
        return false;
    }
    const bool lostBefore = m_lost || handleIsDead();
    const bool committed = !lostBefore && m_database.commit();
    m_inTransaction = false;
    if (committed)
        return true;
    QSqlError error = m_database.lastError();
    const bool lost = lostBefore || handleIsDead() || endsSession(error);
    if (lost)
        error = lostBefore ? lostConnectionError() : asConnectionError(error);
    else if (!error.isValid() || error.text().trimmed().isEmpty())
        error = QSqlError(QString(), QStringLiteral("Транзакция не завершена."),
                          QSqlError::TransactionError);
    reportFailure(QStringLiteral("COMMIT"), error);
    if (lost)
        noticeLostConnection();
    return false;
}

bool QSqlConnection::rollbackTransaction()
{
    const bool wasInTransaction = m_inTransaction;
    m_inTransaction = false;
    // A transaction that went down with its connection is rolled back by the
    // server already; its failure has been reported.
    if (m_lost) {
        reconnect();
        return true;
    }
    if (handleIsDead()) {
        noticeLostConnection();
        return true;
    }
    if (!wasInTransaction || m_database.rollback())
        return true;
    const QSqlError error = m_database.lastError();
    reportFailure(QStringLiteral("ROLLBACK"), error);
    if (handleIsDead())
        noticeLostConnection();
    return false;
}

void QSqlConnection::scopeIdentity(QString name, QSqlQuery *query)
{
    if (!m_scopeIdentity || !query)
        return;
    query->finish();
    m_scopeIdentity(name, query);
}

QList<drvInfo> scanForDrivers(QString folder)
{
    QList<drvInfo> drivers;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) {
        qCWarning(lcDriver).noquote() << QStringLiteral("Folder ") + folder + QStringLiteral(" not found.");
        return drivers;
    }
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        if (!QLibrary::isLibrary(entry.fileName()))
            continue;
        QLibrary library(entry.absoluteFilePath());
        if (!library.load()) {
            qCWarning(lcDriver).noquote() << library.errorString();
            continue;
        }
        if (const auto fullName = resolveEntry<DriverApi::FullNameFn>(&library, "fullName")) {
            // A deep copy: the name may point into the library's constant data, gone after unload.
            const QString name = fullName();
            drivers.append(drvInfo{QString(name.constData(), name.size()), entry.fileName()});
        }
        library.unload();
    }
    return drivers;
}

QSqlConnection *currentConnection()
{
    return AppContext::connection();
}

void runScript(QString scriptName, QSqlQuery *query, QList<QVariant> params)
{
    QSqlConnection *connection = currentConnection();
    if (!connection || !query)
        return;
    connection->execScript(connection->getScript(scriptName), query, params);
}

void runScript(QString scriptName, QList<QVariant> params)
{
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("MainConnection"), true));
    runScript(scriptName, &query, params);
}
