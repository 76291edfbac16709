#include "filevirtualwidget.h"
#include "ui_filevirtualwidget.h"

#include "fileclipboard.h"
#include "fileeditdialog.h"
#include "fileexport.h"
#include "fileexistdialog.h"
#include "filefunctions.h"
#include "filerecords.h"
#include "filestore.h"
#include "photodialog.h"
#include "previewimagedialog.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qinputdialogex.h"
#include "workplacelogging.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>

namespace {

const QString fieldId = QStringLiteral("id");
const QString fieldFile = QStringLiteral("c_file");
const QString fieldComment = QStringLiteral("c_comment");
const QString fieldBytes = QStringLiteral("bl_file");

// Drops and pastes that bring something the panel can take.
bool bringsFiles(const QMimeData *data)
{
    return !FileClipboard::localFiles(data).isEmpty() || !FileClipboard::ids(data).isEmpty();
}

} // namespace

FileVirtualWidget::FileVirtualWidget(QString tableName, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::FileWidget)
    , tableName(std::move(tableName))
{
    ui->setupUi(this);
    ui->buttonEditFile->setIcon(QIcon(QStringLiteral(":/commonIcon/EDIT")));
    ui->buttonDelFile->setIcon(QIcon(QStringLiteral(":/commonIcon/DELETE")));
    filePath = FileStore::filePath();
    setAcceptDrops(true);

    connect(ui->buttonPhoto, &QToolButton::clicked, this, &FileVirtualWidget::photo);
    connect(ui->buttonAddFile, &QToolButton::clicked, this, &FileVirtualWidget::addFile);
    connect(ui->buttonClipboard, &QToolButton::clicked, this, &FileVirtualWidget::addImageClipboard);
    connect(ui->buttonEditFile, &QToolButton::clicked, this, &FileVirtualWidget::editFile);
    connect(ui->buttonDelFile, &QToolButton::clicked, this, &FileVirtualWidget::delFile);
    connect(ui->buttonToClipboard, &QToolButton::clicked, this, &FileVirtualWidget::addImageToClipboard);
    connect(ui->buttonLoadAll, &QToolButton::clicked, this, &FileVirtualWidget::loadFileAll);
    connect(ui->buttonLoad, &QToolButton::clicked, this, &FileVirtualWidget::loadFile);
    connect(ui->buttonOpen, &QToolButton::clicked, this, &FileVirtualWidget::openFile);
    connect(ui->tvFile, &QTableView::doubleClicked, this, &FileVirtualWidget::openFile);
    connect(ui->tvFile, &QWidget::customContextMenuRequested, this, &FileVirtualWidget::showContextMenu);
    setupActions();
    updateButtons();
}

FileVirtualWidget::~FileVirtualWidget()
{
    // The table outlives the panel (it belongs to a data set): it must not keep our view.
    if (table && table->getView() == ui->tvFile)
        table->setView(nullptr);
    delete ui;
}

