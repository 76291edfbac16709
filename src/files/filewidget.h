#ifndef FILEWIDGET_H
#define FILEWIDGET_H

#include "filevirtualwidget.h"

#include <QStringList>

// The attachment panel of an editor: additions, edits and deletions wait in
// the editor's data set until the editor saves, and a cancelled edit leaves
// the database and the storage as they were.
//
// How an editor uses it:
//
//   1. Its data set holds the attachment table: "t_file_owner" (or another
//      name, given with setTable(), e.g. "t_file_owner_contractor") with the
//      columns of FileOwnerTable including "bl_file" and "n_row_version", and
//      "t_user" for the creators' names. A data link carries the owner's new
//      key into the table's "n_key": createDataLink(owner, "id", table, "n_key").
//      The table comes after the owner in the changing order.
//   2. FileWidget *files = new FileWidget(dataSet, "t_deal", tab);
//      files->setTable("t_file_owner_contractor");   // when not "t_file_owner"
//      connect(files, &FileWidget::dataChanged, editor, &Editor::dataChanged);
//   3. On showing a record: files->setData(id)  (a new owner's temporary key
//      below 0 works; 0 shows nothing and disables adding).
//   4. On saving, in this order:
//         files->saveFiles();            // new bytes into the storage
//         ok = dataSet->commit(conn);    // links and records, one transaction
//         files->deleteFiles();          // retire contents nobody uses any more
//      deleteFiles() may run whether or not the commit succeeded: it retires
//      only what no record uses. A failed commit keeps every pending file in
//      the table; the next saveFiles() and commit write each exactly once.
//   5. On cancelling: dataSet->rollback() (or reload). Bytes written by an
//      earlier saveFiles() stay in the storage, unreferenced and harmless.
//
// setData() reloads the table, so changes not saved yet are dropped: an editor
// that moves to another owner inside one document (an audit's files, say)
// saves or asks first; hasPendingChanges() tells whether there is anything.
class DEALS_EXPORT FileWidget : public FileVirtualWidget
{
    Q_OBJECT

public:
    FileWidget(QDataSet *dataSet, QString tableName, QWidget *parent = nullptr);

    // Works on the data set's table of this name instead of "t_file_owner".
    void setTable(QString name);
    // Names whose contents may be retired after the commit (see deleteFiles()).
    QStringList pendingDeleteNames() const { return pendingDeletes; }
    // Files added, changed or removed and not saved yet.
    bool hasPendingChanges() const;

public Q_SLOTS:
    void saveFiles();
    void deleteFiles();
    void init() override;
    void photo() override;
    void addFile() override;
    void addImageClipboard() override;
    void delFile() override;

protected:
    bool addFileFromPath(const QString &path) override;
    bool addImage(const QImage &image, const QString &nameSuffix) override;
    bool addStoredFiles(const QList<qint64> &ids) override;

private:
    // A new row for new content, or a link when the content is stored already.
    bool addContent(const QString &name, const QByteArray &bytes);
    // A new row pointing at a stored file.
    bool addLink(const QSqlRecord &file);
    // A row of this table, not deleted, that shows this file name; -1 when none.
    int rowNamed(const QString &name) const;
    // Stores the bytes of one new row; false when the row had to go.
    bool storeRow(int row, QStringList *renamed);
    void linkRow(int row);

    QStringList pendingDeletes;
};

#endif // FILEWIDGET_H
