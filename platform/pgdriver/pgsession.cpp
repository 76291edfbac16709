#include "pgsession.h"

#include "passwordhash.h"
#include "driverlogging.h"
#include "pgliteral.h"
#include "pgrowpipeline.h"
#include "pgtableread.h"
#include "shellcontext.h"
#include "sqllexer.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimeZone>

namespace {

// Where the database is: the shell's settings when it gave them, libpq's own
// defaults (PGHOST, PGPORT, PGDATABASE, PGUSER, PGSERVICE, ~/.pgpass) otherwise.
void applyConnectionSettings(QSqlDatabase &db)
{
    db.setHostName(ShellContext::databaseHost());
    const QString port = ShellContext::databasePort();
    db.setPort(port.isEmpty() ? -1 : port.toInt());
    db.setDatabaseName(ShellContext::databaseName());
    db.setUserName(ShellContext::databaseUser());
    db.setPassword(ShellContext::databasePassword());
    db.setConnectOptions(ShellContext::connectOptions());
}

bool isCredentialFailure(const QSqlError &error)
{
    if (error.nativeErrorCode() == QLatin1String("28P01") || error.nativeErrorCode() == QLatin1String("28000"))
        return true;
    // A refused connection carries no SQLSTATE, only libpq's message.
    const QString text = error.databaseText();
    static const QStringList markers = {
        QStringLiteral("authentication failed"), QStringLiteral("no pg_hba.conf entry"),
        QStringLiteral("no password supplied"),
    };
    for (const QString &marker : markers) {
        if (text.contains(marker, Qt::CaseInsensitive))
            return true;
    }
    return text.contains(QLatin1String("role \"")) && text.contains(QLatin1String("does not exist"));
}

QString bound(QString statement, const QList<QPair<QString, QVariant>> &values)
{
    for (const auto &value : values)
        statement = PgLiteral::bind(statement, value.first, value.second);
    return statement;
}

// What a progress line shows of a statement: its code on one line, comments left out.
QString firstLine(const QString &statement)
{
    QString line = SqlLexer::flatten(statement).simplified();
    if (line.size() > 100)
        line = line.left(100) + QStringLiteral("…");
    return line;
}

} // namespace

PgSession &PgSession::instance()
{
    static PgSession session;
    return session;
}

QSqlDatabase PgSession::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QVariant PgSession::connect(const QString &connectionName)
{
    m_connectionName = connectionName;
    m_scripts.clear();

    QSqlDatabase db = QSqlDatabase::contains(connectionName)
            ? QSqlDatabase::database(connectionName, false)
            : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid())
        return QStringLiteral("The PostgreSQL driver of Qt (QPSQL) is not installed.");
    db.close();
    applyConnectionSettings(db);
    if (!db.open()) {
        const QSqlError error = db.lastError();
        if (isCredentialFailure(error))
            return QStringLiteral("LOGIN ERROR");
        return error.databaseText().trimmed().isEmpty() ? error.text().trimmed() : error.databaseText().trimmed();
    }

    QSqlQuery query(db);
    query.exec(QStringLiteral("set client_min_messages = warning"));
    // Literals are written for standard strings; a server set otherwise would
    // read backslashes in the scripts' own constants differently from the binder.
    if (!query.exec(QStringLiteral("set standard_conforming_strings = on")))
        return query.lastError().text().trimmed();
    // Timestamps without a zone mean the user's local time, as the toolkit reads them back.
    query.exec(PgLiteral::bind(QStringLiteral("select set_config('TimeZone', :zone, false)"), QStringLiteral("zone"),
                               QString::fromLatin1(QTimeZone::systemTimeZoneId())));
    if (!query.exec(QStringLiteral("select to_regclass('sys.t_sys_attr') is not null")) || !query.next())
        return query.lastError().text().trimmed();
    if (!query.value(0).toBool())
        return QStringLiteral("INVALID");

    const QString upgradeError = upgrade(db);
    if (!upgradeError.isEmpty())
        return upgradeError;
    // A reconnect keeps the user who logged in, so that per-user scripts go on working.
    if (m_userId > 0)
        applyUser(db);
    return QStringLiteral("Ok");
}

