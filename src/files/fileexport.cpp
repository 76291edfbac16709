#include "fileexport.h"

#include "filestore.h"
#include "workplacelogging.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QUrl>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcFiles).noquote() << "cannot write" << path << ":" << file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString FileExport::chooseDirectory()
{
    return QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Извлечь вложение"), QString(),
                                             QFileDialog::ShowDirsOnly);
}

bool FileExport::write(const QString &name, const QByteArray &bytes, bool toChosenDirectory)
{
    if (!toChosenDirectory)
        return open(name, bytes);
    const QString folder = chooseDirectory();
    return !folder.isEmpty() && writeInto(folder, name, bytes);
}

bool FileExport::writeInto(const QString &folder, const QString &name, const QByteArray &bytes, Overwrite *policy)
{
    const QString target = QDir(folder).filePath(name);
    if (QFileInfo::exists(target)) {
        if (FileStore::fileHolds(target, bytes))
            return true;
        if (policy && *policy == KeepAll)
            return false;
        if (!policy || *policy == Ask) {
            const QMessageBox::StandardButtons buttons = policy
                    ? QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll
                    : QMessageBox::Yes | QMessageBox::No;
            const auto answer = QMessageBox::question(
                    nullptr, QStringLiteral("Файл существует"),
                    QStringLiteral("В папке %1 уже есть файл %2. Заменить его?").arg(QDir::toNativeSeparators(folder), name),
                    buttons, QMessageBox::No);
            if (answer == QMessageBox::YesToAll && policy)
                *policy = ReplaceAll;
            if (answer == QMessageBox::NoToAll && policy)
                *policy = KeepAll;
            if (answer != QMessageBox::Yes && answer != QMessageBox::YesToAll)
                return false;
        }
    }
    return writeFile(target, bytes);
}

QString FileExport::temporaryTarget(const QString &name, const QByteArray &bytes)
{
    const QDir temp(QDir::tempPath());
    QString target = temp.filePath(name);
    for (int n = 1; QFileInfo::exists(target) && !FileStore::fileHolds(target, bytes); ++n)
        target = temp.filePath(QStringLiteral("workplace-%1/").arg(n) + name);
    return target;
}

bool FileExport::open(const QString &name, const QByteArray &bytes)
{
    const QString target = temporaryTarget(name, bytes);
    if (!QFileInfo::exists(target)) {
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!writeFile(target, bytes))
            return false;
    }
    openWithProgram(target);
    return true;
}

void FileExport::openWithProgram(const QString &path, QWidget *parent)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    QMessageBox::information(parent, QStringLiteral("Открытие файла"),
                             QStringLiteral("Для файла %1 не найдена программа, которая его открывает.\n"
                                            "Файл сохранён: %2")
                                 .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(path)));
}
