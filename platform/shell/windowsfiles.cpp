// Attachment windows: the panel of an editor, the panel that writes at once
// in its dialog, and the dialogs the panels open.

#include "windowcatalog.h"

#include "fileeditdialog.h"
#include "fileexistdialog.h"
#include "fileinstantdialog.h"
#include "filerecords.h"
#include "filesdemoeditor.h"
#include "filestore.h"
#include "photodialog.h"
#include "previewimagedialog.h"

#include <QImage>

namespace {

long long numberOr(const QString &argument, long long fallback)
{
    bool ok = false;
    const long long value = argument.toLongLong(&ok);
    return ok ? value : fallback;
}

// The file record named by the argument (an id), or the demo's photo.
QSqlRecord fileRecord(const QString &argument, QString *error)
{
    const QSqlRecord record = argument.isEmpty()
            ? FileRecords::findByName(QStringLiteral("foto_obrazca.png"))
            : FileRecords::findById(numberOr(argument, 0));
    if (record.isEmpty())
        *error = QStringLiteral("Нет файла с кодом «%1».").arg(argument);
    return record;
}

} // namespace

void addFilesWindows(WindowCatalog::Entries *entries)
{
    entries->append({QStringLiteral("files"),
                     QStringLiteral("вложения документа в редакторе, запись по «Применить» (аргумент: № документа, 1)"),
                     [](QWidget *mainWindow, const QString &argument, QString *) -> QWidget * {
                         return new FilesDemoEditor(numberOr(argument, 1), mainWindow);
                     }});
    entries->append({QStringLiteral("files-instant"),
                     QStringLiteral("«Файловый диалог»: вложения документа, запись сразу (аргумент: № документа, 1)"),
                     [](QWidget *mainWindow, const QString &argument, QString *) -> QWidget * {
                         return new FileInstantDialog(QStringLiteral("t_docs"), numberOr(argument, 1), mainWindow);
                     }});
    entries->append({QStringLiteral("files-pick"),
                     QStringLiteral("«Файловый диалог» для выбора вложения (аргумент: № документа, 1)"),
                     [](QWidget *mainWindow, const QString &argument, QString *) -> QWidget * {
                         auto *dialog = new FileInstantDialog(QStringLiteral("t_docs"), numberOr(argument, 1), mainWindow);
                         dialog->setSelected(true);
                         dialog->setReadOnly(true);
                         return dialog;
                     }});
    entries->append({QStringLiteral("file-edit"),
                     QStringLiteral("«Редактирование файла» (аргумент: код файла)"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) -> QWidget * {
                         const QSqlRecord record = fileRecord(argument, error);
                         return record.isEmpty() ? nullptr : new FileEditDialog(record, mainWindow);
                     }});
    entries->append({QStringLiteral("file-exist"),
                     QStringLiteral("«Файл существует» (аргумент: код файла)"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) -> QWidget * {
                         QSqlRecord record = fileRecord(argument, error);
                         return record.isEmpty() ? nullptr : new FileExistDialog(record, mainWindow);
                     }});
    entries->append({QStringLiteral("file-photo"), QStringLiteral("«Захват с камеры»"),
                     [](QWidget *mainWindow, const QString &, QString *) -> QWidget * {
                         return new photoDialog(mainWindow);
                     }});
    entries->append({QStringLiteral("file-preview"),
                     QStringLiteral("«Предпросмотр изображения» (аргумент: код файла с картинкой)"),
                     [](QWidget *mainWindow, const QString &argument, QString *error) -> QWidget * {
                         const QSqlRecord record = fileRecord(argument, error);
                         if (record.isEmpty())
                             return nullptr;
                         const QImage image = QImage::fromData(FileStore::read(record.value(QStringLiteral("c_file")).toString()));
                         if (image.isNull()) {
                             *error = QStringLiteral("Файл «%1» не картинка.").arg(record.value(QStringLiteral("c_file")).toString());
                             return nullptr;
                         }
                         auto *dialog = new PreviewImageDialog(mainWindow);
                         dialog->setImage(image);
                         return dialog;
                     }});
}
