#include "fileownertable.h"

#include "qdatatable.h"

namespace FileOwnerTable {

void addColumns(QDataTable *table, bool withBytes)
{
    if (!table)
        return;
    table->addColumn(QStringLiteral("c_comment"), QVariant::String, true, QStringLiteral("Описание"), 0, 500);
    table->addColumn(QStringLiteral("c_file"), QVariant::String, true, QStringLiteral("Файл"), 0, 300);
    table->addColumn(QStringLiteral("n_size"), QVariant::LongLong, true, QStringLiteral("Размер(кБ)"), 0, 120);
    table->addColumn(QStringLiteral("id_creator"), QVariant::LongLong, true, QStringLiteral("Подпись"), 0, 150);
    table->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1, 100);
    table->addColumn(QStringLiteral("n_crc"), QVariant::LongLong, false, QString(), 0, 100);
    if (withBytes)
        table->addColumn(QStringLiteral("bl_file"), QVariant::ByteArray, false, QString(), 0, 100);
    table->addColumn(QStringLiteral("c_table"), QVariant::String, false, QString(), 0, 100);
    table->addColumn(QStringLiteral("n_key"), QVariant::LongLong, false, QString(), 0, 100);
    table->addColumn(QStringLiteral("n_row_version"), QVariant::Int, false, QString(), 0, 100);
    table->addColumn(QStringLiteral("c_sha256"), QVariant::String, false, QString(), 0, 100);
}

QDataTable *create(const QString &name, QSqlConnection *connection, QObject *parent, bool withBytes)
{
    auto *table = new QDataTable(name, connection, parent);
    table->setScripts(QStringLiteral("FILE_OWNER_SELECT"), QStringLiteral("FILE_OWNER_UPDATE"),
                      QStringLiteral("FILE_OWNER_INSERT"), QStringLiteral("FILE_OWNER_DELETE"));
    addColumns(table, withBytes);
    return table;
}

QDataTable *createUsers(QSqlConnection *connection, QObject *parent)
{
    auto *table = new QDataTable(QStringLiteral("t_user"), connection, parent);
    table->setScripts(QStringLiteral("SELECT id, c_name FROM sys.t_user;"), QString(), QString(), QString(), true);
    return table;
}

} // namespace FileOwnerTable
