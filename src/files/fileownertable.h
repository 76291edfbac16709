#ifndef FILEOWNERTABLE_H
#define FILEOWNERTABLE_H

#include "dealsglobal.h"

#include <QString>

class QDataTable;
class QObject;
class QSqlConnection;

// The attachment table of one owner row ("t_file_owner" and its variants such
// as "t_file_owner_contractor"): scripts "FILE_OWNER_SELECT" (select
// parameters "c_table" and "n_key"), "FILE_OWNER_UPDATE", "FILE_OWNER_INSERT",
// "FILE_OWNER_DELETE"; the row's "id" is the file id. A document may declare
// the table itself (its own widths); then it needs these columns in this order,
// with "bl_file" where an editor holds new files until it saves:
//
//   c_comment "Описание", c_file "Файл", n_size "Размер(кБ)", id_creator "Подпись",
//   hidden: id (auto-increment -1), n_crc, [bl_file], c_table, n_key, n_row_version,
//           c_sha256 (optional: without it the server hashes "bl_file")
//
// "n_row_version" is the version of the file record; the update and delete
// scripts compare it, so a table without it can change nothing.
namespace FileOwnerTable {

// Declares the columns on an empty table; withBytes adds "bl_file".
DEALS_EXPORT void addColumns(QDataTable *table, bool withBytes);
// A table with the scripts and the columns above.
DEALS_EXPORT QDataTable *create(const QString &name, QSqlConnection *connection, QObject *parent, bool withBytes);
// "t_user": the users by id, for the creator column.
DEALS_EXPORT QDataTable *createUsers(QSqlConnection *connection, QObject *parent);

} // namespace FileOwnerTable

#endif // FILEOWNERTABLE_H