void FileVirtualWidget::setupActions()
{
    // Keyboard equivalents of the buttons while the list has the focus; a key
    // does only what its button would (nothing while it is hidden or disabled).
    const struct {
        QKeySequence keys;
        QToolButton *button;
        void (FileVirtualWidget::*slot)();
    } shortcuts[] = {
        {QKeySequence::Paste, ui->buttonClipboard, &FileVirtualWidget::addImageClipboard},
        {QKeySequence::Copy, ui->buttonToClipboard, &FileVirtualWidget::addImageToClipboard},
        {QKeySequence::Delete, ui->buttonDelFile, &FileVirtualWidget::delFile},
        {QKeySequence(Qt::Key_Return), ui->buttonOpen, &FileVirtualWidget::openFile},
        {QKeySequence(Qt::Key_Enter), ui->buttonOpen, &FileVirtualWidget::openFile},
        {QKeySequence(Qt::Key_Insert), ui->buttonAddFile, &FileVirtualWidget::addFile},
    };
    for (const auto &shortcut : shortcuts) {
        auto *action = new QAction(ui->tvFile);
        action->setShortcut(shortcut.keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        QToolButton *button = shortcut.button;
        const auto slot = shortcut.slot;
        connect(action, &QAction::triggered, this, [this, button, slot] {
            if (!button->isHidden() && button->isEnabled())
                (this->*slot)();
        });
        ui->tvFile->addAction(action);
    }
}

void FileVirtualWidget::showContextMenu(const QPoint &pos)
{
    QMenu menu(this);
    const auto addEntry = [&](QToolButton *button, const QString &text, void (FileVirtualWidget::*slot)()) {
        if (button->isHidden())
            return;
        QAction *action = menu.addAction(button->icon(), text, this, slot);
        action->setEnabled(button->isEnabled());
    };
    addEntry(ui->buttonOpen, QStringLiteral("Открыть"), &FileVirtualWidget::openFile);
    addEntry(ui->buttonLoad, QStringLiteral("Сохранить на диск..."), &FileVirtualWidget::loadFile);
    addEntry(ui->buttonLoadAll, QStringLiteral("Сохранить все файлы..."), &FileVirtualWidget::loadFileAll);
    menu.addSeparator();
    addEntry(ui->buttonToClipboard, QStringLiteral("Копировать"), &FileVirtualWidget::addImageToClipboard);
    addEntry(ui->buttonClipboard, QStringLiteral("Вставить"), &FileVirtualWidget::addImageClipboard);
    menu.addSeparator();
    addEntry(ui->buttonAddFile, QStringLiteral("Добавить файл..."), &FileVirtualWidget::addFile);
    addEntry(ui->buttonPhoto, QStringLiteral("Сделать фото..."), &FileVirtualWidget::photo);
    addEntry(ui->buttonEditFile, QStringLiteral("Редактировать..."), &FileVirtualWidget::editFile);
    addEntry(ui->buttonDelFile, QStringLiteral("Удалить"), &FileVirtualWidget::delFile);
    menu.exec(ui->tvFile->viewport()->mapToGlobal(pos));
}

// ---------------------------------------------------------------- owner and list

void FileVirtualWidget::setData(long long newKey)
{
    key = newKey;
    refresh();
    const bool canAdd = key != 0 && table && !tableName.isEmpty();
    ui->buttonPhoto->setEnabled(canAdd);
    ui->buttonAddFile->setEnabled(canAdd);
    ui->buttonClipboard->setEnabled(canAdd);
}

void FileVirtualWidget::setData(QString newTableName, long long newKey)
{
    tableName = std::move(newTableName);
    setData(newKey);
}

void FileVirtualWidget::refresh()
{
    // The creators' names are looked up while the rows load; a query started
    // in the middle of a load would cut the load short.
    if (dataSet) {
        if (QDataTable *users = dataSet->getTable(QStringLiteral("t_user")))
            users->open();
    }
    if (table) {
        table->close();
        table->setSelectParam(QStringLiteral("c_table"), tableName);
        table->setSelectParam(QStringLiteral("n_key"), static_cast<qlonglong>(key));
        table->open(false, false);
    }
    updateButtons();
}

void FileVirtualWidget::init()
{
    if (table) {
        table->open();
        // Another table may have shown here before: its widths are not ours.
        ui->tvFile->setProperty("isPrepared", false);
        table->setView(ui->tvFile);
        ui->tvFile->setSelectionMode(QAbstractItemView::ExtendedSelection);
        table->close();
        connect(ui->tvFile->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &FileVirtualWidget::updateButtons, Qt::UniqueConnection);
        connect(table, &QDataTable::getDispInfo, this, &FileVirtualWidget::onGetDispInfo, Qt::UniqueConnection);
    }
    setData(0);
}

void FileVirtualWidget::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    for (QWidget *button : {static_cast<QWidget *>(ui->buttonPhoto), static_cast<QWidget *>(ui->buttonAddFile),
                            static_cast<QWidget *>(ui->buttonClipboard), static_cast<QWidget *>(ui->buttonEditFile),
                            static_cast<QWidget *>(ui->buttonDelFile)}) {
        button->setVisible(!readOnly);
    }
}

