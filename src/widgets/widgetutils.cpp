#include "widgetutils.h"

#include <QMessageBox>

#include <QCryptographicHash>
#include <QEventLoop>
#include <QTimer>
#include <QUuid>

#include <limits>

void delayMs(unsigned int ms)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; a delay must never be shorter.
    timer.setTimerType(Qt::PreciseTimer);
    // QTimer takes a signed interval; a longer wait than that is a caller's mistake.
    timer.setInterval(static_cast<int>(qMin<unsigned int>(ms, std::numeric_limits<int>::max())));
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start();
    loop.exec();
}

QString makeMD5(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

QString newUUID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString toHexString(const QByteArray &data)
{
    return QString::fromLatin1(data.toHex(' ').toUpper());
}

bool confirmDiscard(QWidget *parent, const QString &title, const QString &question)
{
    return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
}
