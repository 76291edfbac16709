// Bubble tips: one at a time, placed with the arrow on pos and inside the
// screen, closed by their timer or a click.

#include "qbubbletip.h"

#include <QApplication>
#include <QBitmap>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QtTest>

namespace {

// Shows a bubble through the static functions or, as some callers do, by hand.
QBubbleTip *showBubble(const QString &how, const QString &message, const QPoint &pos)
{
    if (how == QLatin1String("static")) {
        QBubbleTip::warning(QStringLiteral("Ошибки"), message, pos, 0);
        return QBubbleTip::currentBubble();
    }
    // Owned by itself: deleted when closed or replaced.
    auto *bubble = new QBubbleTip(QStringLiteral("Сведения"), message, QSystemTrayIcon::Information);
    bubble->showBubble(pos, 0);
    return bubble;
}

} // namespace

class TestBubbleTip : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void newBubbleReplacesTheShownOne_data();
    void newBubbleReplacesTheShownOne();
    void closedBubbleIsForgotten();
    void placement_data();
    void placement();
    void longMessageWrapsToAThirdOfTheScreen();
    void hideTimer_data();
    void hideTimer();
};

void TestBubbleTip::cleanup()
{
    QBubbleTip::hideBubble();
    // A failed check may leave a bubble that was never the current one.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (qobject_cast<QBubbleTip *>(window))
            delete window;
    }
}

void TestBubbleTip::newBubbleReplacesTheShownOne_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");

    QTest::newRow("static, then static") << "static" << "static";
    QTest::newRow("by hand, then static") << "by hand" << "static";
    QTest::newRow("static, then by hand") << "static" << "by hand";
    QTest::newRow("by hand, then by hand") << "by hand" << "by hand";
    // Moving the bubble on screen keeps it.
    QTest::newRow("the same one shown again") << "by hand" << "again";
}

void TestBubbleTip::newBubbleReplacesTheShownOne()
{
    QFETCH(QString, first);
    QFETCH(QString, second);

    QPointer<QBubbleTip> shown = showBubble(first, QStringLiteral("Первое"), QPoint(200, 200));
    QVERIFY(shown);
    QVERIFY(shown->isVisible());
    QCOMPARE(QBubbleTip::currentBubble(), shown.data());

    QPointer<QBubbleTip> next;
    if (second == QLatin1String("again")) {
        shown->showBubble(QPoint(300, 300), 0);
        next = shown;
    } else {
        next = showBubble(second, QStringLiteral("Второе"), QPoint(300, 300));
        QVERIFY2(shown.isNull(), "only one bubble at a time");
    }
    QVERIFY(next);
    QVERIFY(next->isVisible());
    QCOMPARE(QBubbleTip::currentBubble(), next.data());
    QCOMPARE(next->findChild<QLabel *>(QStringLiteral("bubbleMessage"))->text(),
             second == QLatin1String("again") ? QStringLiteral("Первое") : QStringLiteral("Второе"));

    QBubbleTip::hideBubble();
    QVERIFY(next.isNull());
    QVERIFY(!QBubbleTip::currentBubble());
    QBubbleTip::hideBubble();  // nothing shown: harmless
}

void TestBubbleTip::closedBubbleIsForgotten()
{
    QBubbleTip::critical(QStringLiteral("Ошибка"), QStringLiteral("Текст"), QPoint(200, 200), 0);
    QPointer<QBubbleTip> bubble = QBubbleTip::currentBubble();
    QTest::mouseClick(bubble, Qt::LeftButton, Qt::NoModifier, QPoint(bubble->width() / 2, bubble->height() / 2));
    QVERIFY(!bubble->isVisible());
    // Closed but not yet deleted: a new bubble right now must not trip over it.
    QBubbleTip::info(QStringLiteral("Сведения"), QStringLiteral("Новое"), QPoint(200, 200), 0);
    QVERIFY(bubble.isNull());
    QPointer<QBubbleTip> next = QBubbleTip::currentBubble();
    QVERIFY(next && next->isVisible());
    next->close();
    QTRY_VERIFY(next.isNull());
    QVERIFY(!QBubbleTip::currentBubble());
}

