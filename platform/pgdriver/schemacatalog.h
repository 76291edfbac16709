#ifndef SCHEMACATALOG_H
#define SCHEMACATALOG_H

#include <QList>
#include <QString>
#include <QStringList>

// The database this driver serves, as SQL files: numbered migrations that
// build and upgrade the schema, named scripts, and demo data.
class SchemaCatalog
{
public:
    struct Migration
    {
        int version = 0;
        QString name;
        QString sql;
    };
    struct Script
    {
        QString name;
        QString text;
    };

    // root holds migrations/, scripts/ and demo/; the driver's own copy is ":/db".
    explicit SchemaCatalog(const QString &root = QStringLiteral(":/db"));

    const QList<Migration> &migrations() const { return m_migrations; }
    const QList<Script> &scripts() const { return m_scripts; }
    int latestVersion() const;
    QString scriptsDigest() const;

    // Statements that replace the stored scripts and record the schema version.
    QStringList stampStatements(int version) const;

    // The script that creates the whole schema on an empty database. It first
    // waits for any other client creating it and, when that one has finished,
    // stops with the error code createdMeanwhileCode() instead of running twice.
    QString creationScript(bool withDemoData) const;
    static QString createdMeanwhileCode() { return QStringLiteral("WP001"); }

private:
    static QList<QPair<QString, QString>> readFolder(const QString &folder);

    QList<Migration> m_migrations;
    QList<Script> m_scripts;
    QStringList m_demo;
};

#endif // SCHEMACATALOG_H
