#ifndef LOGINDIALOG_H
#define LOGINDIALOG_H

#include <QDialog>

#include <memory>

class QSqlConnection;
namespace Ui { class LoginDialog; }

// Asks for a login and password until the connection accepts them or the user gives up.
class LoginDialog : public QDialog
{
    Q_OBJECT

public:
    LoginDialog(QSqlConnection *connection, const QString &user, QWidget *parent = nullptr);
    ~LoginDialog() override;

private slots:
    void tryLogin();

private:
    std::unique_ptr<Ui::LoginDialog> ui;
    QSqlConnection *m_connection;
};

#endif // LOGINDIALOG_H
