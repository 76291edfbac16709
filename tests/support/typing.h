#ifndef TYPING_H
#define TYPING_H

class QString;
class QWidget;

// Types text key by key, as a person would, so that the widget reports it as
// edited; QTest's own key clicks know no letters beyond ASCII.
void typeText(QWidget *widget, const QString &text);

#endif // TYPING_H