QList<int> FileVirtualWidget::selectedRows() const
{
    QList<int> rows;
    if (!table || !ui->tvFile->selectionModel())
        return rows;
    const QModelIndexList selected = ui->tvFile->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool FileVirtualWidget::currentRow(int *row, QSqlRecord *record) const
{
    if (!table)
        return false;
    *row = table->getViewCurrentRow();
    if (*row < 0)
        return false;
    *record = table->getRecord(*row);
    return !record->isEmpty();
}

void FileVirtualWidget::updateButtons()
{
    const int selected = selectedRows().size();
    ui->buttonEditFile->setEnabled(selected == 1);
    ui->buttonDelFile->setEnabled(selected == 1);
    ui->buttonLoad->setEnabled(selected == 1);
    ui->buttonOpen->setEnabled(selected == 1);
    ui->buttonToClipboard->setEnabled(selected >= 1);
    ui->buttonLoadAll->setEnabled(table && table->rowCount() >= 1);
}

void FileVirtualWidget::onGetDispInfo(int colNum, QVariant *data, cellData *cData, QSqlRecord *record, int state)
{
    if (state == 3) {
        cData->font.setItalic(true);
        cData->font.setStrikeOut(true);
        cData->foreground = QBrush(Qt::gray, Qt::SolidPattern);
    }
    if (colNum == 2 && data && !data->isNull())
        cData->text = QString::number(data->toLongLong() / 1024.0, 'g', 6);
    if (colNum == 3 && data && !data->isNull())
        cData->text = getValueById(dataSet.data(), QStringLiteral("t_user"), data->toLongLong(), QStringLiteral("c_name")).toString();
    Q_UNUSED(record)
}

// ---------------------------------------------------------------- storage operations

QSqlRecord FileVirtualWidget::findFileByCRC(long long crc)
{
    return FileRecords::findByCrc(crc);
}

bool FileVirtualWidget::canAddFile(QString name)
{
    QSqlRecord existing = FileRecords::findByName(name);
    if (existing.isEmpty())
        return true;
    FileExistDialog dialog(existing, this);
    dialog.exec();
    return false;
}

void FileVirtualWidget::tryDeleteFile(QString name)
{
    if (!FileStore::exists(filePath) || !QFileInfo::exists(QDir(filePath).filePath(name)))
        return;
    if (!FileRecords::findByName(name).isEmpty())
        return;
    if (!FileStore::retire(filePath, name))
        qCWarning(lcFiles) << "could not move" << name << "into" << QDir(filePath).filePath(QStringLiteral("DELETE"));
}

// ---------------------------------------------------------------- adding, shared

bool FileVirtualWidget::canAddToOwner() const
{
    return table && !tableName.isEmpty() && key != 0;
}

bool FileVirtualWidget::readFileToAdd(const QString &path, QByteArray *bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(this, QStringLiteral("Ошибка"), file.errorString());
        return false;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        QMessageBox::warning(this, QStringLiteral("Ошибка"), file.errorString());
        return false;
    }
    if (bytes->isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Ошибка"),
                             QStringLiteral("Файл %1 пуст: прикреплять нечего.").arg(QFileInfo(path).fileName()));
        return false;
    }
    return true;
}

QString FileVirtualWidget::askDescription(const QString &fileName)
{
    bool ok = false;
    const QString text = QInputDialogEx::getString(this, QStringLiteral("Описание для %1").arg(fileName),
                                                   QStringLiteral("Описание"), QString(), &ok);
    return ok ? text : QString();
}

QString FileVirtualWidget::imageName(const QString &suffix)
{
    return QStringLiteral("%1_%2.png")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")), suffix);
}

