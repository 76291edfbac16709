#ifndef FILETESTING_H
#define FILETESTING_H

#include <QByteArray>
#include <QString>
#include <QVariant>

class ModalAnswerer;
class QSqlConnection;

// What the attachment suites share: a database with the schema, a storage
// directory of their own, and answers to the dialogs the attachment code opens.
namespace FileTesting {

// Prepares the suite's database and publishes the connection.
bool connect(const QString &database, QSqlConnection *connection, QString *error);
// Points "FilePath" at a directory ("" for none) and makes the code read it again.
void useStorage(QSqlConnection *connection, const QString &directory);
// Empties the attachment tables.
void clearAttachments(QSqlConnection *connection);
QVariant scalar(QSqlConnection *connection, const QString &statement);
qlonglong count(QSqlConnection *connection, const QString &statement);

// `data` with four bytes appended so that its CRC-32 is `target`: two
// different contents with one checksum.
QByteArray withCrc(const QByteArray &data, quint32 target);

bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// Files of a directory, "DELETE" left out.
int fileCount(const QString &directory);

// Answers a file dialog with a file, or a folder dialog with a folder.
void chooseFile(ModalAnswerer *answerer, const QString &path);
// Answers a one-line input dialog; cancels it when `accept` is false.
void enterText(ModalAnswerer *answerer, const QString &text, bool accept = true);
// Accepts or rejects a plain dialog.
void closeDialog(ModalAnswerer *answerer, bool accept);

} // namespace FileTesting

#endif // FILETESTING_H
