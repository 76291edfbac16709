#include "messageboxdismisser.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

MessageBoxDismisser::MessageBoxDismisser(QObject *parent)
    : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxDismisser::dismissShown);
    m_timer.start(100);
}

void MessageBoxDismisser::dismissShown()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
        return;
    std::fprintf(stderr, "%s: %s\n", qPrintable(box->windowTitle()), qPrintable(box->text()));
    box->reject();
}
