// Bringing stored attachments back to the user's disk.

#include "filefunctions.h"

#include "appcontext.h"
#include "fileexport.h"
#include "filestore.h"
#include "qdatatable.h"
#include "qinputdialogex.h"

#include <QDir>
#include <QMessageBox>
#include <QSqlRecord>

namespace {

// A new subfolder of the folder, if the user wants one; the folder itself
// otherwise. Asked again after a refused name, the question offers that name
// to correct rather than an empty line.
QString destinationIn(const QString &folder)
{
    QString name;
    forever {
        bool ok = false;
        name = QInputDialogEx::getString(nullptr, QStringLiteral("Новый каталог"),
                                         QStringLiteral("Создать подкаталог для файлов"), name, &ok);
        if (!ok)
            return folder;
        QDir base(folder);
        if (name.isEmpty()) {
            QMessageBox::warning(nullptr, QStringLiteral("Внимане"), QStringLiteral("Не задан каталог"));
            continue;
        }
        if (base.exists(name)) {
            QMessageBox::warning(nullptr, QStringLiteral("Внимане"), QStringLiteral("Каталог уже существует"));
            continue;
        }
        if (!base.mkdir(name)) {
            QMessageBox::warning(nullptr, QStringLiteral("Ошибка"),
                                 QStringLiteral("Не удалось создать каталог %1").arg(name));
            continue;
        }
        return base.filePath(name);
    }
}

} // namespace

bool getFileFromBase(QString fileName, bool toChosenDirectory, bool help)
{
    if (fileName.isEmpty() || !AppContext::connection())
        return false;
    QString folder;
    if (toChosenDirectory) {
        folder = FileExport::chooseDirectory();
        if (folder.isEmpty())
            return false;
    }
    const QByteArray bytes = FileStore::read(fileName, help);
    if (bytes.isEmpty()) {
        QMessageBox::warning(nullptr, QStringLiteral("Внимание!"), QStringLiteral("Файл %1 не найден").arg(fileName));
        return false;
    }
    return toChosenDirectory ? FileExport::writeInto(folder, fileName, bytes) : FileExport::open(fileName, bytes);
}

void loadFileAllFromBase(QDataTable *table, bool help)
{
    if (!table)
        return;
    const QString folder = FileExport::chooseDirectory();
    if (folder.isEmpty())
        return;
    const QString destination = destinationIn(folder);
    FileExport::Overwrite policy = FileExport::Ask;
    const QString bytesField = QStringLiteral("bl_file");
    for (int row = 0; row < table->rowCount(); ++row) {
        const QSqlRecord record = table->getRecord(row);
        const QString name = record.value(QStringLiteral("c_file")).toString();
        if (record.isEmpty() || name.isEmpty())
            continue;
        // A file added but not saved yet has its bytes in the row.
        QByteArray bytes = record.indexOf(bytesField) >= 0 ? record.value(bytesField).toByteArray() : QByteArray();
        if (bytes.isEmpty())
            bytes = FileStore::read(name, help);
        if (!bytes.isEmpty())
            FileExport::writeInto(destination, name, bytes, &policy);
    }
    QMessageBox::information(nullptr, QStringLiteral("Загрузка файлов"), QStringLiteral("Файлы сохранены"));
}
