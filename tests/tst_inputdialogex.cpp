// One-value input dialogs: what the getters give back when the user accepts
// or cancels, with a modal answerer playing the user.

#include "modalanswerer.h"
#include "qinputdialogex.h"

#include <QPushButton>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

namespace {

// Puts the user's entry into whichever editor the dialog holds.
void enter(QWidget *editor, const QVariant &value)
{
    if (auto *edit = qobject_cast<QLineEdit *>(editor))
        edit->setText(value.toString());
    else if (auto *spin = qobject_cast<QSpinBox *>(editor))
        spin->setValue(value.toInt());
    else if (auto *spin = qobject_cast<QDoubleSpinBox *>(editor))
        spin->setValue(value.toDouble());
    else if (auto *edit = qobject_cast<QDateTimeEdit *>(editor))
        edit->setDateTime(value.type() == QVariant::Time ? QDateTime(edit->date(), value.toTime())
                                                         : value.toDateTime());
    else if (auto *check = qobject_cast<QCheckBox *>(editor))
        check->setCheckState(static_cast<Qt::CheckState>(value.toInt()));
    else
        QFAIL("unexpected editor");
}

QVariant runGetter(const QString &kind, const QVariant &initial, bool *ok, QWidget *parent = nullptr)
{
    const QString title = QStringLiteral("Ввод");
    const QString label = QStringLiteral("Значение");
    if (kind == QLatin1String("string"))
        return QInputDialogEx::getString(parent, title, label, initial.toString(), ok);
    if (kind == QLatin1String("int"))
        return QInputDialogEx::getInt(parent, title, label, initial.toLongLong(), 0, 100, ok);
    if (kind == QLatin1String("double"))
        return QInputDialogEx::getDouble(parent, title, label, initial.toDouble(), 3, 0, 100, ok);
    if (kind == QLatin1String("date"))
        return QInputDialogEx::getDate(parent, title, label, initial.toDate(), ok);
    if (kind == QLatin1String("time"))
        return QInputDialogEx::getTime(parent, title, label, initial.toTime(), ok);
    if (kind == QLatin1String("datetime"))
        return QInputDialogEx::getDateTime(parent, title, label, initial.toDateTime(), ok);
    if (kind == QLatin1String("bool"))
        return QInputDialogEx::getBool(parent, title, label, initial.toBool(), ok);
    if (kind == QLatin1String("boolnull"))
        return QInputDialogEx::getBoolNull(parent, title, label, initial.toBool(), ok);
    return QVariant();
}

} // namespace

class TestInputDialogEx : public QObject
{
    Q_OBJECT

private slots:
    void getters_data();
    void getters();
    void cancelWithoutOkFlag();
    void parentGoneWhileAsking_data();
    void parentGoneWhileAsking();
};

void TestInputDialogEx::getters_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("initial");
    QTest::addColumn<QVariant>("entered");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QVariant>("expected");

    const QDate date(2023, 3, 14);
    const QDate otherDate(2024, 12, 31);
    const QTime time(9, 30);
    const QTime otherTime(17, 45, 10);

    QTest::newRow("string accepted") << "string" << QVariant(QString()) << QVariant(QStringLiteral("Новое имя"))
                                     << true << QVariant(QStringLiteral("Новое имя"));
    QTest::newRow("string cancelled keeps the initial text")
            << "string" << QVariant(QStringLiteral("старое")) << QVariant(QStringLiteral("новое"))
            << false << QVariant(QStringLiteral("старое"));
    QTest::newRow("int accepted") << "int" << QVariant(5LL) << QVariant(7) << true << QVariant(7LL);
    QTest::newRow("int cancelled") << "int" << QVariant(5LL) << QVariant(7) << false << QVariant(5LL);
    // The spin box cannot hold it, but a cancel must hand it back untouched.
    QTest::newRow("int cancelled beyond the range") << "int" << QVariant(5000000000LL) << QVariant(7)
                                                    << false << QVariant(5000000000LL);
    QTest::newRow("int accepted beyond the range is clamped") << "int" << QVariant(5000000000LL)
                                                              << QVariant(1000) << true << QVariant(100LL);
    // Asked with 3 decimals: the spin box's own 2 would round this to 2.13.
    QTest::newRow("double accepted with its decimals") << "double" << QVariant(1.5) << QVariant(2.125)
                                                       << true << QVariant(2.125);
    QTest::newRow("double accepted above the maximum is clamped") << "double" << QVariant(1.5)
                                                                  << QVariant(1000.5) << true << QVariant(100.0);
    QTest::newRow("double cancelled") << "double" << QVariant(1.5) << QVariant(2.125) << false << QVariant(1.5);
    QTest::newRow("date accepted") << "date" << QVariant(date) << QVariant(QDateTime(otherDate, time))
                                   << true << QVariant(otherDate);
    QTest::newRow("time accepted") << "time" << QVariant(time) << QVariant(otherTime) << true
                                   << QVariant(otherTime);
    QTest::newRow("date-time accepted") << "datetime" << QVariant(QDateTime(date, time))
                                        << QVariant(QDateTime(otherDate, otherTime)) << true
                                        << QVariant(QDateTime(otherDate, otherTime));
    QTest::newRow("date-time cancelled") << "datetime" << QVariant(QDateTime(date, time))
                                         << QVariant(QDateTime(otherDate, otherTime)) << false
                                         << QVariant(QDateTime(date, time));
    QTest::newRow("bool accepted") << "bool" << QVariant(true) << QVariant(int(Qt::Unchecked)) << true
                                   << QVariant(false);
    QTest::newRow("tri-state: partly checked counts as checked")
            << "boolnull" << QVariant(false) << QVariant(int(Qt::PartiallyChecked)) << true << QVariant(true);
    QTest::newRow("tri-state: unchecked") << "boolnull" << QVariant(true) << QVariant(int(Qt::Unchecked))
                                          << true << QVariant(false);
    QTest::newRow("tri-state cancelled") << "boolnull" << QVariant(false) << QVariant(int(Qt::Checked))
                                         << false << QVariant(false);
}

