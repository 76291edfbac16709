#ifndef FILEEXISTDIALOG_H
#define FILEEXISTDIALOG_H

#include "dealsglobal.h"

#include <QDialog>
#include <QSqlRecord>

namespace Ui {
class FileExistDialog;
}

// Tells that a file name is taken: which file has it, when it was stored and
// where it is used.
class DEALS_EXPORT FileExistDialog : public QDialog
{
    Q_OBJECT

public:
    FileExistDialog(QSqlRecord &record, QWidget *parent = nullptr);
    ~FileExistDialog() override;

private:
    Ui::FileExistDialog *ui;
};

#endif // FILEEXISTDIALOG_H
