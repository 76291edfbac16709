#ifndef QCHASEWIDGET_H
#define QCHASEWIDGET_H

#include "dealsglobal.h"

#include <QPixmap>
#include <QWidget>

// The busy indicator: a ring of dots whose shades chase each other while
// something runs; still and uncoloured otherwise. It can show a fixed
// picture instead of the ring.
class DEALS_EXPORT QChaseWidget : public QWidget
{
    Q_OBJECT

public:
    explicit QChaseWidget(QWidget *parent = nullptr, const QPixmap &picture = QPixmap(),
                          bool pictureEnabled = false);

    void setAnimated(bool animated);
    bool isAnimated() const;
    void setPixmapEnabled(bool enabled);
    int segmentCount() const;
    QColor colorForSegment(int segment) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    int step = 0;
    static constexpr int delay = 100;        // ms between animation steps
    static constexpr int segmentAngle = 40;  // degrees per dot
    int timerId = -1;
    bool animated = false;
    QPixmap pixmap;
    bool pixmapEnabled;
};

#endif // QCHASEWIDGET_H
