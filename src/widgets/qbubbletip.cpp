#include "qbubbletip.h"

#include <QBitmap>
#include <QCursor>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimerEvent>

namespace {

QBubbleTip *theBubble = nullptr;

// Balloon geometry, in pixels.
constexpr int arrowHeight = 18;
constexpr int arrowOffset = 18;   // from the near corner to the arrow's straight edge
constexpr int arrowWidth = 18;
constexpr int cornerRadius = 7;
constexpr int border = 1;
constexpr int screenGap = 2;      // kept free between the bubble and the screen's edge

QScreen *screenAt(const QPoint &pos)
{
    if (QScreen *screen = QGuiApplication::screenAt(pos))
        return screen;
    return QGuiApplication::primaryScreen();
}

QStyle::StandardPixmap pixmapFor(QSystemTrayIcon::MessageIcon icon)
{
    switch (icon) {
    case QSystemTrayIcon::Information:
        return QStyle::SP_MessageBoxInformation;
    case QSystemTrayIcon::Warning:
        return QStyle::SP_MessageBoxWarning;
    case QSystemTrayIcon::Critical:
        return QStyle::SP_MessageBoxCritical;
    case QSystemTrayIcon::NoIcon:
        break;
    }
    return QStyle::SP_CustomBase;
}

} // namespace

QBubbleTip::QBubbleTip(const QString &title, const QString &message, QSystemTrayIcon::MessageIcon icon)
    : QWidget(nullptr, Qt::ToolTip)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("QBubbleTip"));

    auto *titleLabel = new QLabel(this);
    titleLabel->setObjectName(QStringLiteral("bubbleTitle"));
    QFont titleFont = titleLabel->font();
    titleFont.setBold(true);
    titleFont.setPointSize(14);
    titleLabel->setFont(titleFont);
    titleLabel->setTextFormat(Qt::PlainText);
    titleLabel->setText(title);

    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    auto *closeButton = new QPushButton(this);
    closeButton->setObjectName(QStringLiteral("bubbleClose"));
    closeButton->setFlat(true);
    closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    closeButton->setIconSize(QSize(iconSize, iconSize));
    closeButton->setFixedSize(iconSize, iconSize);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    // Editors list their errors as HTML lines, so the message keeps rich text.
    auto *messageLabel = new QLabel(message, this);
    messageLabel->setObjectName(QStringLiteral("bubbleMessage"));
    messageLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    const int widthLimit = screenAt(QCursor::pos())->availableGeometry().width() / 3;
    if (messageLabel->sizeHint().width() > widthLimit) {
        messageLabel->setWordWrap(true);
        messageLabel->setFixedSize(widthLimit, messageLabel->heightForWidth(widthLimit));
    }

    auto *layout = new QGridLayout(this);
    const QStyle::StandardPixmap iconKind = pixmapFor(icon);
    if (iconKind != QStyle::SP_CustomBase) {
        auto *iconLabel = new QLabel(this);
        iconLabel->setObjectName(QStringLiteral("bubbleIcon"));
        iconLabel->setPixmap(style()->standardIcon(iconKind).pixmap(iconSize, iconSize));
        iconLabel->setMargin(2);
        layout->addWidget(iconLabel, 0, 0);
        layout->addWidget(titleLabel, 0, 1);
    } else {
        layout->addWidget(titleLabel, 0, 0, 1, 2);
    }
    layout->addWidget(closeButton, 0, 2);
    layout->addWidget(messageLabel, 1, 0, 1, 3);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(3, 3, 3, 3);
}

QBubbleTip::~QBubbleTip()
{
    if (theBubble == this)
        theBubble = nullptr;
}

QBubbleTip *QBubbleTip::currentBubble()
{
    return theBubble;
}

