#ifndef FILEVIRTUALWIDGET_H
#define FILEVIRTUALWIDGET_H

#include "celldata.h"
#include "dealsglobal.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QPointer>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QWidget>

class QMimeData;

namespace Ui {
class FileWidget;
}

// The attachments of one owner record (an owner table name and a key) as a
// list with tool buttons: photo, add, paste, copy, edit, delete, save one,
// save all, open. Files can also be dropped on it from a file manager.
//
// An abstract base: it shows, opens, saves, edits and deletes. How files are
// added and when the changes reach the database belong to the subclasses:
// FileWidget holds them until its editor saves, FileInstantWidget writes at once.
class DEALS_EXPORT FileVirtualWidget : public QWidget
{
    Q_OBJECT

public:
    explicit FileVirtualWidget(QString tableName, QWidget *parent = nullptr);
    ~FileVirtualWidget() override;

    // Shows the attachments of this owner key; 0 shows none and disables adding.
    void setData(long long key);
    void setData(QString tableName, long long key);
    void refresh();
    // Hides everything that changes the list.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

    long long getKey() const { return key; }
    QString getTableName() const { return tableName; }
    QDataTable *getTable() const { return table; }
    QString getFilePath() const { return filePath; }

    // The first file record with this CRC-32, or an empty record.
    QSqlRecord findFileByCRC(long long crc);
    // True when no file record has this name; otherwise shows the record that
    // has it (FileExistDialog) and returns false.
    bool canAddFile(QString name);
    // Moves a file that no record uses any more from the storage directory
    // into its "DELETE" folder.
    void tryDeleteFile(QString name);

Q_SIGNALS:
    // The list differs from what the database holds, or was just written.
    void dataChanged();

public Q_SLOTS:
    void onGetDispInfo(int colNum, QVariant *data, cellData *cData, QSqlRecord *record, int state);
    void updateButtons();

    // Subclasses set `table` first, then call this body.
    virtual void init() = 0;
    virtual void photo() = 0;
    virtual void addFile() = 0;
    virtual void addImageClipboard() = 0;
    virtual void addImageToClipboard();
    virtual void editFile();
    virtual void delFile();

    void loadFile();
    void loadFileAll();
    void openFile();

protected:
    // One file from disk, the way addFile() adds the one it asks for: dropped
    // files and files pasted from a file manager come this way.
    virtual bool addFileFromPath(const QString &path) = 0;

    // Whether adding has an owner to add to.
    virtual bool canAddToOwner() const;
    // Reads a file to attach; tells the user why when it cannot be read or is empty.
    bool readFileToAdd(const QString &path, QByteArray *bytes);
    // The description of a new file; empty when the user cancels.
    QString askDescription(const QString &fileName);
    // Paste: an image (after a preview), else copied attachments, else files
    // copied in a file manager. Calls the matching handler below.
    void pasteFrom(const QMimeData *data);
    virtual bool addImage(const QImage &image, const QString &nameSuffix) = 0;
    virtual bool addStoredFiles(const QList<qint64> &ids) = 0;
    // A timestamped name such as 2024-03-01_10-15-00_photo.png.
    static QString imageName(const QString &suffix);
    static QByteArray pngBytes(const QImage &image);
    // Asks the camera for a picture; a null image when there is none.
    QImage takePhoto();

    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    Ui::FileWidget *ui;
    // Both usually belong to the owning editor's document, which may go first.
    QPointer<QDataSet> dataSet;
    QPointer<QDataTable> table;
    long long key = 0;
    QString tableName;
    QString filePath;

private:
    void setupActions();
    void showContextMenu(const QPoint &pos);
    QList<int> selectedRows() const;
    // The current row and its record; false when there is none.
    bool currentRow(int *row, QSqlRecord *record) const;
    // Saves or opens the current row's file; new rows have their bytes in hand.
    void exportCurrent(bool toChosenDirectory);
    // Gives the row the content of another file (FileEditDialog's "Заменить файл").
    void replaceContent(int row, QSqlRecord record, const QString &comment, const QString &path);

    bool m_readOnly = false;
};

#endif // FILEVIRTUALWIDGET_H
