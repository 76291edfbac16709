#include "qchasewidget.h"

#include <QPainter>
#include <QTimerEvent>

QChaseWidget::QChaseWidget(QWidget *parent, const QPixmap &picture, bool pictureEnabled)
    : QWidget(parent)
    , pixmap(picture)
    , pixmapEnabled(pictureEnabled)
{
}

void QChaseWidget::setAnimated(bool on)
{
    if (animated == on)
        return;
    animated = on;
    if (timerId != -1) {
        killTimer(timerId);
        timerId = -1;
    }
    if (animated) {
        step = 0;
        timerId = startTimer(delay);
    }
    update();
}

bool QChaseWidget::isAnimated() const
{
    return animated;
}

void QChaseWidget::setPixmapEnabled(bool enabled)
{
    pixmapEnabled = enabled;
    update();
}

int QChaseWidget::segmentCount() const
{
    return 360 / segmentAngle;
}

QColor QChaseWidget::colorForSegment(int segment) const
{
    const int count = segmentCount();
    // Non-negative even for a negative segment or step.
    const int position = ((step + segment) % count + count) % count;
    const int grey = qMax(0, 255 - (255 / count) * position);
    return QColor(grey, grey, grey, 255);
}

QSize QChaseWidget::sizeHint() const
{
    return QSize(16, 16);
}

void QChaseWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (pixmapEnabled && !pixmap.isNull()) {
        painter.drawPixmap(0, 0, pixmap);
        return;
    }

    painter.setRenderHint(QPainter::Antialiasing);
    const int extent = qMin(width() - 8, height() - 8);
    const int displ = extent / 4;
    const int ext = displ - 1;

    painter.setPen(animated ? QColor(Qt::darkGreen) : palette().dark().color());
    painter.translate(width() / 2, height() / 2);
    const int angle = layoutDirection() == Qt::RightToLeft ? segmentAngle : -segmentAngle;
    for (int segment = 0; segment < segmentCount(); ++segment) {
        painter.rotate(angle);
        painter.setBrush(animated ? colorForSegment(segment) : palette().window().color());
        painter.drawEllipse(QRect(displ, -ext / 2, ext, ext));
    }
}

void QChaseWidget::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != timerId) {
        QWidget::timerEvent(event);
        return;
    }
    ++step;
    update();
}
