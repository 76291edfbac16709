#include "mainwindow.h"

#include "appcontext.h"
#include "dialogbounds.h"
#include "suppliers/contractordialog.h"
#include "passworddialog.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

MainWindow::MainWindow(const QString &databaseDescription, QWidget *parent)
    : QMainWindow(parent)
    , m_toolBar(addToolBar(QStringLiteral("Модули")))
    , m_moduleArea(new QTabWidget(this))
{
    // Dialogs of the modules find this window by name to place themselves over it.
    setObjectName(QStringLiteral("WorkplaceWindowWindow"));
    setWindowTitle(QStringLiteral("Рабочее место"));
    resize(1024, 700);

    m_toolBar->setObjectName(QStringLiteral("tbModules"));
    m_toolBar->setMovable(false);
    QAction *password = m_toolBar->addAction(QStringLiteral("Сменить пароль"));
    password->setObjectName(QStringLiteral("actChangePassword"));
    connect(password, &QAction::triggered, this, &MainWindow::changePassword);
    QAction *quit = m_toolBar->addAction(QStringLiteral("Выход"));
    connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows);

    QAction *contractors = menuBar()->addMenu(QStringLiteral("Справочники"))->addAction(QStringLiteral("Контрагенты"));
    contractors->setObjectName(QStringLiteral("actContractors"));
    m_toolBar->addAction(contractors);
    connect(contractors, &QAction::triggered, this, &MainWindow::openContractors);

    m_moduleArea->setObjectName(QStringLiteral("twModules"));
    m_moduleArea->setDocumentMode(true);
    m_moduleArea->setTabsClosable(false);
    setCentralWidget(m_moduleArea);

    auto *welcome = new QWidget(m_moduleArea);
    auto *layout = new QVBoxLayout(welcome);
    auto *info = new QLabel(welcome);
    info->setObjectName(QStringLiteral("lbSession"));
    info->setAlignment(Qt::AlignCenter);
    info->setTextFormat(Qt::RichText);
    info->setText(QStringLiteral("<h2>Рабочее место</h2><p>Пользователь: <b>%1</b> (%2)</p><p>База данных: %3</p>")
                          .arg(AppContext::loggedInName().toHtmlEscaped(),
                               AppContext::loggedUser().toHtmlEscaped(),
                               databaseDescription.toHtmlEscaped()));
    layout->addWidget(info);
    m_moduleArea->addTab(welcome, QStringLiteral("Начало"));

    statusBar()->showMessage(QStringLiteral("Пользователь: %1").arg(AppContext::loggedInName()));
}

void MainWindow::openContractors()
{
    ContractorDialog dialog(this);
    const QRect area = bounds();
    if (area.isValid())
        dialog.setGeometry(area);
    dialog.exec();
}

void MainWindow::changePassword()
{
    PasswordDialog dialog(AppContext::connection(), PasswordDialog::OnRequest, this);
    if (dialog.exec() == QDialog::Accepted)
        statusBar()->showMessage(QStringLiteral("Пароль пользователя %1 изменён.").arg(dialog.changedUser()), 10000);
}
