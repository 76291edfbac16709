// Busy indicator, wait window, recent-list dialog and the wheel-proof combo box.

#include "combobox.h"
#include "qchasewidget.h"
#include "qrecentlistdialog.h"
#include "qwaitdialog.h"
#include "typing.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest>

namespace {

// Records which timers fire on an object, optionally keeping them from it.
class EventSpy : public QObject
{
public:
    QSet<int> timerIds;
    bool swallowTimers = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Timer) {
            timerIds.insert(static_cast<QTimerEvent *>(event)->timerId());
            return swallowTimers;
        }
        return false;
    }
};

// The recent values: an id column the dialog must not search and the text shown.
QStandardItemModel *recentValues(QObject *owner)
{
    auto *model = new QStandardItemModel(0, 2, owner);
    const QStringList names = {QStringLiteral("Альфа Ромео"), QStringLiteral("Бета-тест"),
                               QStringLiteral("альбом"), QString(), QStringLiteral("Гамма 42")};
    for (int row = 0; row < names.size(); ++row)
        model->appendRow({new QStandardItem(QString::number(row + 700)), new QStandardItem(names.at(row))});
    return model;
}

} // namespace

class TestSmallWidgets : public QObject
{
    Q_OBJECT

private slots:
    void chaseColours_data();
    void chaseColours();
    void chaseKeepsOneTimer();
    void waitDialogKeepsTextOnLanguageChange();
    void quickSearch_data();
    void quickSearch();
    void doubleClickAcceptsOnlyWithCurrentRow();
    void wheel_data();
    void wheel();
};

void TestSmallWidgets::chaseColours_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("segment");
    QTest::addColumn<int>("grey");
    // 9 segments, 255 / 9 = 28 grey levels apart.
    QTest::newRow("first segment at rest is white") << 0 << 0 << 255;
    QTest::newRow("next segment one shade darker") << 0 << 1 << 227;
    QTest::newRow("last segment darkest") << 0 << 8 << 31;
    QTest::newRow("one tick moves the shades on") << 1 << 0 << 227;
    QTest::newRow("wraps around after a full turn") << 1 << 8 << 255;
    QTest::newRow("many turns") << 9 * 7 + 2 << 3 << 115;
}

void TestSmallWidgets::chaseColours()
{
    QFETCH(int, ticks);
    QFETCH(int, segment);
    QFETCH(int, grey);

    // The real timer is held back so that only the ticks sent here count.
    QChaseWidget chase;
    EventSpy spy;
    spy.swallowTimers = true;
    chase.installEventFilter(&spy);
    chase.setAnimated(true);
    QTRY_VERIFY(!spy.timerIds.isEmpty());
    chase.removeEventFilter(&spy);

    const int timerId = *spy.timerIds.constBegin();
    QObject &receiver = chase;
    QTimerEvent foreign(timerId + 1000);
    receiver.event(&foreign);  // someone else's timer does not move the ring
    for (int tick = 0; tick < ticks; ++tick) {
        QTimerEvent own(timerId);
        receiver.event(&own);
    }
    QCOMPARE(chase.colorForSegment(segment), QColor(grey, grey, grey, 255));
}

void TestSmallWidgets::chaseKeepsOneTimer()
{
    QChaseWidget chase;
    EventSpy spy;
    chase.installEventFilter(&spy);
    chase.setAnimated(true);
    chase.setAnimated(true);
    QVERIFY(chase.isAnimated());
    QTest::qWait(350);
    QCOMPARE(spy.timerIds.size(), 1);

    chase.setAnimated(false);
    QVERIFY(!chase.isAnimated());
    spy.timerIds.clear();
    QTest::qWait(250);
    QVERIFY(spy.timerIds.isEmpty());
}

