#ifndef PASSWORDDIALOG_H
#define PASSWORDDIALOG_H

#include <QDialog>

#include <memory>

class QSqlConnection;
namespace Ui { class PasswordDialog; }

// "Сменить пароль": the logged-in user sets their own password, proving it
// with the current one; a user who may reset passwords picks anybody. The
// driver checks and hashes; this dialog only asks.
class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    enum Occasion {
        OnRequest,
        FirstLogin // logged in with the default password: says why it is asked, "Позже" to skip
    };

    PasswordDialog(QSqlConnection *connection, Occasion occasion, QWidget *parent = nullptr);
    ~PasswordDialog() override;

    // The login whose password was changed, once accepted.
    QString changedUser() const;

    // Whether the logged-in user still has the default password, which is
    // the login itself (the administrator's and the demo users' alike).
    static bool usesDefaultPassword();

private Q_SLOTS:
    void change();

private:
    void fillUsers();

    std::unique_ptr<Ui::PasswordDialog> ui;
    QSqlConnection *m_connection;
};

#endif // PASSWORDDIALOG_H
