#ifndef FILEINSTANTWIDGET_H
#define FILEINSTANTWIDGET_H

#include "filevirtualwidget.h"

// An attachment panel that writes every addition, edit and deletion to the
// database at once, over a small data set of its own
// ("File_instant_widget_dataset" with "t_user" and "t_file_owner"). For
// dialogs that show or pick the attachments of any saved record:
//
//   FileInstantWidget *files = new FileInstantWidget("t_deal_detail", this);
//   files->setData(id);          // a saved record: id >= 1
//   QSqlRecord chosen = files->getCurrentRecord();   // "id", "c_file", ...
class DEALS_EXPORT FileInstantWidget : public FileVirtualWidget
{
    Q_OBJECT

public:
    explicit FileInstantWidget(QString tableName, QWidget *parent = nullptr);

    // The record of the current row (empty without one).
    QSqlRecord getCurrentRecord();

public Q_SLOTS:
    void init() override;
    void photo() override;
    void addFile() override;
    void addImageClipboard() override;
    void editFile() override;
    void delFile() override;

protected:
    bool canAddToOwner() const override;
    bool addFileFromPath(const QString &path) override;
    bool addImage(const QImage &image, const QString &nameSuffix) override;
    bool addStoredFiles(const QList<qint64> &ids) override;

private:
    bool addContent(const QString &name, const QByteArray &bytes);
    // Writes the table; on failure says so and shows the database's state again.
    bool commitTable();
};

#endif // FILEINSTANTWIDGET_H