namespace {

struct SchemaStamp
{
    int version = 0;
    QString digest;
};

SchemaStamp readStamp(QSqlDatabase db)
{
    SchemaStamp stamp;
    QSqlQuery query(db);
    query.exec(QStringLiteral("select c_attr, c_value from sys.t_sys_attr "
                              "where c_attr in ('SchemaVersion', 'ScriptsDigest')"));
    while (query.next()) {
        if (query.value(0).toString() == QLatin1String("SchemaVersion"))
            stamp.version = query.value(1).toInt();
        else
            stamp.digest = query.value(1).toString();
    }
    return stamp;
}

} // namespace

QString PgSession::upgrade(QSqlDatabase db)
{
    const int latest = m_catalog.latestVersion();
    const auto check = [&](const SchemaStamp &stamp, bool *upToDate) {
        *upToDate = stamp.version == latest && stamp.digest == m_catalog.scriptsDigest();
        if (stamp.version <= latest)
            return QString();
        return QStringLiteral("The database has schema version %1, newer than this driver knows (%2). "
                              "Install a newer driver library.").arg(stamp.version).arg(latest);
    };
    bool upToDate = false;
    QString refusal = check(readStamp(db), &upToDate);
    if (!refusal.isEmpty() || upToDate)
        return refusal;

    if (!db.transaction())
        return db.lastError().text().trimmed();
    // One client upgrades; another that came at the same time waits here and
    // then finds the work done.
    QSqlQuery lock(db);
    if (!lock.exec(QStringLiteral("lock table sys.t_sys_attr in exclusive mode"))) {
        const QString error = lock.lastError().text().trimmed();
        db.rollback();
        return error;
    }
    const SchemaStamp stamp = readStamp(db);
    refusal = check(stamp, &upToDate);
    if (!refusal.isEmpty() || upToDate) {
        db.commit();
        return refusal;
    }

    QStringList statements;
    for (const SchemaCatalog::Migration &migration : m_catalog.migrations()) {
        if (migration.version > stamp.version)
            statements.append(SqlLexer::splitStatements(migration.sql));
    }
    statements.append(m_catalog.stampStatements(latest));
    QString error;
    if (!runStatements(db, statements, nullptr, nullptr, &error)) {
        db.rollback();
        return QStringLiteral("The database could not be upgraded from version %1 to %2: %3")
                .arg(stamp.version).arg(latest).arg(error);
    }
    if (!db.commit())
        return db.lastError().text().trimmed();
    if (stamp.version != latest)
        qCInfo(lcPgDriver).noquote() << QStringLiteral("Database upgraded from schema version %1 to %2.").arg(stamp.version).arg(latest);
    return QString();
}

QString PgSession::creationScript() const
{
    return m_catalog.creationScript(ShellContext::demoData());
}

void PgSession::applyUser(QSqlDatabase db)
{
    QSqlQuery query(db);
    query.exec(bound(QStringLiteral("select set_config('workplace.user_id', :id, false)"),
                     {{QStringLiteral("id"), QString::number(m_userId)}}));
}

bool PgSession::login(const QString &user, const QString &password)
{
    // The password never goes to the server: the stored hash comes here.
    QSqlQuery query(database());
    const QString statement = bound(
            QStringLiteral("select id, b_admin, c_pass_hash from sys.t_user where c_login = :login and not b_blocked"),
            {{QStringLiteral("login"), user}});
    if (!query.exec(statement)) {
        qCWarning(lcPgDriver).noquote() << QStringLiteral("Login query failed: ") + query.lastError().text().trimmed();
        return false;
    }
    if (!query.next()) {
        // As slow as a wrong password, so that the time does not tell which logins exist.
        static const QString unknownUsersHash = PasswordHash::make(QStringLiteral("no such user"));
        PasswordHash::verify(password, unknownUsersHash);
        return false;
    }
    const qlonglong id = query.value(0).toLongLong();
    const bool admin = query.value(1).toBool();
    const QString hash = query.value(2).toString();
    query.finish();
    if (!PasswordHash::verify(password, hash))
        return false;
    m_userId = id;
    m_admin = admin;
    applyUser(database());
    return true;
}

