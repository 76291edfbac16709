#include "logindialog.h"
#include "ui_logindialog.h"

#include "qsqlconnection.h"

#include <QPushButton>

LoginDialog::LoginDialog(QSqlConnection *connection, const QString &user, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::LoginDialog>())
    , m_connection(connection)
{
    ui->setupUi(this);
    ui->leUser->setText(user);
    (user.isEmpty() ? ui->leUser : ui->lePassword)->setFocus();
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &LoginDialog::tryLogin);
}

LoginDialog::~LoginDialog() = default;

void LoginDialog::tryLogin()
{
    if (m_connection->login(ui->leUser->text().trimmed(), ui->lePassword->text())) {
        accept();
        return;
    }
    ui->lbError->setText(QStringLiteral("Неверное имя пользователя или пароль."));
    ui->lePassword->selectAll();
    ui->lePassword->setFocus();
}
