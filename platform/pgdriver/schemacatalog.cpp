#include "schemacatalog.h"

#include "pgliteral.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

SchemaCatalog::SchemaCatalog(const QString &root)
{
    for (const auto &file : readFolder(root + QStringLiteral("/migrations"))) {
        // Files are named NNNN_what.sql; the number is the schema version they lead to.
        Migration migration;
        migration.version = file.first.section(QLatin1Char('_'), 0, 0).toInt();
        migration.name = file.first;
        migration.sql = file.second;
        if (migration.version > 0)
            m_migrations.append(migration);
    }
    std::sort(m_migrations.begin(), m_migrations.end(),
              [](const Migration &a, const Migration &b) { return a.version < b.version; });
    for (const auto &file : readFolder(root + QStringLiteral("/scripts")))
        m_scripts.append(Script{file.first.section(QLatin1Char('.'), 0, 0), file.second});
    for (const auto &file : readFolder(root + QStringLiteral("/demo")))
        m_demo.append(file.second);
}

QList<QPair<QString, QString>> SchemaCatalog::readFolder(const QString &folder)
{
    QList<QPair<QString, QString>> files;
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            files.append({name, QString::fromUtf8(file.readAll())});
    }
    return files;
}

int SchemaCatalog::latestVersion() const
{
    return m_migrations.isEmpty() ? 0 : m_migrations.last().version;
}

QString SchemaCatalog::scriptsDigest() const
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const Script &script : m_scripts) {
        hash.addData(script.name.toUtf8());
        hash.addData("\0", 1);
        hash.addData(script.text.toUtf8());
        hash.addData("\0", 1);
    }
    return QString::fromLatin1(hash.result().toHex());
}

QStringList SchemaCatalog::stampStatements(int version) const
{
    // Only this driver's own scripts are replaced: a site may keep scripts of its own.
    QStringList statements;
    for (const Script &script : m_scripts) {
        statements.append(QStringLiteral("insert into sys.t_script (c_name, c_text) values (%1, %2) "
                                         "on conflict (c_name) do update set c_text = excluded.c_text, d_changed = now()")
                                  .arg(PgLiteral::quoteText(script.name), PgLiteral::quoteText(script.text)));
    }
    const QString upsert = QStringLiteral(
            "insert into sys.t_sys_attr (c_attr, c_value) values (%1, %2) "
            "on conflict (c_attr) do update set c_value = excluded.c_value");
    statements.append(upsert.arg(PgLiteral::quoteText(QStringLiteral("SchemaVersion")),
                                 PgLiteral::quoteText(QString::number(version))));
    statements.append(upsert.arg(PgLiteral::quoteText(QStringLiteral("ScriptsDigest")),
                                 PgLiteral::quoteText(scriptsDigest())));
    return statements;
}

QString SchemaCatalog::creationScript(bool withDemoData) const
{
    // Two workplaces starting on a fresh database both find it empty; the lock
    // lets one create it while the other waits and then finds it done.
    QStringList parts = {
        QStringLiteral("select pg_advisory_xact_lock(hashtext('workplace: create database'))"),
        QStringLiteral("do $guard$ begin if to_regclass('sys.t_sys_attr') is not null then "
                       "raise exception 'the database has been created meanwhile' using errcode = '%1'; "
                       "end if; end $guard$").arg(createdMeanwhileCode()),
    };
    for (const Migration &migration : m_migrations)
        parts.append(migration.sql);
    parts.append(stampStatements(latestVersion()).join(QStringLiteral("\n;\n")));
    if (withDemoData)
        parts.append(m_demo);
    // A file may end in a line comment without a line break: keep the separator out of it.
    return parts.join(QStringLiteral("\n;\n"));
}