QString PgSession::changePassword(const QString &login, const QString &currentPassword, const QString &newPassword)
{
    if (m_userId <= 0)
        return QStringLiteral("Вход в систему не выполнен.");
    QSqlQuery query(database());
    if (!query.exec(bound(QStringLiteral("select c_login, c_pass_hash from sys.t_user where id = :id"),
                          {{QStringLiteral("id"), m_userId}}))
        || !query.next()) {
        return QStringLiteral("Не удалось прочитать учётную запись: ") + query.lastError().text().trimmed();
    }
    const QString ownLogin = query.value(0).toString();
    const QString ownHash = query.value(1).toString();
    query.finish();
    // Whoever changes a password proves first that they are who is logged in.
    if (!PasswordHash::verify(currentPassword, ownHash))
        return QStringLiteral("Текущий пароль указан неверно.");
    if (login != ownLogin && !canDo(QStringLiteral("ResetPasswords")))
        return QStringLiteral("Пароль другого пользователя может сменить только администратор.");
    if (newPassword.size() < minimumPasswordLength)
        return QStringLiteral("Новый пароль должен быть не короче %1 символов.").arg(minimumPasswordLength);
    if (newPassword == login)
        return QStringLiteral("Пароль не должен совпадать с именем пользователя.");
    const QString hash = PasswordHash::make(newPassword);
    if (hash.isEmpty())
        return QStringLiteral("Система не смогла вычислить хеш пароля.");
    if (!query.exec(bound(QStringLiteral("update sys.t_user set c_pass_hash = :hash where c_login = :login returning id"),
                          {{QStringLiteral("hash"), hash}, {QStringLiteral("login"), login}}))) {
        return QStringLiteral("Пароль не сохранён: ") + query.lastError().text().trimmed();
    }
    if (!query.next())
        return QStringLiteral("Пользователь %1 не найден.").arg(login);
    return QString();
}

QString PgSession::script(const QString &name)
{
    const auto cached = m_scripts.constFind(name);
    if (cached != m_scripts.constEnd())
        return cached.value();
    QSqlQuery query(database());
    if (!query.exec(bound(QStringLiteral("select c_text from sys.t_script where c_name = :name"),
                          {{QStringLiteral("name"), name}}))) {
        return QString();
    }
    const QString text = query.next() ? SqlLexer::flatten(query.value(0).toString()).trimmed() : QString();
    m_scripts.insert(name, text);
    return text;
}

bool PgSession::canDo(const QString &action)
{
    if (m_userId <= 0)
        return false;
    if (m_admin)
        return true;
    QSqlQuery query(database());
    const QString statement = bound(
            QStringLiteral("select 1 from sys.t_right where id_user = :user and c_action = :action"),
            {{QStringLiteral("user"), m_userId}, {QStringLiteral("action"), action}});
    return query.exec(statement) && query.next();
}

QVariant PgSession::systemAttr(const QString &name)
{
    QSqlQuery query(database());
    if (!query.exec(bound(QStringLiteral("select c_value from sys.t_sys_attr where c_attr = :name"),
                          {{QStringLiteral("name"), name}}))
        || !query.next()) {
        return QVariant();
    }
    return query.value(0);
}

bool PgSession::panels(QPanelList &list)
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("select c_name, c_library, c_caption, n_order from sys.t_panel order by n_order, id")))
        return false;
    while (query.next())
        list.append(panelData{query.value(0).toString(), query.value(1).toString(),
                              query.value(2).toString(), query.value(3).toInt()});
    return true;
}

bool PgSession::runStatements(QSqlDatabase db, const QStringList &statements, QPlainTextEdit *log,
                              QList<QSqlQuery> *results, QString *error, QString *code)
{
    for (int i = 0; i < statements.size(); ++i) {
        const QString &statement = statements.at(i);
        if (log)
            log->appendPlainText(QStringLiteral("%1/%2 %3").arg(i + 1).arg(statements.size()).arg(firstLine(statement)));
        QSqlQuery query(db);
        if (!query.exec(statement)) {
            *error = query.lastError().text().trimmed();
            if (code)
                *code = query.lastError().nativeErrorCode();
            if (log)
                log->appendPlainText(*error);
            // The creation guard's answer is no error: the caller takes it as success.
            if (query.lastError().nativeErrorCode() != SchemaCatalog::createdMeanwhileCode())
                qCWarning(lcPgDriver).noquote() << QStringLiteral("Error executing query: ") + statement + QLatin1Char('\n') + *error;
            return false;
        }
        if (results)
            results->append(query);
        if (log)
            QCoreApplication::processEvents();
    }
    return true;
}