QByteArray FileVirtualWidget::pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage FileVirtualWidget::takePhoto()
{
    if (!photoDialog::cameraAvailable()) {
        QMessageBox::information(this, QStringLiteral("Захват с камеры"),
                                 QStringLiteral("Камера не найдена. Подключите камеру к компьютеру и попробуйте снова."));
        return QImage();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    photoDialog dialog(this);
    QApplication::restoreOverrideCursor();
    if (dialog.exec() != QDialog::Accepted)
        return QImage();
    return dialog.getImage();
}

void FileVirtualWidget::pasteFrom(const QMimeData *data)
{
    if (!data)
        return;
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (data->hasImage() && !image.isNull() && image.width() > 0 && image.height() > 0) {
        PreviewImageDialog preview(this);
        preview.setImage(image);
        if (preview.exec() == QDialog::Accepted)
            addImage(image, QStringLiteral("clipboard"));
        return;
    }
    const QList<qint64> ids = FileClipboard::ids(data);
    if (!ids.isEmpty()) {
        addStoredFiles(ids);
        return;
    }
    const QStringList files = FileClipboard::localFiles(data);
    if (!files.isEmpty()) {
        for (const QString &path : files)
            addFileFromPath(path);
        return;
    }
    QMessageBox::information(this, QStringLiteral("Вставка"),
                             QStringLiteral("В буфере обмена нет ни изображения, ни файлов."));
}

// ---------------------------------------------------------------- drag and drop

void FileVirtualWidget::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_readOnly && canAddToOwner() && bringsFiles(event->mimeData()))
        event->acceptProposedAction();
}

void FileVirtualWidget::dragMoveEvent(QDragMoveEvent *event)
{
    if (!m_readOnly && canAddToOwner() && bringsFiles(event->mimeData()))
        event->acceptProposedAction();
}

void FileVirtualWidget::dropEvent(QDropEvent *event)
{
    if (m_readOnly || !canAddToOwner())
        return;
    const QList<qint64> ids = FileClipboard::ids(event->mimeData());
    const QStringList files = FileClipboard::localFiles(event->mimeData());
    event->acceptProposedAction();
    if (!ids.isEmpty()) {
        addStoredFiles(ids);
        return;
    }
    for (const QString &path : files)
        addFileFromPath(path);
}

// ---------------------------------------------------------------- viewing and saving

void FileVirtualWidget::exportCurrent(bool toChosenDirectory)
{
    int row = -1;
    QSqlRecord record;
    if (!currentRow(&row, &record))
        return;
    const QString name = record.value(fieldFile).toString();
    if (name.isEmpty())
        return;
    // A file added in this session and not saved yet is only in the row.
    if (record.indexOf(fieldBytes) >= 0 && !record.value(fieldBytes).toByteArray().isEmpty()) {
        FileExport::write(name, record.value(fieldBytes).toByteArray(), toChosenDirectory);
        return;
    }
    getFileFromBase(name, toChosenDirectory, false);
}

void FileVirtualWidget::loadFile()
{
    exportCurrent(true);
}

void FileVirtualWidget::openFile()
{
    exportCurrent(false);
}

void FileVirtualWidget::loadFileAll()
{
    loadFileAllFromBase(table.data(), false);
}

void FileVirtualWidget::addImageToClipboard()
{
    if (!table)
        return;
    QList<qint64> ids;
    for (int row : selectedRows())
        ids.append(table->getRecord(row).value(fieldId).toLongLong());
    FileClipboard::copyIds(ids);
}

// ---------------------------------------------------------------- deleting

