#ifndef FILEEDITDIALOG_H
#define FILEEDITDIALOG_H

#include "dealsglobal.h"

#include <QDialog>
#include <QSqlRecord>

namespace Ui {
class FileEditDialog;
}

// Edits an attachment's description and, for a stored file, offers to
// replace its content by another file, listing where the file is used.
class DEALS_EXPORT FileEditDialog : public QDialog
{
    Q_OBJECT

public:
    FileEditDialog(QSqlRecord record, QWidget *parent = nullptr);
    ~FileEditDialog() override;

    // True when the replacement is checked and a file was chosen for it.
    bool isNewFile() const;
    QString newFilePath() const { return m_newFile; }
    QString comment() const;
    void setFileEdit(bool on);
    // Chooses a file directly, as the button's dialog would.
    void setNewFile(const QString &path);

public Q_SLOTS:
    void selectFile();
    void accept() override;
    int exec() override;

private:
    qint64 fileId() const;

    Ui::FileEditDialog *ui;
    QSqlRecord m_record;
    QString m_newFile;
};

#endif // FILEEDITDIALOG_H