bool PgSession::batchExec(const QString &script, QPlainTextEdit *log, QList<QSqlQuery> *results)
{
    QSqlDatabase db = database();
    if (!db.isOpen())
        return false;
    const QStringList statements = SqlLexer::splitStatements(script);
    // All or nothing. Inside the caller's transaction a savepoint gives the
    // same without ending that transaction; outside one the savepoint fails.
    QSqlQuery control(db);
    const bool nested = control.exec(QStringLiteral("savepoint batch_exec"));
    if (!nested && !db.transaction())
        return false;
    QString error;
    QString code;
    if (!runStatements(db, statements, log, results, &error, &code)) {
        if (nested)
            control.exec(QStringLiteral("rollback to savepoint batch_exec"));
        else
            db.rollback();
        // The creation script found the database made by a workplace that
        // started at the same time: what this one was to create is there.
        if (code == SchemaCatalog::createdMeanwhileCode()) {
            qCInfo(lcPgDriver) << "The database was created meanwhile by another workplace.";
            m_scripts.clear();
            return true;
        }
        return false;
    }
    const bool finished = nested ? control.exec(QStringLiteral("release savepoint batch_exec")) : db.commit();
    if (!finished) {
        qCWarning(lcPgDriver).noquote() << (nested ? control.lastError().text() : db.lastError().text());
        return false;
    }
    m_scripts.clear();
    if (log)
        log->appendPlainText(QStringLiteral("Done: %1 statements.").arg(statements.size()));
    return true;
}

QVariant PgSession::resultExec(const QString &script)
{
    QSqlQuery query(database());
    if (!query.exec(script)) {
        qCWarning(lcPgDriver).noquote() << QStringLiteral("Error executing query: ") + query.lastError().text().trimmed();
        return QVariant();
    }
    return query.first() ? query.value(0) : QVariant();
}

void PgSession::scopeIdentity(const QString &table, QSqlQuery *query)
{
    if (!query)
        return;
    // The key is the table's one-column primary key ("id" by the naming rules
    // when the table is unknown), and its value comes from that column's own
    // sequence: lastval() could name a sequence a trigger used after the insert.
    QString keyName = QStringLiteral("id");
    QString qualifiedTable;
    QSqlQuery lookup(database());
    const bool qualified = table.contains(QLatin1Char('.'));
    const QString statement = bound(QStringLiteral(
            "select a.attname, quote_ident(n.nspname) || '.' || quote_ident(c.relname) from pg_index i "
            "join pg_attribute a on a.attrelid = i.indrelid and a.attnum = i.indkey[0] "
            "join pg_class c on c.oid = i.indrelid join pg_namespace n on n.oid = c.relnamespace "
            "where i.indisprimary and i.indnatts = 1 and c.relkind in ('r', 'p') and "
            "(c.oid = to_regclass( :qualified ) or ( :plain and c.relname = :table )) "
            "order by n.nspname = any(current_schemas(false)) desc, n.nspname limit 1"),
            {{QStringLiteral("qualified"), qualified ? table : QString()},
             {QStringLiteral("plain"), !qualified},
             {QStringLiteral("table"), table}});
    if (lookup.exec(statement) && lookup.next()) {
        keyName = lookup.value(0).toString();
        qualifiedTable = lookup.value(1).toString();
    }
    const QString identity = qualifiedTable.isEmpty()
            ? QStringLiteral("lastval()")
            : bound(QStringLiteral("coalesce(currval(pg_get_serial_sequence( :table , :key )), lastval())"),
                    {{QStringLiteral("table"), qualifiedTable}, {QStringLiteral("key"), keyName}});
    query->exec(QStringLiteral("select %1 as %2").arg(identity, PgLiteral::quoteIdentifier(keyName)));
    query->first();
}

int PgSession::execRowScripts(const QString &script, const QStringList &names, const QList<QVariantList> &rows,
                              const QVector<bool> &mustFind, QList<RowScriptResult> *results, int *failed,
                              QSqlError *error)
{
    return PgRowPipeline::run(database(), script, names, rows, mustFind, results, failed, error);
}

int PgSession::readRows(const QString &statement, RowReceiver *receiver, QSqlError *error)
{
    return PgTableRead::run(database(), statement, receiver, error);
}
