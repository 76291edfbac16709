#include "modalanswerer.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(10);
    connect(m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer->start();
}

void ModalAnswerer::enqueue(Answer answer)
{
    m_answers.append(std::move(answer));
}

void ModalAnswerer::pressButton(int standardButton)
{
    enqueue([standardButton](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (box && box->button(static_cast<QMessageBox::StandardButton>(standardButton)))
            box->button(static_cast<QMessageBox::StandardButton>(standardButton))->click();
        else if (auto *plain = qobject_cast<QDialog *>(dialog))
            plain->reject();
    });
}

void ModalAnswerer::poll()
{
    QWidget *dialog = QApplication::activeModalWidget();
    if (!dialog)
        return;
    if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
        titles.append(box->windowTitle());
        texts.append(box->text());
    }
    if (m_answers.isEmpty()) {
        ++unexpected;
        if (auto *plain = qobject_cast<QDialog *>(dialog))
            plain->reject();
        else
            dialog->close();
        return;
    }
    const Answer answer = m_answers.takeFirst();
    answer(dialog);
}
