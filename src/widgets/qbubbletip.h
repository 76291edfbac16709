#ifndef QBUBBLETIP_H
#define QBUBBLETIP_H

#include "dealsglobal.h"

#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

// A balloon message that points at a spot on the screen, for short notices
// next to a field. Only one is shown at a time; a new one replaces it.
// The bubble owns itself: it is deleted when it closes or is replaced, so
// one made with the constructor must be made with new.
class DEALS_EXPORT QBubbleTip : public QWidget
{
    Q_OBJECT

public:
    QBubbleTip(const QString &title, const QString &message, QSystemTrayIcon::MessageIcon icon);
    ~QBubbleTip() override;

    // Places the bubble so that its arrow points at pos and shows it in place
    // of the current one; it hides itself after msecs unless msecs is 0 or
    // less. preferAbove puts it above pos when there is room there.
    void showBubble(const QPoint &pos, int msecs, bool showArrow = true, bool preferAbove = false);

    static void info(const QString &title, const QString &message, const QPoint &pos, int msecs = 10000,
                     bool showArrow = true, bool preferAbove = false);
    static void warning(const QString &title, const QString &message, const QPoint &pos, int msecs = 10000,
                        bool showArrow = true, bool preferAbove = false);
    static void critical(const QString &title, const QString &message, const QPoint &pos, int msecs = 10000,
                         bool showArrow = true, bool preferAbove = false);
    static void hideBubble();

    // The bubble on screen now, if any.
    static QBubbleTip *currentBubble();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    static void replaceBubble(const QString &title, const QString &message, QSystemTrayIcon::MessageIcon icon,
                              const QPoint &pos, int msecs, bool showArrow, bool preferAbove);

    QPixmap pixmap;
    int timerId = -1;
};

#endif // QBUBBLETIP_H
