#ifndef PGSESSION_H
#define PGSESSION_H

#include "drivertypes.h"
#include "schemacatalog.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

class QPlainTextEdit;
class QSqlQuery;

// What the driver library remembers between calls: which connection it
// opened, who logged in, and the scripts it has already read.
class PgSession
{
public:
    static PgSession &instance();

    QVariant connect(const QString &connectionName);
    QString creationScript() const;
    bool login(const QString &user, const QString &password);
    // Sets the password of `login`: the logged-in user's own or, with the
    // right "ResetPasswords" (administrators have every right), anybody's; the
    // logged-in user's current password is checked first. Empty on success,
    // else a message for the user.
    QString changePassword(const QString &login, const QString &currentPassword, const QString &newPassword);
    static constexpr int minimumPasswordLength = 6;
    QString script(const QString &name);
    bool canDo(const QString &action);
    QVariant systemAttr(const QString &name);
    bool panels(QPanelList &list);
    bool batchExec(const QString &script, QPlainTextEdit *log, QList<QSqlQuery> *results);
    QVariant resultExec(const QString &script);
    void scopeIdentity(const QString &table, QSqlQuery *query);
    // A row script for many rows in one go (PgRowPipeline) on the session's connection.
    int execRowScripts(const QString &script, const QStringList &names, const QList<QVariantList> &rows,
                       const QVector<bool> &mustFind, QList<RowScriptResult> *results, int *failed, QSqlError *error);
    // A select's whole result read in one go (PgTableRead) on the session's connection.
    int readRows(const QString &statement, RowReceiver *receiver, QSqlError *error);

    // Runs statements one by one; false with the failing statement's error.
    static bool runStatements(QSqlDatabase db, const QStringList &statements, QPlainTextEdit *log,
                              QList<QSqlQuery> *results, QString *error, QString *code = nullptr);

private:
    PgSession() = default;
    QSqlDatabase database() const;
    QString upgrade(QSqlDatabase db);
    void applyUser(QSqlDatabase db);

    QString m_connectionName = QStringLiteral("MainConnection");
    SchemaCatalog m_catalog;
    QHash<QString, QString> m_scripts;
    qlonglong m_userId = 0;
    bool m_admin = false;
};

#endif // PGSESSION_H
