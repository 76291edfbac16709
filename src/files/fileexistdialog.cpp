#include "fileexistdialog.h"
#include "ui_fileexistdialog.h"

#include <QDateTime>
#include <QLocale>

FileExistDialog::FileExistDialog(QSqlRecord &record, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::FileExistDialog)
{
    ui->setupUi(this);
    ui->labelName->setText(QStringLiteral("Файл с именем %1 уже существует").arg(record.value(QStringLiteral("c_file")).toString()));
    ui->labelComment->setText(QStringLiteral("Описание: %1").arg(record.value(QStringLiteral("c_comment")).toString()));
    ui->labelCreate->setText(QStringLiteral("Создан %1")
                                     .arg(QLocale().toString(record.value(QStringLiteral("d_create")).toDateTime(),
                                                             QLocale::ShortFormat)));
    ui->tableViewUseFile->setData(record.value(QStringLiteral("id")).toLongLong());
    connect(ui->buttonClose, &QPushButton::clicked, this, &QDialog::accept);
}

FileExistDialog::~FileExistDialog()
{
    delete ui;
}