void QBubbleTip::showBubble(const QPoint &pos, int msecs, bool showArrow, bool preferAbove)
{
    // However it was made, the bubble shown last is the one on screen.
    if (theBubble != this) {
        hideBubble();
        theBubble = this;
    }

    const QRect screen = screenAt(pos)->geometry();
    const int arrowRoom = border + arrowHeight + 2;
    const int plainRoom = border + 2;

    // The size does not depend on the arrow's side: its room is taken from
    // one margin or the other.
    setContentsMargins(border + 3, arrowRoom, border + 3, plainRoom);
    if (QLayout *grid = layout())
        grid->activate();
    const QSize hint = sizeHint();
    const int fullHeight = hint.height();
    const bool fitsBelow = pos.y() + fullHeight - 1 + screenGap <= screen.bottom();
    const bool fitsAbove = pos.y() - fullHeight + 1 - screenGap >= screen.top();
    bool arrowAtTop = fitsBelow;
    if (preferAbove && fitsAbove)
        arrowAtTop = false;
    else if (!fitsBelow && !fitsAbove)
        arrowAtTop = screen.bottom() - pos.y() > pos.y() - screen.top();
    const bool arrowAtLeft = pos.x() - arrowOffset + hint.width() - 1 + screenGap <= screen.right();

    setContentsMargins(border + 3, arrowAtTop ? arrowRoom : plainRoom,
                       border + 3, arrowAtTop ? plainRoom : arrowRoom);
    if (QLayout *grid = layout())
        grid->activate();
    const QSize size = hint;

    // The balloon's body, without the arrow's room.
    const int left = 0;
    const int right = size.width() - 1;
    const int top = arrowAtTop ? arrowHeight : 0;
    const int bottom = arrowAtTop ? size.height() - 1 : size.height() - arrowHeight - 1;
    const int tipX = arrowAtLeft ? left + arrowOffset : right - arrowOffset;
    const int diameter = cornerRadius * 2;

    // Clockwise from the top-left corner; the arrow is drawn on the side it sits.
    QPainterPath path;
    path.moveTo(left + cornerRadius, top);
    if (arrowAtTop && showArrow) {
        if (arrowAtLeft) {
            path.lineTo(tipX, top);
            path.lineTo(tipX, top - arrowHeight);
            path.lineTo(tipX + arrowWidth, top);
        } else {
            path.lineTo(tipX - arrowWidth, top);
            path.lineTo(tipX, top - arrowHeight);
            path.lineTo(tipX, top);
        }
    }
    path.lineTo(right - cornerRadius, top);
    path.arcTo(QRect(right - diameter, top, diameter, diameter), 90, -90);
    path.lineTo(right, bottom - cornerRadius);
    path.arcTo(QRect(right - diameter, bottom - diameter, diameter, diameter), 0, -90);
    if (!arrowAtTop && showArrow) {
        if (arrowAtLeft) {
            path.lineTo(tipX + arrowWidth, bottom);
            path.lineTo(tipX, bottom + arrowHeight);
            path.lineTo(tipX, bottom);
        } else {
            path.lineTo(tipX, bottom);
            path.lineTo(tipX, bottom + arrowHeight);
            path.lineTo(tipX - arrowWidth, bottom);
        }
    }
    path.lineTo(left + cornerRadius, bottom);
    path.arcTo(QRect(left, bottom - diameter, diameter, diameter), -90, -90);
    path.lineTo(left, top + cornerRadius);
    path.arcTo(QRect(left, top, diameter, diameter), 180, -90);

    // The tip lands on pos; near an edge the whole bubble shifts inside the
    // screen. The client area is placed, not a frame, since the tip is drawn in it.
    const QPoint topLeft(pos.x() - tipX, arrowAtTop ? pos.y() : pos.y() - size.height() + 1);
    setGeometry(QRect(QPoint(qBound(screen.left() + screenGap, topLeft.x(),
                                    screen.right() - size.width() + 1 - screenGap),
                             qBound(screen.top() + screenGap, topLeft.y(),
                                    screen.bottom() - size.height() + 1 - screenGap)),
                      size));

    QBitmap shape(size);
    shape.fill(Qt::color0);
    {
        QPainter maskPainter(&shape);
        maskPainter.setPen(QPen(Qt::color1, border));
        maskPainter.setBrush(Qt::color1);
        maskPainter.drawPath(path);
    }
    setMask(shape);

    pixmap = QPixmap(size);
    pixmap.fill(Qt::transparent);
    {
        QPainter balloonPainter(&pixmap);
        const QColor fill = palette().color(QPalette::Window);
        balloonPainter.setPen(QPen(fill.darker(160), border));
        balloonPainter.setBrush(fill);
        balloonPainter.drawPath(path);
    }

    if (timerId != -1)
        killTimer(timerId);
    timerId = msecs > 0 ? startTimer(msecs) : -1;
    show();
}

void QBubbleTip::replaceBubble(const QString &title, const QString &message, QSystemTrayIcon::MessageIcon icon,
                               const QPoint &pos, int msecs, bool showArrow, bool preferAbove)
{
    // Owned by itself (deleted on close); showing it replaces the current one.
    auto *bubble = new QBubbleTip(title, message, icon);
    bubble->showBubble(pos, msecs, showArrow, preferAbove);
}

void QBubbleTip::info(const QString &title, const QString &message, const QPoint &pos, int msecs,
                      bool showArrow, bool preferAbove)
{
    replaceBubble(title, message, QSystemTrayIcon::Information, pos, msecs, showArrow, preferAbove);
}

void QBubbleTip::warning(const QString &title, const QString &message, const QPoint &pos, int msecs,
                         bool showArrow, bool preferAbove)
{
    replaceBubble(title, message, QSystemTrayIcon::Warning, pos, msecs, showArrow, preferAbove);
}

void QBubbleTip::critical(const QString &title, const QString &message, const QPoint &pos, int msecs,
                          bool showArrow, bool preferAbove)
{
    replaceBubble(title, message, QSystemTrayIcon::Critical, pos, msecs, showArrow, preferAbove);
}

void QBubbleTip::hideBubble()
{
    if (!theBubble)
        return;
    QBubbleTip *bubble = theBubble;
    theBubble = nullptr;
    bubble->hide();
    delete bubble;
}

void QBubbleTip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), pixmap);
}

void QBubbleTip::mousePressEvent(QMouseEvent *)
{
    close();
}

void QBubbleTip::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != timerId) {
        QWidget::timerEvent(event);
        return;
    }
    killTimer(timerId);
    timerId = -1;
    // A bubble being read under the mouse stays until it is clicked.
    if (!underMouse())
        close();
}

void QBubbleTip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
}