void TestSmallWidgets::waitDialogKeepsTextOnLanguageChange()
{
    QWaitDialog wait(QStringLiteral("Загрузка данных"));
    auto *text = wait.findChild<QLabel *>(QStringLiteral("lbText"));
    auto *please = wait.findChild<QLabel *>(QStringLiteral("lbWait"));
    QVERIFY(text && please);
    QCOMPARE(text->text(), QStringLiteral("Загрузка данных"));
    QCOMPARE(please->text(), QStringLiteral("Пожалуйста подождите..."));
    QVERIFY(wait.findChild<QChaseWidget *>()->isAnimated());

    wait.setText(QStringLiteral("Сохранение"));
    QEvent languageChange(QEvent::LanguageChange);
    QApplication::sendEvent(&wait, &languageChange);
    QCOMPARE(text->text(), QStringLiteral("Сохранение"));
    QCOMPARE(please->text(), QStringLiteral("Пожалуйста подождите..."));
}

void TestSmallWidgets::quickSearch_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("clearAfterTyping");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("inside the text, any case") << QStringLiteral("ТЕСТ") << false << QStringLiteral("Бета-тест");
    QTest::newRow("first of several matches") << QStringLiteral("ль") << false << QStringLiteral("Альфа Ромео");
    QTest::newRow("later row") << QStringLiteral("альб") << false << QStringLiteral("альбом");
    QTest::newRow("no match") << QStringLiteral("Дельта") << false << QString();
    // The id column is not shown, so it is not searched either.
    QTest::newRow("hidden column not searched") << QStringLiteral("701") << false << QString();
    QTest::newRow("cleared before the search ran") << QStringLiteral("Бета") << true << QString();
}

void TestSmallWidgets::quickSearch()
{
    QFETCH(QString, typed);
    QFETCH(bool, clearAfterTyping);
    QFETCH(QString, chosen);

    QRecentListDialog dialog(recentValues(this), QStringLiteral("Недавние"), 1);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Недавние"));
    dialog.show();
    auto *find = dialog.findChild<QLineEdit *>(QStringLiteral("edFind"));
    QPushButton *ok = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok);
    QVERIFY(!ok->isEnabled());

    auto *searchTimer = dialog.findChild<QTimer *>(QStringLiteral("searchTimer"));
    QVERIFY(searchTimer);
    typeText(find, typed);
    QVERIFY2(searchTimer->isActive(), "the search waits for the user to stop typing");
    if (clearAfterTyping) {
        find->clear();
        // An empty search would find nothing anyway: what counts is that none is left pending.
        QVERIFY(!searchTimer->isActive());
    }
    if (chosen.isEmpty()) {
        QTest::qWait(700);
        QCOMPARE(dialog.chosenValue, QString());
        QVERIFY(!ok->isEnabled());
        return;
    }
    QTRY_COMPARE(dialog.chosenValue, chosen);
    QVERIFY(ok->isEnabled());
}

void TestSmallWidgets::doubleClickAcceptsOnlyWithCurrentRow()
{
    QStandardItemModel *model = recentValues(this);
    QRecentListDialog dialog(model, QStringLiteral("Недавние"), 1);
    dialog.show();
    dialog.onDblClick();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    dialog.findChild<QListView *>(QStringLiteral("lvFavor"))->setCurrentIndex(model->index(4, 1));
    dialog.onDblClick();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.chosenValue, QStringLiteral("Гамма 42"));
}

void TestSmallWidgets::wheel_data()
{
    QTest::addColumn<bool>("wheelProof");
    QTest::newRow("plain combo box turns") << false;
    QTest::newRow("ComboBox keeps its selection") << true;
}

void TestSmallWidgets::wheel()
{
    QFETCH(bool, wheelProof);

    QWidget form;
    auto *layout = new QVBoxLayout(&form);
    QComboBox *combo = wheelProof ? new ComboBox(&form) : new QComboBox(&form);
    layout->addWidget(combo);
    combo->addItems({QStringLiteral("Первый"), QStringLiteral("Второй"), QStringLiteral("Третий")});
    combo->setCurrentIndex(1);
    form.show();

    const QPoint centre = combo->rect().center();
    QWheelEvent wheel(centre, combo->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(combo, &wheel);

    QCOMPARE(combo->currentIndex() == 1, wheelProof);
    // Left unaccepted, the turn goes on to the form, which may scroll.
    QCOMPARE(wheel.isAccepted(), !wheelProof);
}

QTEST_MAIN(TestSmallWidgets)
#include "tst_smallwidgets.moc"
