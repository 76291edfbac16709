#include "fileinstantdialog.h"
#include "ui_fileinstantdialog.h"

#include "fileinstantwidget.h"

FileInstantDialog::FileInstantDialog(QString tableName, long long key, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::FileInstantDialog)
{
    ui->setupUi(this);
    m_widget = new FileInstantWidget(std::move(tableName), this);
    ui->fileLayout->addWidget(m_widget);
    m_widget->setData(key);
    connect(ui->buttonAccept, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->buttonReject, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->buttonClose, &QPushButton::clicked, this, &QDialog::close);
    setSelected(false);
}

FileInstantDialog::~FileInstantDialog()
{
    delete ui;
}

void FileInstantDialog::setReadOnly(bool readOnly)
{
    m_widget->setReadOnly(readOnly);
}

void FileInstantDialog::setSelected(bool selected)
{
    ui->buttonAccept->setVisible(selected);
    ui->buttonReject->setVisible(selected);
    ui->buttonClose->setVisible(!selected);
    ui->buttonAccept->setDefault(selected);
    ui->buttonClose->setDefault(!selected);
}

QSqlRecord FileInstantDialog::getCurrentRecord()
{
    return m_widget->getCurrentRecord();
}