void TestInputDialogEx::getters()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, initial);
    QFETCH(QVariant, entered);
    QFETCH(bool, accept);
    QFETCH(QVariant, expected);

    ModalAnswerer answerer;
    bool editorHadFocus = false;
    bool answered = false;
    QFont dialogFont;
    answerer.enqueue([&](QWidget *widget) {
        auto *dialog = qobject_cast<QInputDialogEx *>(widget);
        QVERIFY(dialog);
        editorHadFocus = dialog->focusWidget() == dialog->editor();
        dialogFont = dialog->font();
        enter(dialog->editor(), entered);
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("qt_inputdlg_buttonbox"));
        QVERIFY(buttons);
        buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        answered = true;
    });

    bool ok = !accept;
    const QVariant result = runGetter(kind, initial, &ok);
    QVERIFY(answered);
    QVERIFY(editorHadFocus);
    QCOMPARE(dialogFont.family(), QStringLiteral("MS Shell Dlg 2"));
    QCOMPARE(dialogFont.pointSize(), 11);
    QCOMPARE(ok, accept);
    if (expected.type() == QVariant::Double)
        QVERIFY2(qFuzzyCompare(result.toDouble(), expected.toDouble()), qPrintable(result.toString()));
    else
        QCOMPARE(result, expected);
}

void TestInputDialogEx::cancelWithoutOkFlag()
{
    // Callers that do not care about the outcome pass no flag.
    ModalAnswerer answerer;
    answerer.enqueue([](QWidget *widget) { qobject_cast<QDialog *>(widget)->reject(); });
    QCOMPARE(QInputDialogEx::getInt(nullptr, QStringLiteral("Ввод"), QStringLiteral("Число"), 3, 0, 10), 3LL);
}

void TestInputDialogEx::parentGoneWhileAsking_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("initial");
    QTest::addColumn<QVariant>("entered");

    QTest::newRow("string") << "string" << QVariant(QStringLiteral("старое")) << QVariant(QStringLiteral("новое"));
    QTest::newRow("int") << "int" << QVariant(5LL) << QVariant(7);
    QTest::newRow("double") << "double" << QVariant(1.5) << QVariant(2.125);
    QTest::newRow("date-time") << "datetime" << QVariant(QDateTime(QDate(2023, 3, 14), QTime(9, 30)))
                               << QVariant(QDateTime(QDate(2024, 12, 31), QTime(17, 45)));
    QTest::newRow("tri-state") << "boolnull" << QVariant(false) << QVariant(int(Qt::Checked));
}

void TestInputDialogEx::parentGoneWhileAsking()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, initial);
    QFETCH(QVariant, entered);

    // The dialog runs its own event loop, in which anything may happen, such
    // as the window that asked being closed and deleted; the dialog goes with it.
    QPointer<QWidget> parent = new QWidget;
    ModalAnswerer answerer;
    answerer.enqueue([&](QWidget *widget) {
        auto *dialog = qobject_cast<QInputDialogEx *>(widget);
        QVERIFY(dialog);
        QCOMPARE(dialog->parentWidget(), parent.data());
        enter(dialog->editor(), entered);
        delete parent.data();
    });

    bool ok = true;
    const QVariant result = runGetter(kind, initial, &ok, parent);
    QVERIFY(parent.isNull());
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(!ok);
    QCOMPARE(result, initial);
    delete parent.data();
}

QTEST_MAIN(TestInputDialogEx)
#include "tst_inputdialogex.moc"
