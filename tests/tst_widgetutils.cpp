// The small free functions of the common library.

#include "widgetutils.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>
#include <QtTest>

class TestWidgetUtils : public QObject
{
    Q_OBJECT

private slots:
    void md5_data();
    void md5();
    void hexString_data();
    void hexString();
    void uuidIsFreshUpperCaseWithoutBraces();
    void delayServesEventsAndWaits();
};

void TestWidgetUtils::md5_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("digest");
    QTest::newRow("empty text is the digest of zero bytes") << QString() << "d41d8cd98f00b204e9800998ecf8427e";
    QTest::newRow("latin") << "abc" << "900150983cd24fb0d6963f7d28e17f72";
    // Cyrillic must be hashed as UTF-8, not as the local 8-bit or UTF-16 form.
    QTest::newRow("cyrillic as utf-8") << QStringLiteral("привет") << "608333adc72f545078ede3aad71bfe74";
}

void TestWidgetUtils::md5()
{
    QFETCH(QString, text);
    QFETCH(QString, digest);
    QCOMPARE(makeMD5(text), digest);
}

void TestWidgetUtils::hexString_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("hex");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("one byte, no trailing blank") << QByteArray(1, '\0') << "00";
    QTest::newRow("two bytes, one blank, upper case") << QByteArray("\x0A\xFF", 2) << "0A FF";
    QTest::newRow("high bytes are not sign-extended") << QByteArray("\x80\x7F\xC3", 3) << "80 7F C3";
}

void TestWidgetUtils::hexString()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, hex);
    QCOMPARE(toHexString(data), hex);
}

void TestWidgetUtils::uuidIsFreshUpperCaseWithoutBraces()
{
    const QRegularExpression format(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"));
    QSet<QString> seen;
    for (int i = 0; i < 100; ++i) {
        const QString uuid = newUUID();
        QVERIFY2(format.match(uuid).hasMatch(), qPrintable(uuid));
        seen.insert(uuid);
    }
    QCOMPARE(seen.size(), 100);
}

void TestWidgetUtils::delayServesEventsAndWaits()
{
    bool served = false;
    QTimer::singleShot(0, this, [&served] { served = true; });
    QElapsedTimer clock;
    clock.start();
    delayMs(60);
    QVERIFY(served);
    // A lower bound only: the wait must not end early.
    QVERIFY(clock.elapsed() >= 59);

    // A zero wait still returns instead of blocking forever.
    delayMs(0);
}

QTEST_MAIN(TestWidgetUtils)
#include "tst_widgetutils.moc"
