// The toolkit's own texts and formats follow the shell's locale: Russian
// unless the user's settings name another one.

#include "shelllocale.h"

#include <QAction>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

QString shown(QString text)
{
    // Mnemonics and shortcuts are not what a user reads.
    text.remove(QLatin1Char('&'));
    return text.section(QLatin1Char('\t'), 0, 0);
}

} // namespace

class TestShellLocale : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase();
    void toolkitTexts_data();
    void toolkitTexts();

private:
    ShellLocale m_locale;
};

void TestShellLocale::cleanupTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestShellLocale::toolkitTexts_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("number");

    const QString russianNumber = QStringLiteral("1\u00a0234\u00a0567,5");
    QTest::newRow("no setting") << "DEFAULT" << "Отмена" << "Да" << "Копировать" << "15.03.2024" << russianNumber;
    QTest::newRow("empty setting") << "" << "Отмена" << "Да" << "Копировать" << "15.03.2024" << russianNumber;
    QTest::newRow("unknown locale") << "xx_YY" << "Отмена" << "Да" << "Копировать" << "15.03.2024" << russianNumber;
    QTest::newRow("English") << "en_US" << "Cancel" << "Yes" << "Copy" << "3/15/24" << "1,234,567.5";
    QTest::newRow("German") << "de_DE" << "Abbrechen" << "Ja" << "Kopieren" << "15.03.24" << "1.234.567,5";
}

void TestShellLocale::toolkitTexts()
{
    QFETCH(QString, setting);
    QFETCH(QString, cancel);
    QFETCH(QString, yes);
    QFETCH(QString, copy);
    QFETCH(QString, date);
    QFETCH(QString, number);

    if (setting == QLatin1String("xx_YY"))
        QTest::ignoreMessage(QtWarningMsg, "Unknown locale \"xx_YY\" in the settings; Russian is used.");
    m_locale.apply(setting);

    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    QCOMPARE(shown(buttons.button(QDialogButtonBox::Cancel)->text()), cancel);
    QCOMPARE(shown(buttons.button(QDialogButtonBox::Yes)->text()), yes);

    QMessageBox box(QMessageBox::Question, QStringLiteral("Удаление"), QStringLiteral("Удалить?"),
                    QMessageBox::Yes | QMessageBox::Cancel);
    QCOMPARE(shown(box.button(QMessageBox::Cancel)->text()), cancel);

    QLineEdit field(QStringLiteral("ООО «Альфа-Снаб»"));
    field.selectAll();
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    // The menu names the copy command by its shortcut.
    const QString copyShortcut = QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText);
    QAction *copyAction = nullptr;
    for (QAction *action : menu->actions()) {
        if (action->text().endsWith(QLatin1Char('\t') + copyShortcut))
            copyAction = action;
    }
    QVERIFY(copyAction);
    QCOMPARE(shown(copyAction->text()), copy);

    const QDateEdit dateEdit(QDate(2024, 3, 15));
    QCOMPARE(dateEdit.text(), date);
    QCOMPARE(QLocale().toString(1234567.5, 'f', 1), number);
}

QTEST_MAIN(TestShellLocale)
#include "tst_shelllocale.moc"
