#include "filewidget.h"
#include "ui_filevirtualwidget.h"

#include "filefunctions.h"
#include "filerecords.h"
#include "filestore.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "workplacelogging.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString fieldId = QStringLiteral("id");
const QString fieldFile = QStringLiteral("c_file");
const QString fieldBytes = QStringLiteral("bl_file");

// Copies the fields a table has from a file record into a row's record.
void takeFileFields(QSqlRecord *row, const QSqlRecord &file)
{
    for (const QString &field : {fieldId, QStringLiteral("c_comment"), fieldFile, QStringLiteral("n_crc"),
                                 QStringLiteral("n_size"), QStringLiteral("id_creator"),
                                 QStringLiteral("n_row_version")}) {
        if (row->indexOf(field) >= 0 && file.indexOf(field) >= 0)
            row->setValue(field, file.value(field));
    }
}

} // namespace

FileWidget::FileWidget(QDataSet *dataSet, QString tableName, QWidget *parent)
    : FileVirtualWidget(std::move(tableName), parent)
{
    this->dataSet = dataSet;
    FileWidget::init();
}

void FileWidget::init()
{
    table = dataSet ? dataSet->getTable(QStringLiteral("t_file_owner")) : nullptr;
    FileVirtualWidget::init();
}

void FileWidget::setTable(QString name)
{
    if (table && table->getView() == ui->tvFile)
        table->setView(nullptr);
    if (table)
        disconnect(table, nullptr, this, nullptr);
    table = dataSet ? dataSet->getTable(name) : nullptr;
    FileVirtualWidget::init();
}

bool FileWidget::hasPendingChanges() const
{
    return table && table->hasPendingRows();
}

// ---------------------------------------------------------------- adding

void FileWidget::addFile()
{
    if (!canAddToOwner())
        return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Прикрепить файл"), QString(),
                                                      QStringLiteral("Все файлы (*.*)"));
    if (path.isEmpty())
        return;
    addFileFromPath(path);
}

bool FileWidget::addFileFromPath(const QString &path)
{
    QByteArray bytes;
    if (!canAddToOwner() || !readFileToAdd(path, &bytes))
        return false;
    return addContent(QFileInfo(path).fileName(), bytes);
}

void FileWidget::photo()
{
    if (!canAddToOwner())
        return;
    const QImage image = takePhoto();
    if (!image.isNull())
        addImage(image, QStringLiteral("photo"));
}

bool FileWidget::addImage(const QImage &image, const QString &nameSuffix)
{
    return addContent(imageName(nameSuffix), pngBytes(image));
}

void FileWidget::addImageClipboard()
{
    if (canAddToOwner())
        pasteFrom(QApplication::clipboard()->mimeData());
}

int FileWidget::rowNamed(const QString &name) const
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->getRowState(row) != rsDeleted && table->getRecord(row).value(fieldFile).toString() == name)
            return row;
    }
    return -1;
}

bool FileWidget::addContent(const QString &name, const QByteArray &bytes)
{
    if (!canAddToOwner() || bytes.isEmpty())
        return false;
    // Without it the new bytes would have nowhere to wait, and the save would
    // record a file whose bytes were never stored.
    if (table->columnIndex(fieldBytes) < 0) {
        qCWarning(lcFiles) << "table" << table->objectName() << "has no bl_file column: cannot hold new files";
        return false;
    }
    const QSqlRecord stored = FileRecords::findSameContent(bytes);
    if (!stored.isEmpty())
        return addLink(stored);
    // Another file waiting in this list under the same name would take it first at saving.
    if (rowNamed(name) >= 0) {
        QMessageBox::warning(this, QStringLiteral("Внимание"),
                             QStringLiteral("Файл с именем %1 уже добавлен в список.").arg(name));
        return false;
    }
    if (!canAddFile(name))
        return false;
    // Without the storage directory the bytes go to the database store: say
    // now, not at saving, when a name cannot go there.
    QString checked = name;
    if (!FileStore::exists(filePath) && !checkFileName(checked))
        return false;
    const QString comment = askDescription(name);

    QSqlRecord record = table->newRow();
    if (record.isEmpty())
        return false;
    record.setValue(QStringLiteral("c_table"), tableName);
    record.setValue(QStringLiteral("n_key"), static_cast<qlonglong>(key));
    record.setValue(QStringLiteral("c_comment"), comment);
    record.setValue(fieldFile, name);
    record.setValue(QStringLiteral("n_crc"), static_cast<qlonglong>(::crc32(bytes)));
    record.setValue(fieldBytes, bytes);
    record.setValue(QStringLiteral("n_size"), static_cast<qlonglong>(bytes.size()));
    if (record.indexOf(QStringLiteral("c_sha256")) >= 0)
        record.setValue(QStringLiteral("c_sha256"), FileRecords::sha256(bytes));
    table->setRow(table->lastRow(), record, false);
    emit dataChanged();
    updateButtons();
    return true;
}

