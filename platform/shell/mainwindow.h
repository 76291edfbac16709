#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QMainWindow>

class QTabWidget;
class QToolBar;

// The shell's main window: a tool bar for module actions and an area where
// module controllers are placed.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(const QString &databaseDescription, QWidget *parent = nullptr);

    QToolBar *toolBar() const { return m_toolBar; }
    QTabWidget *moduleArea() const { return m_moduleArea; }

private Q_SLOTS:
    void changePassword();

private:
    void openContractors();

    QToolBar *m_toolBar;
    QTabWidget *m_moduleArea;
};

#endif // MAINWINDOW_H
