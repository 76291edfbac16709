// What user-written scripts see: named parameters and the form adapter,
// driven from a real script engine.

#include "modalanswerer.h"
#include "qscriptguiadapter.h"
#include "qscriptparams.h"

#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QScriptEngine>
#include <QSqlField>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <QtTest>

class tst_ScriptParams : public QObject
{
    Q_OBJECT

private slots:
    void walkInNameOrder();
    void setDataNeedsMatchingLists();
    void scriptFillsAndReadsTheForm();
    void askAndReadFile();
};

void tst_ScriptParams::walkInNameOrder()
{
    QSqlRecord record;
    record.append(QSqlField(QStringLiteral("B"), QVariant::Int));
    record.append(QSqlField(QStringLiteral("A"), QVariant::String));
    record.setValue(0, 2);
    record.setValue(1, QStringLiteral("a"));
    QScriptParams params(nullptr, &record);

    QScriptEngine engine;
    engine.globalObject().setProperty(QStringLiteral("params"), engine.newQObject(&params));
    const QScriptValue walked = engine.evaluate(QStringLiteral(
            "var names = [];"
            "for (var ok = params.first(); ok; ok = params.next()) names.push(params.getCurrentName() + '=' + params.getCurrentValue());"
            "names.push(params.next());"             // already at the end
            "names.push(params.getCurrentName());"   // and stays there
            "names.push(params.prev(), params.prev());"
            "names.join(',')"));
    QVERIFY2(!engine.hasUncaughtException(), qPrintable(walked.toString()));
    QCOMPARE(walked.toString(), QStringLiteral("A=a,B=2,false,B,true,false"));
    QCOMPARE(engine.evaluate(QStringLiteral("params.count()")).toInt32(), 2);
    QVERIFY(engine.evaluate(QStringLiteral("params.getParam('C')")).isUndefined()
            || !engine.evaluate(QStringLiteral("params.getParam('C')")).isValid()
            || engine.evaluate(QStringLiteral("params.getParam('C')")).isNull());

    QScriptParams single;
    single.setData({QStringLiteral("only")}, {1});
    QVERIFY(single.first());
    QVERIFY(!single.next());
    QCOMPARE(single.getCurrentName(), QStringLiteral("only"));
    single.clear();
    QVERIFY(!single.first());
    QVERIFY(single.getCurrentName().isEmpty());
    QVERIFY(!single.getCurrentValue().isValid());
}

void tst_ScriptParams::setDataNeedsMatchingLists()
{
    QScriptParams params;
    params.setData({QStringLiteral("a"), QStringLiteral("b")}, {1});
    QCOMPARE(params.count(), 0);
    params.setData({QStringLiteral("a"), QStringLiteral("b")}, {1, 2});
    params.setData({QStringLiteral("a")}, {3});
    QCOMPARE(params.count(), 2);
    QCOMPARE(params.getParam(QStringLiteral("a")).toInt(), 3);
}

void tst_ScriptParams::scriptFillsAndReadsTheForm()
{
    QWidget form;
    auto *inner = new QWidget(&form);
    auto *combo = new QComboBox(inner);
    combo->setObjectName(QStringLiteral("cbCurrency"));
    auto *list = new QListWidget(inner);
    list->setObjectName(QStringLiteral("lwItems"));

    QScriptParams params;
    params.setData({QStringLiteral("RUB"), QStringLiteral("EUR")}, {643, 978});
    QScriptGUIAdapter adapter;
    adapter.setForm(&form);

    QScriptEngine engine;
    engine.globalObject().setProperty(QStringLiteral("params"), engine.newQObject(&params));
    engine.globalObject().setProperty(QStringLiteral("gui"), engine.newQObject(&adapter));
    engine.evaluate(QStringLiteral(
            "for (var ok = params.first(); ok; ok = params.next()) {"
            "  gui.addToCombo('cbCurrency', params.getCurrentName(), params.getCurrentValue());"
            "  gui.addToList('lwItems', 'item ' + params.getCurrentName(), params.getCurrentValue());"
            "}"
            "gui.addToCombo('cbMissing', 'x', 1);"));
    QVERIFY(!engine.hasUncaughtException());
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("EUR"));

    combo->setCurrentIndex(1);
    QCOMPARE(engine.evaluate(QStringLiteral("gui.getComboData('cbCurrency')")).toInt32(), 643);
    QCOMPARE(engine.evaluate(QStringLiteral("gui.getListText('lwItems')")).toString(), QString());
    list->setCurrentRow(0);
    QCOMPARE(engine.evaluate(QStringLiteral("gui.getListText('lwItems')")).toString(), QStringLiteral("item EUR"));
    QCOMPARE(engine.evaluate(QStringLiteral("gui.getListData('lwItems')")).toInt32(), 978);
    QVERIFY(!adapter.getComboData(QStringLiteral("cbMissing")).isValid());
    QVERIFY(adapter.getListText(QStringLiteral("lwMissing")).isEmpty());
}

void tst_ScriptParams::askAndReadFile()
{
    QScriptParams params;
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Yes);
    answerer.pressButton(QMessageBox::No);
    QVERIFY(params.askToUser(QStringLiteral("Вопрос"), QStringLiteral("Продолжить?")));
    QVERIFY(!params.askToUser(QStringLiteral("Вопрос"), QStringLiteral("Продолжить?")));
    QCOMPARE(answerer.titles, (QStringList{"Вопрос", "Вопрос"}));

    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(QByteArray("before\0after", 12));
    file.close();
    QCOMPARE(params.getFromFile(file.fileName()), QStringLiteral("before"));
    QVERIFY(params.getFromFile(QStringLiteral("/no/such/file")).isEmpty());

    // Without a name the user picks a file; cancelling gives nothing.
    answerer.enqueue([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); });
    QVERIFY(params.getFromFile(QString()).isEmpty());
    QCOMPARE(answerer.unexpected, 0);
}

QTEST_MAIN(tst_ScriptParams)
#include "tst_scriptparams.moc"
