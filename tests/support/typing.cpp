#include "typing.h"

#include <QString>
#include <QTest>

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        const int key = ch == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(key), QString(ch), Qt::NoModifier);
    }
}
