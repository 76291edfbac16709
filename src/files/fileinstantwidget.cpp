#include "fileinstantwidget.h"
#include "ui_filevirtualwidget.h"

#include "appcontext.h"
#include "filefunctions.h"
#include "fileownertable.h"
#include "filerecords.h"
#include "filestore.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString fieldId = QStringLiteral("id");
const QString fieldFile = QStringLiteral("c_file");

} // namespace

FileInstantWidget::FileInstantWidget(QString tableName, QWidget *parent)
    : FileVirtualWidget(std::move(tableName), parent)
{
    FileInstantWidget::init();
}

void FileInstantWidget::init()
{
    if (!dataSet) {
        QSqlConnection *connection = AppContext::connection();
        dataSet = new QDataSet(this);
        dataSet->setObjectName(QStringLiteral("File_instant_widget_dataset"));
        dataSet->addTable(FileOwnerTable::createUsers(connection, dataSet));
        dataSet->addTable(FileOwnerTable::create(QStringLiteral("t_file_owner"), connection, dataSet, false));
    }
    table = dataSet->getTable(QStringLiteral("t_file_owner"));
    FileVirtualWidget::init();
}

QSqlRecord FileInstantWidget::getCurrentRecord()
{
    return table ? table->getViewCurrentRecord() : QSqlRecord();
}

bool FileInstantWidget::canAddToOwner() const
{
    return table && !tableName.isEmpty() && key >= 1;
}

bool FileInstantWidget::commitTable()
{
    if (table->commit())
        return true;
    QMessageBox::warning(this, QStringLiteral("Ошибка"),
                         QStringLiteral("Изменение не записано в базу данных. Список показан заново."));
    refresh();
    return false;
}

// ---------------------------------------------------------------- adding

void FileInstantWidget::addFile()
{
    if (!canAddToOwner())
        return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Прикрепить файл"), QString(),
                                                      QStringLiteral("Все файлы (*.*)"));
    if (!path.isEmpty())
        addFileFromPath(path);
}

bool FileInstantWidget::addFileFromPath(const QString &path)
{
    QByteArray bytes;
    if (!canAddToOwner() || !readFileToAdd(path, &bytes))
        return false;
    return addContent(QFileInfo(path).fileName(), bytes);
}

void FileInstantWidget::photo()
{
    if (!canAddToOwner())
        return;
    const QImage image = takePhoto();
    if (!image.isNull())
        addImage(image, QStringLiteral("photo"));
}

bool FileInstantWidget::addImage(const QImage &image, const QString &nameSuffix)
{
    return addContent(imageName(nameSuffix), pngBytes(image));
}

void FileInstantWidget::addImageClipboard()
{
    if (canAddToOwner())
        pasteFrom(QApplication::clipboard()->mimeData());
}

bool FileInstantWidget::addStoredFiles(const QList<qint64> &ids)
{
    bool linked = false;
    for (qint64 id : ids) {
        if (id <= 0 || table->locate(fieldId, id) >= 0)
            continue;
        linked = FileRecords::run(QStringLiteral("FILE_OWNER_COPY"), {tableName, static_cast<qlonglong>(key), id})
                || linked;
    }
    refresh();
    if (linked)
        emit dataChanged();
    return linked;
}

bool FileInstantWidget::addContent(const QString &name, const QByteArray &bytes)
{
    if (!canAddToOwner() || bytes.isEmpty())
        return false;
    const QSqlRecord stored = FileRecords::findSameContent(bytes);
    if (!stored.isEmpty()) {
        const qint64 id = stored.value(fieldId).toLongLong();
        if (table->locate(fieldId, id) >= 0) {
            QMessageBox::information(this, QStringLiteral("Внимание"),
                                     QStringLiteral("Файл %1 уже прикреплён.").arg(stored.value(fieldFile).toString()));
            return false;
        }
        return addStoredFiles({id});
    }
    if (!canAddFile(name))
        return false;
    QString storedName;
    QString error;
    if (!FileStore::put(filePath, name, bytes, &storedName, &error)) {
        if (!error.isEmpty())
            QMessageBox::warning(this, QStringLiteral("Ошибка"), error);
        return false;
    }
    const QString comment = askDescription(storedName);

    QSqlRecord record = table->newRow();
    if (record.isEmpty())
        return false;
    record.setValue(QStringLiteral("c_table"), tableName);
    record.setValue(QStringLiteral("n_key"), static_cast<qlonglong>(key));
    record.setValue(QStringLiteral("c_comment"), comment);
    record.setValue(fieldFile, storedName);
    record.setValue(QStringLiteral("n_crc"), static_cast<qlonglong>(::crc32(bytes)));
    record.setValue(QStringLiteral("n_size"), static_cast<qlonglong>(bytes.size()));
    if (record.indexOf(QStringLiteral("c_sha256")) >= 0)
        record.setValue(QStringLiteral("c_sha256"), FileRecords::sha256(bytes));
    table->setRow(table->lastRow(), record, false);
    if (!commitTable())
        return false;
    emit dataChanged();
    updateButtons();
    return true;
}

// ---------------------------------------------------------------- editing and deleting

void FileInstantWidget::editFile()
{
    FileVirtualWidget::editFile();
    if (table && table->isModified())
        commitTable();
}

void FileInstantWidget::delFile()
{
    if (!table)
        return;
    const int before = table->rowCount();
    const QString name = getCurrentRecord().value(fieldFile).toString();
    FileVirtualWidget::delFile();
    if (!table->hasPendingRows() && table->rowCount() == before)
        return; // refused or cancelled
    if (commitTable())
        tryDeleteFile(name);
    updateButtons();
}
