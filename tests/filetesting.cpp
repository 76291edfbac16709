#include "filetesting.h"

#include "filefunctions.h"
#include "filestore.h"
#include "modalanswerer.h"
#include "qsqlconnection.h"
#include "testserver.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLibrary>
#include <QLineEdit>
#include <QSqlQuery>
#include <QtEndian>

#include <array>

namespace FileTesting {

bool connect(const QString &database, QSqlConnection *connection, QString *error)
{
    static QLibrary driver;
    return TestServer::openMainConnection(database, &driver, connection, false, error);
}

void useStorage(QSqlConnection *connection, const QString &directory)
{
    QSqlQuery query(connection->database());
    query.exec(connection->parseQuery(
            QStringLiteral("update sys.t_sys_attr set c_value = :path where c_attr = 'FilePath'"),
            QStringLiteral("path"), directory));
    FileStore::forgetPaths();
}

void clearAttachments(QSqlConnection *connection)
{
    QSqlQuery query(connection->database());
    query.exec(QStringLiteral("truncate lrg.t_file_owner, lrg.t_file, lrg.t_file_bytea restart identity cascade"));
}

QVariant scalar(QSqlConnection *connection, const QString &statement)
{
    return connection->execScript(statement);
}

qlonglong count(QSqlConnection *connection, const QString &statement)
{
    return scalar(connection, statement).toLongLong();
}

QByteArray withCrc(const QByteArray &data, quint32 target)
{
    std::array<quint32, 256> table{};
    std::array<int, 256> byTopByte{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
        byTopByte[c >> 24] = int(n);
    }
    // Walk the register back from the wanted final value over four bytes.
    quint32 wanted = target ^ 0xFFFFFFFFu;
    for (int i = 0; i < 4; ++i) {
        const quint32 index = quint32(byTopByte[wanted >> 24]);
        wanted = ((wanted ^ table[index]) << 8) | index;
    }
    const quint32 state = ::crc32(data) ^ 0xFFFFFFFFu;
    QByteArray patch(4, Qt::Uninitialized);
    qToLittleEndian<quint32>(state ^ wanted, patch.data());
    return data + patch;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int fileCount(const QString &directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::Hidden).size();
}

void chooseFile(ModalAnswerer *answerer, const QString &path)
{
    answerer->enqueue([path](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        if (!files) {
            dialog->close();
            return;
        }
        const bool folder = files->fileMode() == QFileDialog::Directory || files->testOption(QFileDialog::ShowDirsOnly);
        if (folder) {
            files->setDirectory(path);
        } else if (auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            // Not selectFile(): it leaves the name alone while its edit has the focus.
            name->setText(path);
        }
        // Queued: a dialog it opens in turn must find this answerer free to answer it.
        QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
    });
}

void enterText(ModalAnswerer *answerer, const QString &text, bool accept)
{
    answerer->enqueue([text, accept](QWidget *widget) {
        auto *dialog = qobject_cast<QDialog *>(widget);
        // Anything else here means the test went wrong: let it fail, not hang.
        if (!dialog || qobject_cast<QFileDialog *>(widget)) {
            widget->close();
            return;
        }
        if (auto *edit = widget->findChild<QLineEdit *>())
            edit->setText(text);
        QMetaObject::invokeMethod(dialog, accept ? "accept" : "reject", Qt::QueuedConnection);
    });
}

void closeDialog(ModalAnswerer *answerer, bool accept)
{
    answerer->enqueue([accept](QWidget *widget) {
        if (auto *dialog = qobject_cast<QDialog *>(widget))
            accept ? dialog->accept() : dialog->reject();
    });
}

} // namespace FileTesting
