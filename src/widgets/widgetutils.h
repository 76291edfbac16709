#ifndef WIDGETUTILS_H
#define WIDGETUTILS_H

#include "dealsglobal.h"

#include <QByteArray>
#include <QString>

class QWidget;

// Waits without freezing the window: the event queue is served meanwhile.
DEALS_EXPORT void delayMs(unsigned int ms);

// MD5 of the text's UTF-8 bytes, 32 lower-case hex digits (how passwords and
// contents are compared with what the server stores).
DEALS_EXPORT QString makeMD5(const QString &text);

// A fresh random UUID, upper case, with dashes, without braces.
DEALS_EXPORT QString newUUID();

// Upper-case hex digits with a blank between bytes, for logs and dumps.
DEALS_EXPORT QString toHexString(const QByteArray &data);

// Asks whether unsaved changes may be dropped: true for "Yes"; "No", the
// default, keeps the window and what was typed in it.
DEALS_EXPORT bool confirmDiscard(QWidget *parent, const QString &title, const QString &question);

#endif // WIDGETUTILS_H
