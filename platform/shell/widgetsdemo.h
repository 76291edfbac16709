#ifndef WIDGETSDEMO_H
#define WIDGETSDEMO_H

#include <QWidget>

class QLabel;
class QLineEdit;
class QStandardItemModel;

// A window that shows the library's common widgets so that a person can
// look at them and try them: bubble tips, input dialogs, the wait window,
// the busy indicator, the recent-list dialog and the wheel-proof combo box.
class WidgetsDemo : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetsDemo(QWidget *parent = nullptr);

    // Shows the window with a bubble, an input dialog and the wait window
    // beside it and saves the picture of them all as PNG.
    bool saveScreenshot(const QString &path);

private:
    QWidget *createBubbleGroup();
    QWidget *createInputGroup();
    QWidget *createBusyGroup();
    void showBubble(int kind);
    void askValue(const QString &kind);
    void showWaitWindow();
    void pickRecent();
    void showResult(const QString &text);

    QLineEdit *m_field;
    QLabel *m_result;
    QStandardItemModel *m_recent;
};

#endif // WIDGETSDEMO_H
