// The toolkit's own texts, the library's English ones and the formats follow
// the shell's locale: Russian unless the user's settings name another one.

#include "modalanswerer.h"
#include "qcommentdialog.h"
#include "qdoccreator.h"
#include "qrecentlistdialog.h"
#include "quserinterface.h"
#include "shelllocale.h"

#include <QAction>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
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

const QString catalogFolder = QStringLiteral(DEALS_TRANSLATIONS_DIR);

// What a user reads of the library's English-written texts, in a fixed order.
QStringList readLibraryTexts()
{
    QStringList texts;
    QDocCreator creator(QStringLiteral("DEAL"));
    for (const QAction *action : {creator.acHTML, creator.acPrint, creator.acPDF, creator.acPreview, creator.acSaveToBase})
        texts << shown(action->text());
    // The tool bar has room for a shorter name; the full one is the tip.
    texts << shown(creator.acPreview->iconText()) << creator.lbTemplates->text() << creator.toolBar->windowTitle();

    // The dialogs the tool bar opens, each cancelled once its title and filter are read.
    creator.setDocument(QStringLiteral("<p>Счёт № 17</p>"));
    ModalAnswerer answerer;
    for (QAction *action : {creator.acHTML, creator.acPDF, creator.acPrint}) {
        answerer.enqueue([&texts](QWidget *dialog) {
            texts << dialog->windowTitle();
            if (auto *files = qobject_cast<QFileDialog *>(dialog))
                texts << files->nameFilters();
            qobject_cast<QDialog *>(dialog)->reject();
        });
        action->trigger();
    }
    if (answerer.pending() != 0 || answerer.unexpected != 0)
        texts << QStringLiteral("(a dialog did not come or came unasked)");

    const QRecentListDialog recent(static_cast<QAbstractItemModel *>(nullptr), QStringLiteral("Поставщики"), 0);
    texts << recent.findChild<QLabel *>(QStringLiteral("lbFind"))->text();
    const QUserInterface frame;
    texts << shown(frame.actionFind->text());
    const QCommentDialog added(QString(), false);
    const QCommentDialog viewed(QStringLiteral("Поставка в срок"), true);
    const QCommentDialog edited(QStringLiteral("Поставка в срок"), false);
    texts << added.label->text() << added.windowTitle() << viewed.windowTitle() << edited.windowTitle();
    return texts;
}

} // namespace

class TestShellLocale : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase();
    void toolkitTexts_data();
    void toolkitTexts();
    void libraryTexts_data();
    void libraryTexts();
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
    if (setting == QLatin1String("de_DE"))
        QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("No library translations for de_DE in %1.").arg(catalogFolder)));
    ShellLocale locale(catalogFolder);
    locale.apply(setting);

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

void TestShellLocale::libraryTexts_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<QStringList>("texts");

    const QStringList russian{
            "Сохранить в HTML", "Печать", "Сохранить в PDF", "Предварительный просмотр", "Сохранить в базу",
            "Просмотр", "Шаблоны:", "Панель инструментов",
            "Сохранить в HTML", "Документы HTML (*.html)", "Сохранить в PDF", "Документы PDF (*.pdf)", "Печать документа",
            "Быстрый поиск:", "Поиск",
            "Комментарий", "Новый комментарий", "Просмотр комментария", "Изменение комментария"};
    const QStringList english{
            "Save to HTML", "Print", "Save to PDF", "Preview", "Save to DB",
            "Preview", "Templates:", "toolBar",
            "Save to HTML", "HTML documents (*.html)", "Save to PDF", "PDF documents (*.pdf)", "Print document",
            "Quick search:", "Search",
            "Comment", "Add comment", "View comment", "Edit comment"};
    const QString missing = QDir::temp().filePath(QStringLiteral("no-such-catalog-folder"));
    const QString noRussian = QStringLiteral("No library translations for ru_RU in %1.").arg(missing);

    QTest::newRow("Russian by default") << "DEFAULT" << catalogFolder << QStringList() << russian;
    QTest::newRow("Russian named") << "ru_RU" << catalogFolder << QStringList() << russian;
    QTest::newRow("English") << "en_US" << catalogFolder << QStringList() << english;
    QTest::newRow("German: no catalog of the library")
            << "de_DE" << catalogFolder
            << QStringList{QStringLiteral("No library translations for de_DE in %1.").arg(catalogFolder)} << english;
    QTest::newRow("catalog missing") << "DEFAULT" << missing << QStringList{noRussian, noRussian} << english;
}

void TestShellLocale::libraryTexts()
{
    QFETCH(QString, setting);
    QFETCH(QString, folder);
    QFETCH(QStringList, warnings);
    QFETCH(QStringList, texts);

    for (const QString &warning : qAsConst(warnings))
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    ShellLocale locale(folder);
    // A second call takes the first one's catalogs away: English comes back as written.
    locale.apply(QStringLiteral("ru_RU"));
    locale.apply(setting);
    QCOMPARE(readLibraryTexts(), texts);
}

QTEST_MAIN(TestShellLocale)
#include "tst_shelllocale.moc"
