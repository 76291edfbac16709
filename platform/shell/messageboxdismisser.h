#ifndef MESSAGEBOXDISMISSER_H
#define MESSAGEBOXDISMISSER_H

#include <QObject>
#include <QTimer>

// While a window is built for a screenshot nobody is there to answer a
// message box it asks (a search that found nothing): such a box is closed
// as Escape closes it, its text written to the error output, and the run
// goes on to its picture.
class MessageBoxDismisser : public QObject
{
    Q_OBJECT

public:
    explicit MessageBoxDismisser(QObject *parent = nullptr);

private:
    void dismissShown();

    QTimer m_timer;
};

#endif // MESSAGEBOXDISMISSER_H
