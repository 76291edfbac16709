#include "fileeditdialog.h"
#include "ui_fileeditdialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

FileEditDialog::FileEditDialog(QSqlRecord record, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::FileEditDialog)
    , m_record(std::move(record))
{
    ui->setupUi(this);
    ui->lineEditComment->setText(m_record.value(QStringLiteral("c_comment")).toString());
    ui->labelFileOld->setText(QStringLiteral("Старый файл: ") + m_record.value(QStringLiteral("c_file")).toString());
    ui->labelFileNew->setText(QStringLiteral("Новый файл: "));
    setFileEdit(true);
    if (fileId() > 0)
        ui->tableViewFileUse->setData(fileId());
    connect(ui->pushButtonFile, &QPushButton::clicked, this, &FileEditDialog::selectFile);
    connect(ui->buttonAccept, &QPushButton::clicked, this, &FileEditDialog::accept);
    connect(ui->buttonReject, &QPushButton::clicked, this, &QDialog::reject);
}

FileEditDialog::~FileEditDialog()
{
    delete ui;
}

int FileEditDialog::exec()
{
    if (m_record.isEmpty()) {
        QMessageBox::warning(parentWidget(), QStringLiteral("Внимание!"), QStringLiteral("Запись не найдена"));
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

qint64 FileEditDialog::fileId() const
{
    return m_record.value(QStringLiteral("id")).toLongLong();
}

QString FileEditDialog::comment() const
{
    return ui->lineEditComment->text();
}

void FileEditDialog::setFileEdit(bool on)
{
    ui->groupBoxFile->setCheckable(on && fileId() > 0);
    ui->groupBoxFile->setChecked(false);
    // A file not stored yet has nothing to replace and no uses to show.
    ui->groupBoxFile->setEnabled(fileId() > 0);
}

void FileEditDialog::selectFile()
{
    if (fileId() <= 0)
        return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Прикрепить файл"), QString(),
                                                      QStringLiteral("Все файлы (*.*)"));
    if (!path.isEmpty())
        setNewFile(path);
}

void FileEditDialog::setNewFile(const QString &path)
{
    m_newFile = path;
    ui->labelFileNew->setText(QStringLiteral("Новый файл: ") + QFileInfo(path).fileName());
    if (ui->groupBoxFile->isCheckable())
        ui->groupBoxFile->setChecked(true);
}

bool FileEditDialog::isNewFile() const
{
    return ui->groupBoxFile->isCheckable() && ui->groupBoxFile->isChecked() && fileId() > 0 && !m_newFile.isEmpty();
}

void FileEditDialog::accept()
{
    QDialog::accept();
}