void FileVirtualWidget::delFile()
{
    int row = -1;
    QSqlRecord record;
    if (!currentRow(&row, &record))
        return;
    const bool unsaved = table->getRowState(row) == 1;
    // Unsaved rows never reached the storage; saved ones leave it through the "DELETE" folder.
    if (!unsaved && !FileStore::exists(filePath)) {
        QMessageBox::warning(this, QStringLiteral("Нельзя удалить"), QStringLiteral("Нет доступа к хранилищу"));
        return;
    }
    const auto answer = QMessageBox::question(this, QStringLiteral("Удаление"),
                                              QStringLiteral("Удалить файл %1?").arg(record.value(fieldFile).toString()),
                                              QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    if (unsaved) {
        // Marked deleted it would send a delete for a link that never existed.
        table->killRow(row);
    } else {
        record.setValue(QStringLiteral("c_table"), tableName);
        record.setValue(QStringLiteral("n_key"), static_cast<qlonglong>(key));
        table->setRow(row, record, false);
        table->deleteRow(row);
    }
    emit dataChanged();
    updateButtons();
}

// ---------------------------------------------------------------- editing

void FileVirtualWidget::editFile()
{
    int row = -1;
    QSqlRecord record;
    if (!currentRow(&row, &record))
        return;
    FileEditDialog dialog(record, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString comment = dialog.comment();
    if (!dialog.isNewFile()) {
        if (comment != record.value(fieldComment).toString()) {
            record.setValue(fieldComment, comment);
            table->setRow(row, record, false);
            emit dataChanged();
        }
        return;
    }
    replaceContent(row, record, comment, dialog.newFilePath());
}

void FileVirtualWidget::replaceContent(int row, QSqlRecord record, const QString &comment, const QString &path)
{
    QByteArray bytes;
    if (!readFileToAdd(path, &bytes))
        return;
    const int state = table->getRowState(row);
    const qint64 id = record.value(fieldId).toLongLong();
    const QString oldName = record.value(fieldFile).toString();
    const qint64 crc = ::crc32(bytes);
    const QSqlRecord existing = FileRecords::findSameContent(bytes);

    if (existing.isEmpty()) {
        QString newName = QFileInfo(path).fileName();
        QSqlRecord named = FileRecords::findByName(newName);
        if (!named.isEmpty() && named.value(fieldId).toLongLong() != id) {
            FileExistDialog exists(named, this);
            exists.exec();
            return;
        }
        QString error;
        const bool stored = newName == oldName ? FileStore::replace(filePath, newName, bytes, &error)
                                               : FileStore::put(filePath, newName, bytes, &newName, &error);
        if (!stored) {
            if (!error.isEmpty())
                QMessageBox::warning(this, QStringLiteral("Ошибка"), error);
            return;
        }
        bool ok = false;
        const QSqlRecord updated = FileRecords::runForRecord(
                QStringLiteral("FILE_REPLACE"),
                {newName, comment, crc, static_cast<qlonglong>(bytes.size()), FileRecords::sha256(bytes), id,
                 record.value(QStringLiteral("n_row_version"))},
                &ok);
        if (!ok || updated.isEmpty()) {
            QMessageBox::warning(this, QStringLiteral("Ошибка"),
                                 QStringLiteral("Файл %1 не заменён: его запись изменилась или недоступна. "
                                                "Обновите список и повторите.").arg(oldName));
            return;
        }
        if (newName != oldName)
            tryDeleteFile(oldName);
        for (const QString &field : {fieldComment, fieldFile, QStringLiteral("n_crc"), QStringLiteral("n_size"),
                                     QStringLiteral("n_row_version"), QStringLiteral("id_creator")}) {
            if (record.indexOf(field) >= 0)
                record.setValue(field, updated.value(field));
        }
    } else {
        QMessageBox::information(this, QStringLiteral("Найдено совпадение по CRC в БД"),
                                 QStringLiteral("Имя файла: ") + existing.value(fieldFile).toString());
        const qint64 existingId = existing.value(fieldId).toLongLong();
        // A row not yet saved has no link in the database to move.
        if (state != 1 && existingId != id) {
            if (!FileRecords::run(QStringLiteral("FILE_OWNER_RELINK"),
                                  {id, existingId, tableName, static_cast<qlonglong>(key)})) {
                QMessageBox::warning(this, QStringLiteral("Ошибка"),
                                     QStringLiteral("Не удалось заменить файл %1.").arg(oldName));
                return;
            }
            tryDeleteFile(oldName);
        }
        for (const QString &field : {fieldId, fieldComment, fieldFile, QStringLiteral("n_crc"), QStringLiteral("n_size"),
                                     QStringLiteral("n_row_version"), QStringLiteral("id_creator")}) {
            if (record.indexOf(field) >= 0)
                record.setValue(field, existing.value(field));
        }
        // The owner may have had that file already: then this row is the same attachment twice.
        const int twin = table->locate(fieldId, existingId);
        if (twin >= 0 && twin != row && existingId != id) {
            table->killRow(row);
            emit dataChanged();
            updateButtons();
            return;
        }
    }
    if (record.indexOf(fieldBytes) >= 0)
        record.setNull(fieldBytes);
    table->setRow(row, record, false);
    // Written already: no later commit may send it again. A row still to be
    // inserted stays new and waits for its insert, which makes the link.
    if (state != 1)
        table->resetOriginalData(row, true);
    emit dataChanged();
    updateButtons();
}
