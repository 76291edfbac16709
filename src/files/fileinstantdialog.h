#ifndef FILEINSTANTDIALOG_H
#define FILEINSTANTDIALOG_H

#include "dealsglobal.h"

#include <QDialog>
#include <QSqlRecord>

class FileInstantWidget;

namespace Ui {
class FileInstantDialog;
}

// The attachments of any saved record in a dialog, to look at them or to pick
// one: with setSelected(true) it offers "Выбрать" and the caller reads the
// chosen file's record with getCurrentRecord() after exec() returns Accepted.
class DEALS_EXPORT FileInstantDialog : public QDialog
{
    Q_OBJECT

public:
    FileInstantDialog(QString tableName, long long key, QWidget *parent = nullptr);
    ~FileInstantDialog() override;

    void setReadOnly(bool readOnly);
    void setSelected(bool selected);
    QSqlRecord getCurrentRecord();
    FileInstantWidget *fileWidget() const { return m_widget; }

private:
    Ui::FileInstantDialog *ui;
    FileInstantWidget *m_widget;
};

#endif // FILEINSTANTDIALOG_H