void TestBubbleTip::placement_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<bool>("preferAbove");
    QTest::addColumn<bool>("arrowAtTop");
    QTest::addColumn<bool>("arrowAtLeft");
    QTest::addColumn<bool>("tipOnPos");

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int midX = screen.center().x();
    const int midY = screen.center().y();
    QTest::newRow("open space: below, to the right") << QPoint(midX, midY) << false << true << true << true;
    QTest::newRow("near the bottom: above") << QPoint(midX, screen.bottom() - 10) << false << false << true << true;
    QTest::newRow("near the right edge: to the left") << QPoint(screen.right() - 30, midY) << false << true << false
                                                      << true;
    QTest::newRow("bottom-right corner") << QPoint(screen.right() - 30, screen.bottom() - 10) << false << false
                                         << false << true;
    QTest::newRow("asked above with room") << QPoint(midX, midY) << true << false << true << true;
    QTest::newRow("asked above without room") << QPoint(midX, screen.top() + 5) << true << true << true << true;
    // Pointing at the very corners: the bubble shifts inside the screen.
    QTest::newRow("top-left pixel") << screen.topLeft() << false << true << true << false;
    QTest::newRow("bottom-right pixel") << screen.bottomRight() << false << false << false << false;
}

void TestBubbleTip::placement()
{
    QFETCH(QPoint, pos);
    QFETCH(bool, preferAbove);
    QFETCH(bool, arrowAtTop);
    QFETCH(bool, arrowAtLeft);
    QFETCH(bool, tipOnPos);

    QBubbleTip::info(QStringLiteral("Сведения"), QStringLiteral("Поле заполнено неверно"), pos, 0, true,
                     preferAbove);
    QBubbleTip *bubble = QBubbleTip::currentBubble();
    QVERIFY(bubble);
    const QRect frame = bubble->geometry();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY2(screen.adjusted(2, 2, -2, -2).contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
             .arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));

    // The arrow's side shows in which direction the body grows away from pos.
    if (arrowAtTop)
        QVERIFY(frame.top() >= pos.y());
    else
        QVERIFY(frame.bottom() <= pos.y());
    if (!tipOnPos)
        return;

    QCOMPARE(arrowAtTop ? frame.top() : frame.bottom(), pos.y());
    QCOMPARE(arrowAtLeft ? frame.left() : frame.right(), arrowAtLeft ? pos.x() - 18 : pos.x() + 18);
    // Just inside the arrow, next to its tip, the bubble is solid.
    const QPoint nearTip = pos + QPoint(arrowAtLeft ? 1 : -1, arrowAtTop ? 4 : -4) - frame.topLeft();
    QVERIFY(bubble->mask().contains(nearTip));
    // Beside the arrow, where the body has not begun yet, it is not.
    const QPoint besideTip = pos + QPoint(arrowAtLeft ? -3 : 3, arrowAtTop ? 4 : -4) - frame.topLeft();
    QVERIFY(!bubble->mask().contains(besideTip));
}

void TestBubbleTip::longMessageWrapsToAThirdOfTheScreen()
{
    const QString longText = QStringLiteral("Слово ").repeated(200);
    QBubbleTip::warning(QStringLiteral("Ошибки"), longText, QPoint(100, 100), 0);
    QBubbleTip *bubble = QBubbleTip::currentBubble();
    const int third = QGuiApplication::primaryScreen()->availableGeometry().width() / 3;
    auto *message = bubble->findChild<QLabel *>(QStringLiteral("bubbleMessage"));
    QVERIFY(message->wordWrap());
    QCOMPARE(message->width(), third);
    QVERIFY(bubble->width() < third + 40);
    QVERIFY(message->height() > message->fontMetrics().height() * 3);
}

void TestBubbleTip::hideTimer_data()
{
    QTest::addColumn<int>("msecs");
    QTest::addColumn<bool>("closesByItself");
    QTest::newRow("timed") << 50 << true;
    QTest::newRow("zero stays") << 0 << false;
    QTest::newRow("negative stays") << -1 << false;
}

void TestBubbleTip::hideTimer()
{
    QFETCH(int, msecs);
    QFETCH(bool, closesByItself);

    QBubbleTip::info(QStringLiteral("Сведения"), QStringLiteral("Текст"), QPoint(200, 200), msecs);
    QPointer<QBubbleTip> bubble = QBubbleTip::currentBubble();
    if (closesByItself) {
        QTRY_VERIFY(bubble.isNull());
        QVERIFY(!QBubbleTip::currentBubble());
        return;
    }
    QTest::qWait(300);
    QVERIFY(bubble && bubble->isVisible());
    // Until clicked.
    QTest::mouseClick(bubble, Qt::LeftButton, Qt::NoModifier, QPoint(bubble->width() / 2, bubble->height() / 2));
    QTRY_VERIFY(bubble.isNull());
    QVERIFY(!QBubbleTip::currentBubble());
}

QTEST_MAIN(TestBubbleTip)
#include "tst_bubbletip.moc"
