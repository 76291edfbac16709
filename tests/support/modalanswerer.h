#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QTimer;
class QWidget;

// Answers the modal dialogs and message boxes that code under test opens, so
// that a test never waits for a person. Each answer handles one dialog, in order;
// a dialog that comes when no answer is left is rejected and counted as unexpected.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    using Answer = std::function<void(QWidget *dialog)>;

    explicit ModalAnswerer(QObject *parent = nullptr);

    void enqueue(Answer answer);
    // Presses the message box button with this standard role (QMessageBox::StandardButton).
    void pressButton(int standardButton);

    // Titles and texts of the message boxes seen so far.
    QStringList titles;
    QStringList texts;
    int pending() const { return m_answers.size(); }
    int unexpected = 0;

private:
    void poll();

    QList<Answer> m_answers;
    QTimer *m_timer;
};

#endif // MODALANSWERER_H
