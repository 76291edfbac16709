#include "passworddialog.h"
#include "ui_passworddialog.h"

#include "appcontext.h"
#include "qsqlconnection.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>

PasswordDialog::PasswordDialog(QSqlConnection *connection, Occasion occasion, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::PasswordDialog>())
    , m_connection(connection)
{
    ui->setupUi(this);
    ui->lbIntro->setVisible(occasion == FirstLogin);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Сменить пароль"));
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(occasion == FirstLogin ? QStringLiteral("Позже")
                                                                                    : QStringLiteral("Отмена"));
    fillUsers();
    ui->leCurrent->setFocus();
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &PasswordDialog::change);
}

PasswordDialog::~PasswordDialog() = default;

void PasswordDialog::fillUsers()
{
    const QString own = AppContext::loggedUser();
    ui->cbUser->addItem(QStringLiteral("%1 (%2)").arg(AppContext::loggedInName(), own), own);
    // Somebody who may reset passwords chooses whose; everybody else changes their own.
    if (!m_connection || !m_connection->canDo(QStringLiteral("ResetPasswords"))) {
        ui->cbUser->setEnabled(false);
        return;
    }
    QSqlQuery users = m_connection->execScript(m_connection->getScript(QStringLiteral("USER_LOGINS")), QVariantList());
    for (bool more = users.isValid(); more; more = users.next()) {
        const QString login = users.value(0).toString();
        if (login != own)
            ui->cbUser->addItem(QStringLiteral("%1 (%2)").arg(users.value(1).toString(), login), login);
    }
}

QString PasswordDialog::changedUser() const
{
    return ui->cbUser->currentData().toString();
}

bool PasswordDialog::usesDefaultPassword()
{
    const QString login = AppContext::loggedUser();
    return !login.isEmpty() && AppContext::loggedPassword() == login;
}

void PasswordDialog::change()
{
    const QString fresh = ui->leNew->text();
    QString error;
    QLineEdit *retry = ui->leCurrent;
    if (fresh.isEmpty()) {
        error = QStringLiteral("Введите новый пароль.");
        retry = ui->leNew;
    } else if (fresh != ui->leRepeat->text()) {
        error = QStringLiteral("Новые пароли не совпадают.");
        retry = ui->leRepeat;
    } else if (!m_connection) {
        error = QStringLiteral("Нет соединения с базой данных.");
    } else if (m_connection->changePassword(changedUser(), ui->leCurrent->text(), fresh, &error)) {
        accept();
        return;
    }
    ui->lbError->setText(error);
    retry->selectAll();
    retry->setFocus();
}