bool FileWidget::addLink(const QSqlRecord &file)
{
    const qint64 id = file.value(fieldId).toLongLong();
    const int row = table->locate(fieldId, id);
    if (row >= 0) {
        if (table->getRowState(row) == rsDeleted) {
            // Adding back a file removed in this session takes the removal back.
            table->resetOriginalData(row, false);
            emit dataChanged();
            updateButtons();
            return true;
        }
        QMessageBox::information(this, QStringLiteral("Внимание"),
                                 QStringLiteral("Файл %1 уже прикреплён.").arg(file.value(fieldFile).toString()));
        return false;
    }
    QSqlRecord record = table->newRow();
    if (record.isEmpty())
        return false;
    record.setValue(QStringLiteral("c_table"), tableName);
    record.setValue(QStringLiteral("n_key"), static_cast<qlonglong>(key));
    takeFileFields(&record, file);
    table->setRow(table->lastRow(), record, false);
    emit dataChanged();
    updateButtons();
    return true;
}

bool FileWidget::addStoredFiles(const QList<qint64> &ids)
{
    bool added = false;
    for (qint64 id : ids) {
        if (id <= 0 || table->locate(fieldId, id) >= 0)
            continue;
        const QSqlRecord file = FileRecords::findById(id);
        if (!file.isEmpty())
            added = addLink(file) || added;
    }
    return added;
}

// ---------------------------------------------------------------- deleting

void FileWidget::delFile()
{
    FileVirtualWidget::delFile();
}

// ---------------------------------------------------------------- saving

bool FileWidget::storeRow(int row, QStringList *renamed)
{
    QSqlRecord record = table->getRecord(row);
    const QByteArray bytes = record.value(fieldBytes).toByteArray();
    const QString name = record.value(fieldFile).toString();

    // A colleague, or another row of this save, may have stored the same content meanwhile.
    const QSqlRecord same = FileRecords::findSameContent(bytes);
    if (!same.isEmpty()) {
        takeFileFields(&record, same);
        record.setNull(fieldBytes);
        table->setRow(row, record, false);
        return true;
    }
    QString storedName;
    QString error;
    if (!FileStore::put(filePath, name, bytes, &storedName, &error)) {
        // The user keeps the file on disk; this save goes on without it.
        if (!error.isEmpty()) {
            QMessageBox::warning(this, QStringLiteral("Ошибка"),
                                 error + QStringLiteral("\nФайл %1 не прикреплён.").arg(name));
        }
        table->killRow(row);
        return false;
    }
    if (storedName != name) {
        renamed->append(QStringLiteral("%1 → %2").arg(name, storedName));
        record.setValue(fieldFile, storedName);
        table->setRow(row, record, false);
    }
    return true;
}

void FileWidget::linkRow(int row)
{
    const QSqlRecord record = table->getRecord(row);
    const qint64 id = record.value(fieldId).toLongLong();
    const qint64 owner = record.value(QStringLiteral("n_key")).toLongLong();
    // A new owner gets its key only in the commit; its insert makes the link there.
    if (id <= 0 || owner <= 0)
        return;
    if (FileRecords::findById(id).isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Ошибка"),
                             QStringLiteral("Файл %1 больше не хранится и не прикреплён.")
                                     .arg(record.value(fieldFile).toString()));
        table->killRow(row);
        return;
    }
    if (FileRecords::run(QStringLiteral("FILE_OWNER_COPY"),
                         {record.value(QStringLiteral("c_table")), owner, id})) {
        table->setRowState(row, rsUnchanged);
    }
}

void FileWidget::saveFiles()
{
    if (!table)
        return;
    QStringList renamed;
    for (int row = 0; row < table->rowCount(); ++row) {
        const int state = table->getRowState(row);
        const QSqlRecord record = table->getRecord(row);
        if (state == rsNew) {
            const bool carriesBytes = record.indexOf(fieldBytes) >= 0 && !record.value(fieldBytes).toByteArray().isEmpty();
            if (carriesBytes && !storeRow(row, &renamed)) {
                --row; // the row is gone
                continue;
            }
            if (table->getRecord(row).value(fieldBytes).toByteArray().isEmpty()) {
                const int before = table->rowCount();
                linkRow(row);
                if (table->rowCount() < before)
                    --row;
            }
        } else if (state == rsDeleted) {
            const QString name = record.value(fieldFile).toString();
            if (FileStore::exists(filePath)) {
                if (!pendingDeletes.contains(name))
                    pendingDeletes.append(name);
            } else if (record.value(fieldId).toLongLong() > 0) {
                // Without the storage its file could not be retired: the removal waits.
                table->resetOriginalData(row, false);
            }
        }
    }
    if (!renamed.isEmpty()) {
        QMessageBox::information(this, QStringLiteral("Имена файлов"),
                                 QStringLiteral("В хранилище уже были другие файлы с такими именами, "
                                                "поэтому файлы сохранены под новыми именами:\n")
                                         + renamed.join(QLatin1Char('\n')));
    }
}

void FileWidget::deleteFiles()
{
    if (!FileStore::exists(filePath))
        return;
    for (const QString &name : qAsConst(pendingDeletes))
        tryDeleteFile(name);
    pendingDeletes.clear();
}
